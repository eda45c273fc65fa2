#include "workspace/export/post_words.h"

#include <algorithm>

#include "core/code_page.h"
#include "platform/blank_trim.h"
#include "workspace/export/stop_words.h"
#include "workspace/export/tweet_frequencies.h"

namespace marlin {
namespace {

bool Blank(char32_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == 0xA0 || (c >= 0x2000 && c <= 0x200B) ||
           c == 0x3000;
}

// Letters and digits of any script continue a word; ASCII punctuation, the general
// punctuation and symbol blocks, and emoji end it.
bool WordCodePoint(char32_t c) {
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (c == 0xFFFD || (c >= 0x2000 && c <= 0x2BFF) || (c >= 0x3000 && c <= 0x303F)) return false;
    if ((c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20))
        return false;
    if (c >= 0x1F000 || (c >= 0xA0 && c <= 0xBF) || c == 0xD7 || c == 0xF7) return false;
    return true;
}

std::size_t SkipToBlank(std::string_view text, std::size_t at) {
    while (at < text.size()) {
        std::size_t next = at;
        if (Blank(CodePage::NextCodePoint(text, next))) break;
        at = next;
    }
    return at;
}

bool StartsLink(std::string_view rest) {
    auto starts = [rest](std::string_view prefix) {
        return rest.size() >= prefix.size() &&
               TweetFrequencies::Lower(rest.substr(0, prefix.size())) == prefix;
    };
    return starts("http://") || starts("https://") || starts("www.");
}

std::size_t CodePoints(std::string_view word) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < word.size(); ++count) CodePage::NextCodePoint(word, at);
    return count;
}

}  // namespace

std::vector<std::string> PostWords::Tokens(std::string_view text) {
    std::vector<std::string> words;
    const std::string_view trimmed = TrimBlanks(text);
    std::size_t at = static_cast<std::size_t>(trimmed.data() - text.data());
    if (trimmed.starts_with("RT @"))
        at = text.find(':', at) == std::string_view::npos ? at : text.find(':', at) + 1;
    // Each turn starts after a character that is no part of a word.
    while (at < text.size()) {
        if (StartsLink(text.substr(at))) {
            at = SkipToBlank(text, at);
            continue;
        }
        std::size_t next = at;
        const char32_t code = CodePage::NextCodePoint(text, next);
        if (code == '@' || code == '#') {
            // A name or a hashtag: its characters are no words.
            at = next;
            while (at < text.size()) {
                std::size_t after = at;
                if (!WordCodePoint(CodePage::NextCodePoint(text, after))) break;
                at = after;
            }
            continue;
        }
        if (!WordCodePoint(code)) {
            at = next;
            continue;
        }
        std::size_t end = next;
        while (end < text.size()) {
            std::size_t after = end;
            if (!WordCodePoint(CodePage::NextCodePoint(text, after))) break;
            end = after;
        }
        words.push_back(TweetFrequencies::Lower(text.substr(at, end - at)));
        at = end;
    }
    return words;
}

std::vector<std::string> PostWords::Of(std::string_view text, std::string_view language) {
    const std::vector<std::string> tokens = Tokens(text);
    const StopWords& stop = StopWords::Instance();
    const auto* list = language.empty() ? stop.Guess(tokens) : stop.ListOf(language);
    std::vector<std::string> words;
    for (const std::string& word : tokens) {
        if (CodePoints(word) < 2 ||
            std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        if (list && list->count(word) > 0) continue;
        if (std::find(words.begin(), words.end(), word) == words.end()) words.push_back(word);
    }
    return words;
}

}  // namespace marlin
