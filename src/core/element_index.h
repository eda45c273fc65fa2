#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace marlin {

// Where a name followed by a double quote occurs in one text, found without reading the
// text again for every name: every such occurrence ends at a quote, so the quotes are
// filed by the bytes before them, and a search looks only at the quotes filed under its
// name's last bytes. Quotes are filed as far into the text as the searches have had to
// go, so that a name found near the start costs no more than reading up to it; the first
// few searches of a text read it as it stands. The
// answers are those of a plain substring search, overlaps and all.
class ElementIndex {
  public:
    // A search that goes on from where it stopped: each call to Next finds the next
    // occurrence at or after a position that does not go back.
    class Search {
      public:
        Search(ElementIndex& index, std::string_view name);
        // The position of the first occurrence at or after from, or npos.
        std::size_t Next(std::size_t from);

      private:
        std::size_t NextInText(std::size_t from) const;

        ElementIndex& m_index;
        std::string_view m_name;
        std::uint32_t m_bucket = 0;
        std::int32_t m_at = -1;    // the quote of the name's chain to look at next
        std::int32_t m_last = -1;  // the last quote of the chain looked at
        bool m_plain = true;       // searching the text as it stands
    };

    // Starts on a text, which must outlive the index's use.
    void Reset(std::string_view text);

  private:
    // Names shorter than this are searched in the text itself.
    static constexpr std::size_t kKeyBytes = 3;
    // A text searched this often is searched as it stands: filing its quotes would cost
    // more than it saves.
    static constexpr int kPlainSearches = 5;
    // Quotes filed at a time.
    static constexpr int kFileAtATime = 32;

    std::uint32_t Bucket(const char* keyEnd) const;
    // Files the next quotes; false when every quote has been filed.
    bool FileMore();
    void File(std::size_t quote);

    std::string_view m_text;
    int m_searches = 0;
    std::size_t m_filedUpTo = 0;          // where the next quote is looked for
    std::vector<std::uint32_t> m_quotes;  // positions, ascending
    std::vector<std::int32_t> m_next;     // per quote, the next one of its bucket
    std::vector<std::int32_t> m_heads;    // per bucket, its first quote
    std::vector<std::int32_t> m_tails;    // per bucket, its last quote
    unsigned m_shift = 32;
};

}  // namespace marlin
