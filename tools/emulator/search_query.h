#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace marlin::emulator {

// A search query in the service's operator language: terms (all must match), "OR" between terms,
// quoted phrases, -term to exclude, #tag, @name, from:name, lang:xx, filter:retweets and conversation_id:ID.
// Matching is by whole words, ignoring ASCII case; a plain term also matches the hashtag or mention of that
// word.
class SearchQuery {
  public:
    explicit SearchQuery(std::string_view q);

    bool Empty() const { return m_groups.empty(); }
    const std::string& Text() const { return m_text; }
    // The screen name (lower case) that every match must come from, or "" when any author may match.
    const std::string& RequiredAuthor() const { return m_requiredAuthor; }
    // The conversation every match must belong to, or 0 when any may.
    uint64_t RequiredConversation() const { return m_requiredConversation; }

    // authorLower: the author's screen name in lower case; lang: the tweet's language; conversationId: the
    // id of the post that started the tweet's conversation (0: not known, which no conversation_id matches).
    bool Matches(std::string_view text, std::string_view authorLower, std::string_view lang, bool isRetweet,
                 uint64_t conversationId = 0) const;

    // Splits a tweet text into lower-cased words; "#" and "@" stay in front of the word they mark.
    static std::vector<std::string> Words(std::string_view text);

  private:
    enum class Kind { Word, Hashtag, Mention, Phrase, From, Lang, Retweets, Conversation };
    struct Clause {
        Kind kind = Kind::Word;
        bool negated = false;
        std::vector<std::string> words;  // one word, or the words of a phrase
    };
    using Group = std::vector<Clause>;  // any clause of a group may match

    // Lower-cases the text in place and cuts it into words that point into it.
    static void Split(std::string& text, std::vector<std::string_view>& words);
    struct Post {
        std::string_view author;
        std::string_view lang;
        bool isRetweet;
        uint64_t conversationId;
    };
    bool ClauseMatches(const Clause& clause, const std::vector<std::string_view>& words,
                       const Post& post) const;
    static uint64_t ConversationNumber(const Clause& clause);
    void AddClause(Clause clause, bool joinWithPrevious);

    std::vector<Group> m_groups;  // every group must match
    std::string m_requiredAuthor;
    uint64_t m_requiredConversation = 0;
    std::string m_text;
};

}  // namespace marlin::emulator
