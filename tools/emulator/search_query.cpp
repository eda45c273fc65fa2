#include "emulator/search_query.h"

#include <algorithm>

namespace marlin::emulator {

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Decodes the code point at text[i] and moves i past it.
unsigned NextCodePoint(std::string_view text, size_t& i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra > 0 && i + extra >= text.size()) {
        i = text.size();
        return 0xFFFD;
    }
    unsigned cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += extra + 1;
    return cp;
}

// Letters of the scripts the corpus writes in count as word characters; emoji and punctuation do not.
bool IsWordCodePoint(unsigned cp) {
    if (cp < 0x80)
        return (cp >= 'a' && cp <= 'z') || (cp >= 'A' && cp <= 'Z') || (cp >= '0' && cp <= '9') || cp == '_';
    return (cp >= 0xC0 && cp <= 0x24F && cp != 0xD7 && cp != 0xF7) || (cp >= 0x370 && cp <= 0x52F) ||
           (cp >= 0x590 && cp <= 0x6FF) || (cp >= 0xE00 && cp <= 0xE7F) || (cp >= 0x3040 && cp <= 0x30FF) ||
           (cp >= 0x4E00 && cp <= 0x9FFF);
}

// Splits the query into items; quoted phrases stay whole (with their quotes), parentheses are dropped.
std::vector<std::string> SplitQuery(std::string_view q) {
    std::vector<std::string> items;
    std::string current;
    bool quoted = false;
    for (char c : q) {
        if (c == '"') {
            current += c;
            quoted = !quoted;
        } else if (!quoted && (c == ' ' || c == '\t' || c == '(' || c == ')' || c == '\n')) {
            if (!current.empty()) items.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) items.push_back(current);
    return items;
}

std::string Unescape(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            bool done = true;
            if (text.substr(i, 5) == "&amp;")
                out += '&', i += 4;
            else if (text.substr(i, 4) == "&lt;")
                out += '<', i += 3;
            else if (text.substr(i, 4) == "&gt;")
                out += '>', i += 3;
            else
                done = false;
            if (done) continue;
        }
        out += text[i];
    }
    return out;
}

std::string_view StripMark(std::string_view word) {
    return !word.empty() && (word[0] == '#' || word[0] == '@') ? word.substr(1) : word;
}

}  // namespace

void SearchQuery::Split(std::string& text, std::vector<std::string_view>& words) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    std::string_view all(text);
    size_t wordStart = std::string_view::npos;
    for (size_t i = 0; i < all.size();) {
        size_t begin = i;
        unsigned char c = static_cast<unsigned char>(all[i]);
        unsigned cp = c < 0x80 ? (++i, c) : NextCodePoint(all, i);
        if (IsWordCodePoint(cp)) {
            if (wordStart == std::string_view::npos) {
                // A "#" or "@" right before the word belongs to it.
                bool marked = begin > 0 && (all[begin - 1] == '#' || all[begin - 1] == '@');
                wordStart = marked ? begin - 1 : begin;
            }
            continue;
        }
        if (wordStart != std::string_view::npos) words.push_back(all.substr(wordStart, begin - wordStart));
        wordStart = std::string_view::npos;
    }
    if (wordStart != std::string_view::npos) words.push_back(all.substr(wordStart));
}

std::vector<std::string> SearchQuery::Words(std::string_view text) {
    std::string copy(text);
    std::vector<std::string_view> views;
    Split(copy, views);
    return {views.begin(), views.end()};
}

SearchQuery::SearchQuery(std::string_view q) : m_text(q) {
    bool joinNext = false;
    for (const std::string& item : SplitQuery(q)) {
        if (item == "OR") {
            joinNext = !m_groups.empty();
            continue;
        }
        if (item == "AND") continue;
        Clause clause;
        std::string body = item;
        if (body.size() > 1 && body[0] == '-') {
            clause.negated = true;
            body = body.substr(1);
        }
        std::string lower = Lower(body);
        if (lower.size() > 2 && lower.front() == '"') {
            clause.kind = Kind::Phrase;
            clause.words = Words(lower);
        } else if (lower.rfind("from:", 0) == 0) {
            clause.kind = Kind::From;
            clause.words = {std::string(StripMark(lower.substr(5)))};
        } else if (lower.rfind("lang:", 0) == 0) {
            clause.kind = Kind::Lang;
            clause.words = {lower.substr(5)};
        } else if (lower.rfind("conversation_id:", 0) == 0) {
            clause.kind = Kind::Conversation;
            clause.words = {lower.substr(16)};
        } else if (lower == "filter:retweets" || lower == "filter:nativeretweets") {
            clause.kind = Kind::Retweets;
        } else {
            std::vector<std::string> words = Words(lower);
            if (words.empty()) continue;
            if (words.size() > 1) {
                clause.kind = Kind::Phrase;  // "well-known" matches as the phrase "well known"
                clause.words = words;
            } else {
                const std::string& w = words[0];
                clause.kind = w[0] == '#' ? Kind::Hashtag : w[0] == '@' ? Kind::Mention : Kind::Word;
                clause.words = {w};
            }
        }
        AddClause(std::move(clause), joinNext);
        joinNext = false;
    }
    // A lone, positive from: clause restricts the search to one author's tweets.
    // Likewise a lone, positive conversation_id: clause to the posts of one conversation.
    for (const Group& group : m_groups) {
        if (group.size() != 1 || group[0].negated) continue;
        if (group[0].kind == Kind::From) m_requiredAuthor = group[0].words[0];
        if (group[0].kind == Kind::Conversation) m_requiredConversation = ConversationNumber(group[0]);
    }
}

uint64_t SearchQuery::ConversationNumber(const Clause& clause) {
    const std::string& digits = clause.words[0];
    uint64_t value = 0;
    if (digits.empty() || digits.size() > 19) return 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value;
}

void SearchQuery::AddClause(Clause clause, bool joinWithPrevious) {
    if (joinWithPrevious && !m_groups.empty())
        m_groups.back().push_back(std::move(clause));
    else
        m_groups.push_back({std::move(clause)});
}

bool SearchQuery::ClauseMatches(const Clause& clause, const std::vector<std::string_view>& words,
                                const Post& post) const {
    bool found = false;
    switch (clause.kind) {
        case Kind::Word: {
            const std::string& w = clause.words[0];
            found = std::any_of(words.begin(), words.end(),
                                [&](std::string_view t) { return t == w || StripMark(t) == w; });
            break;
        }
        case Kind::Hashtag:
        case Kind::Mention:
            found = std::find(words.begin(), words.end(), clause.words[0]) != words.end();
            break;
        case Kind::Phrase: {
            const auto& p = clause.words;
            for (size_t i = 0; !found && i + p.size() <= words.size(); ++i) {
                found = true;
                for (size_t k = 0; found && k < p.size(); ++k)
                    found = StripMark(words[i + k]) == StripMark(p[k]);
            }
            break;
        }
        case Kind::From:
            found = post.author == clause.words[0];
            break;
        case Kind::Lang:
            found = post.lang == clause.words[0];
            break;
        case Kind::Retweets:
            found = post.isRetweet;
            break;
        case Kind::Conversation:
            found = post.conversationId != 0 && post.conversationId == ConversationNumber(clause);
            break;
    }
    return found != clause.negated;
}

bool SearchQuery::Matches(std::string_view text, std::string_view authorLower, std::string_view lang,
                          bool isRetweet, uint64_t conversationId) const {
    if (m_groups.empty()) return false;
    // Texts arrive HTML-escaped; people search for what they read ("R&D", not "amp").
    // Reused per thread: matching runs for every candidate tweet of a search, and allocations showed.
    thread_local std::string lowered;
    thread_local std::vector<std::string_view> words;
    if (text.find('&') == std::string_view::npos)
        lowered.assign(text);
    else
        lowered = Unescape(text);
    words.clear();
    Split(lowered, words);
    for (const Group& group : m_groups) {
        bool any = false;
        for (const Clause& clause : group) {
            if (ClauseMatches(clause, words, {authorLower, lang, isRetweet, conversationId})) {
                any = true;
                break;
            }
        }
        if (!any) return false;
    }
    return true;
}

}  // namespace marlin::emulator
