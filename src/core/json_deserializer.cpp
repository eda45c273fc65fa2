#include "core/json_deserializer.h"

#include "core/byte_search.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace marlin {

namespace {

constexpr std::uint8_t kMaxLevel = 255;
constexpr int kMaxMatches = 32767;
// The scan lets the window process its events once per this many characters: often
// enough to stay responsive, rare enough to cost nothing beside the scan itself.
constexpr int kYieldEvery = 1024;

// Whether the quote at `at` is escaped: an odd run of backslashes, within the string
// that opened at `open`, precedes it.
bool Escaped(const char* text, std::size_t open, std::size_t at) {
    std::size_t backslashes = 0;
    while (at - backslashes > open && text[at - 1 - backslashes] == '\\') ++backslashes;
    return backslashes % 2 == 1;
}

// The first occurrence of needle in text at or after from, or npos.
std::size_t Find(std::string_view text, std::string_view needle, std::size_t from) {
    if (from > text.size()) return std::string_view::npos;
    const std::size_t at = ByteSearch::Find(text.data(), text.size(), from, needle.data(), needle.size());
    return at < text.size() || needle.empty() ? at : std::string_view::npos;
}

// The source without any occurrence of needle, scanning left to right without overlaps
// (the text that results is not searched again). False, and out untouched, when there
// is none.
bool Without(std::string_view source, std::string_view needle, std::string& out) {
    if (needle.empty() || needle.size() > source.size()) return false;
    std::size_t hit = Find(source, needle, 0);
    if (hit == std::string_view::npos) return false;
    std::string result;
    result.reserve(source.size() - needle.size());
    std::size_t from = 0;
    while (hit != std::string_view::npos) {
        result.append(source.substr(from, hit - from));
        from = hit + needle.size();
        hit = Find(source, needle, from);
    }
    result.append(source.substr(from));
    out = std::move(result);
    return true;
}

// The part without any `a` or `b`. Values are short and mostly hold none: a copy that
// keeps every byte and steps past the dropped ones costs less than searching for them.
std::string CopyWithout(std::string_view part, char a, char b) {
    std::string out(part.size(), '\0');
    std::size_t kept = 0;
    for (const char c : part) {
        out[kept] = c;
        kept += c != a && c != b ? 1 : 0;
    }
    out.resize(kept);
    return out;
}

// CopyWithout(text, '"', '[') but for the quote of each escape pair, which the text's
// clean-up decodes into a quote.
void RemoveQuotesKeepingEscaped(std::string& text) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            text[kept++] = c;
            if (text[i + 1] != '[') text[kept++] = text[i + 1];
            ++i;
        } else if (c != '"' && c != '[') {
            text[kept++] = c;
        }
    }
    text.resize(kept);
}

}  // namespace

JSONDeserializer::JSONDeserializer(Yield yield) : m_yield(std::move(yield)), m_entries(2) {}

void JSONDeserializer::CheckIndex(int index) const {
    if (index < 0 || index > m_count + 1) {
        throw std::out_of_range("JSON object index " + std::to_string(index) + " outside 0.." +
                                std::to_string(m_count + 1));
    }
}

std::string_view JSONDeserializer::NameOf(const Entry& entry) const {
    return m_text.substr(entry.nameAt, entry.nameSize);
}

int JSONDeserializer::ObjectCount(const std::string& CObjectName) const {
    if (CObjectName.empty()) return m_count;
    int n = 0;
    for (int k = 1; k <= m_count; ++k) {
        if (NameOf(m_entries[k]) == CObjectName) ++n;
    }
    return n;
}

std::string JSONDeserializer::ObjectName(int Index) const {
    CheckIndex(Index);
    return std::string(NameOf(m_entries[Index]));
}

bool JSONDeserializer::ObjectNameIs(int Index, std::string_view name) const {
    CheckIndex(Index);
    return NameOf(m_entries[Index]) == name;
}

std::uint8_t JSONDeserializer::ObjectLevel(int Index) const {
    CheckIndex(Index);
    return m_entries[Index].level;
}

int JSONDeserializer::ObjectParent(int Index) const {
    CheckIndex(Index);
    return m_entries[Index].parent;
}

std::string JSONDeserializer::ObjectText(int Index) const {
    CheckIndex(Index);
    return std::string(TextView(Index));
}

bool JSONDeserializer::ObjectClosed(int Index) const {
    CheckIndex(Index);
    return m_entries[Index].closed;
}

std::string_view JSONDeserializer::TextView(int index) const {
    Entry& entry = m_entries[index];
    if (entry.end == 0) entry.end = static_cast<int>(m_text.size());
    // Stray closing braces can leave an end before the start.
    if (entry.end - entry.start - 1 <= 0) return {};
    return m_text.substr(entry.start, entry.end - entry.start - 1);
}

bool JSONDeserializer::Read(const std::string& JSON, bool IgnoreTopLevel) {
    m_storage = JSON;
    return ReadBorrowed(m_storage, IgnoreTopLevel);
}

bool JSONDeserializer::ReadBorrowed(std::string_view JSON, bool IgnoreTopLevel) {
    m_text = JSON;
    if (m_text.size() < 8) return false;
    const bool complete = Scan(IgnoreTopLevel);
    m_entries.resize(m_count + 2);
    m_entries[m_count + 1] = Entry{};
    m_entries.shrink_to_fit();
    // Own texts are cut out when first asked for: most entries are never searched.
    m_ownText.index = -1;
    m_boundedOwnText.index = -1;
    return complete;
}

// The name rule: the quoted key right before the brace names the object, and an object
// after a comma with no key of its own (an array element) is left unnamed here, to take
// the name of the previous object at its level. False when the segment cannot be read.
bool JSONDeserializer::NameFor(int braceAt, int lastBrace, std::string_view& name, bool& keyed) const {
    // The segment runs from lastBrace + 1 through braceAt (1-based, the brace included).
    const std::string_view g(m_text.data() + lastBrace, braceAt - lastBrace);
    const std::size_t q2 = g.rfind('"');
    std::size_t q1 = std::string_view::npos;
    if (q2 != std::string_view::npos) {
        if (q2 == 0) return false;  // the segment's only quote is its first character
        q1 = g.rfind('"', q2 - 1);
    }
    // Keyed when the last comma comes before q1 (no comma counting as position 0).
    keyed = q1 != std::string_view::npos && g.find(',', q1) == std::string_view::npos;
    // The key between its quotes (there is no quote between q1 and q2).
    name = keyed ? g.substr(q1 + 1, q2 - q1 - 1) : std::string_view();
    return true;
}

// The parent rule: the latest earlier entry of a lower level, where the search gives up
// at entry 1. So every later level-1 entry gets parent 1, and entry 1 gets 0.
int JSONDeserializer::ParentFor(int index, std::uint8_t level, const LevelIndex& lastAtLevel) {
    if (index <= 1) return 0;
    int best = 0;
    for (int l = 1; l < level; ++l) best = std::max(best, lastAtLevel[l]);
    return best >= 2 ? best : 1;
}

bool JSONDeserializer::Scan(bool ignoreTopLevel) {
    const int n = static_cast<int>(m_text.size());
    const std::size_t firstBrace = m_text.find('{');
    int start;  // 1-based position where the scan begins
    if (ignoreTopLevel) {
        start = firstBrace == std::string_view::npos ? 1 : static_cast<int>(firstBrace) + 2;
    } else {
        if (firstBrace == std::string_view::npos) return false;
        start = static_cast<int>(firstBrace) + 1;
    }

    int lastBrace = start - 1;  // follows opening braces only
    std::uint8_t level = 0;
    LevelIndex lastAtLevel{};  // the latest entry of each level
    std::vector<int> open;     // entries from 2 up still waiting for their "}" (at most 255)
    std::string_view name;
    bool keyed = false;
    const char* text = m_text.data();
    int nextYield = start + kYieldEvery;

    // Quotes and braces are found 64 bytes at a time. Braces inside string values are text,
    // not structure; a quote ends a string unless an odd run of backslashes precedes it.
    bool inString = false;
    std::size_t stringOpen = 0;  // the first character inside the open string
    const auto first = static_cast<std::size_t>(start - 1);
    for (std::size_t base = first & ~std::size_t{63}; base < static_cast<std::size_t>(n); base += 64) {
        if (static_cast<int>(base) + 64 >= nextYield) {
            m_yield();
            nextYield = static_cast<int>(base) + 64 + kYieldEvery;
        }
        ByteSearch::Block block = ByteSearch::BlockAt(text, n, base);
        if (base < first) {
            const std::uint64_t from = ~std::uint64_t{0} << (first - base);
            block.quotes &= from;
            block.braces &= from;
        }
        std::uint64_t pending;
        std::optional<bool> stringAtEnd;
        const bool backslashBefore = base > 0 && text[base - 1] == '\\';
        if ((block.quotes & ((block.backslashes << 1) | std::uint64_t{backslashBefore})) == 0) {
            // No quote of the block can be escaped, so every quote opens or closes a
            // string: the braces outside strings follow from the quotes alone.
            std::uint64_t inside = ByteSearch::PrefixXor(block.quotes);
            if (inString) inside = ~inside;
            stringAtEnd = (inside >> 63) != 0;
            pending = block.braces & ~inside;
            block.quotes = 0;
            inString = false;  // for the braces below, all outside strings
        } else {
            pending = block.quotes | block.braces;
        }
        for (; pending != 0; pending &= pending - 1) {
            const int bit = __builtin_ctzll(pending);
            const std::size_t at = base + static_cast<std::size_t>(bit);
            const bool quote = (block.quotes >> bit & 1) != 0;
            if (inString) {
                if (quote && !Escaped(text, stringOpen, at)) inString = false;
                continue;
            }
            if (quote) {
                inString = true;
                stringOpen = at + 1;
                continue;
            }
            const int i = static_cast<int>(at) + 1;
            const char c = text[at];
            if (c == '{') {
                if (level == kMaxLevel) return false;
                ++level;
                if (!NameFor(i, lastBrace, name, keyed)) return false;
                const int index = ++m_count;
                if (static_cast<int>(m_entries.size()) <= index) m_entries.emplace_back();
                Entry& entry = m_entries[index];
                if (keyed) {
                    entry.nameAt = static_cast<std::uint32_t>(name.data() - text);
                    entry.nameSize = static_cast<std::uint32_t>(name.size());
                } else {
                    entry.nameAt = m_entries[lastAtLevel[level]].nameAt;
                    entry.nameSize = m_entries[lastAtLevel[level]].nameSize;
                }
                entry.level = level;
                entry.start = i;
                entry.parent = ParentFor(index, level, lastAtLevel);
                lastAtLevel[level] = index;
                lastBrace = i;
                if (index >= 2) open.push_back(index);
            } else if (c == '}') {
                // The latest entry still open takes the brace; when none is, entry 1 (or 0
                // in an empty list) does, overwriting its end.
                int k = m_count >= 1 ? 1 : 0;
                if (!open.empty()) {
                    k = open.back();
                    open.pop_back();
                }
                Entry& closed = m_entries[k];
                if (k == 1 && m_entryOneFirstEnd == 0) m_entryOneFirstEnd = i;
                closed.end = i;
                closed.closed = true;
                if (level > 0) --level;
            }
        }
        if (stringAtEnd) inString = *stringAtEnd;
    }
    m_yield();
    return true;
}

// The entry's text (up to `end` when given, else up to its recorded end) without the
// texts of its children that directly follow it. A grandchild ends that run.
void JSONDeserializer::CutOwnText(int index, int end, SearchedText& own) const {
    std::string_view whole = TextView(index);
    if (end != 0) {
        const int start = m_entries[index].start;
        whole = end - start - 1 > 0 ? m_text.substr(start, end - start - 1) : std::string_view();
    }
    bool cut = false;
    for (int e = index + 1; e <= m_count && m_entries[e].parent == index; ++e) {
        // An empty child ({}) leaves nothing to remove.
        cut = Without(cut ? std::string_view(own.storage) : whole, TextView(e), own.storage) || cut;
    }
    own.text = cut ? std::string_view(own.storage) : whole;
    own.index = index;
    own.elements.Reset(own.text);
}

std::string JSONDeserializer::OwnText(int Index) const {
    return std::string(CachedOwnText(Index).text);
}

JSONDeserializer::SearchedText& JSONDeserializer::CachedOwnText(int index) const {
    CheckIndex(index);
    if (index == 0 || index > m_count) return m_noText;
    if (m_ownText.index != index) CutOwnText(index, 0, m_ownText);
    return m_ownText;
}

ElementIndex::Search JSONDeserializer::SearchFor(SearchedText& own, std::string_view ElementName) {
    return ElementIndex::Search(own.elements, ElementName);
}

std::string JSONDeserializer::GetElementInObject(int ObjectIndex, const std::string& ElementName) const {
    return ElementIn(CachedOwnText(ObjectIndex), ElementName);
}

std::string JSONDeserializer::ElementIn(SearchedText& own, const std::string& ElementName,
                                        bool keepEscapedQuotes) const {
    const std::string_view t = own.text;
    const std::size_t a = SearchFor(own, ElementName).Next(0);
    if (a == std::string_view::npos) return {};
    // In compact JSON the value starts right after the key's closing quote and colon.
    const std::size_t b = a + ElementName.size() + 2;
    if (b >= t.size()) return {};
    const char terminator = t[b] == '"' ? '"' : t[b] == '[' ? ']' : ',';
    std::size_t f = t.find(terminator, b + 1);
    while (f != std::string_view::npos && t[f - 1] == '\\') {
        m_yield();
        f = t.find(terminator, f + 1);
    }
    const std::string_view part = f == std::string_view::npos ? t.substr(b) : t.substr(b, f - b);
    return ValueText(part, keepEscapedQuotes);
}

std::string JSONDeserializer::ValueText(std::string_view part, bool keepEscapedQuotes) {
    if (!keepEscapedQuotes) return CopyWithout(part, '"', '[');
    std::string value(part);
    RemoveQuotesKeepingEscaped(value);
    return value;
}

std::vector<std::string> JSONDeserializer::GetAllElementsInObject(int ObjectIndex,
                                                                  const std::string& ElementName) const {
    return AllElementsIn(CachedOwnText(ObjectIndex), ElementName);
}

std::vector<std::string> JSONDeserializer::AllElementsIn(SearchedText& own, const std::string& ElementName) {
    const std::string_view t = own.text;
    std::vector<std::string> slots;
    ElementIndex::Search search = SearchFor(own, ElementName);
    std::size_t from = 0;
    int m = 0;
    while (m < kMaxMatches) {
        const std::size_t a = search.Next(from);
        if (a == std::string_view::npos) break;
        if (slots.empty()) slots.emplace_back();
        ++m;
        const std::size_t b = a + ElementName.size() + 2;
        std::string_view part;
        if (b < t.size()) {
            const char terminator = t[b] == '"' ? '"' : ',';
            const std::size_t f = t.find(terminator, b + 1);
            part = f == std::string_view::npos ? t.substr(b) : t.substr(b, f - b);
        }
        slots.push_back(CopyWithout(part, '"', '"'));
        from = b;
    }
    return slots;
}

JSONDeserializer::SearchedText& JSONDeserializer::BoundedOwnText(int index) const {
    CheckIndex(index);
    if (index != 1 || m_count < 1) return CachedOwnText(index);
    TextView(index);  // fixes the end of an entry never closed
    if (m_entryOneFirstEnd == 0 || m_entryOneFirstEnd == m_entries[1].end) return CachedOwnText(index);
    if (m_boundedOwnText.index != index) CutOwnText(index, m_entryOneFirstEnd, m_boundedOwnText);
    return m_boundedOwnText;
}

std::string JSONDeserializer::GetElementWithinObject(int ObjectIndex, const std::string& ElementName) const {
    return ElementIn(BoundedOwnText(ObjectIndex), ElementName);
}

std::string JSONDeserializer::GetTextWithinObject(int ObjectIndex, const std::string& ElementName) const {
    return ElementIn(BoundedOwnText(ObjectIndex), ElementName, true);
}

std::string JSONDeserializer::GetLastElementInObject(int ObjectIndex, const std::string& ElementName) const {
    const auto slots = AllElementsIn(BoundedOwnText(ObjectIndex), ElementName);
    return slots.empty() ? std::string() : slots.back();
}

int JSONDeserializer::ObjectIndex(const std::string& ObjectName, int Index) const {
    int matches = 0;
    for (int k = 1; k <= m_count; ++k) {
        if (NameOf(m_entries[k]) == ObjectName && ++matches == Index) return k < m_count ? k : 0;
    }
    return 0;
}

int JSONDeserializer::LastChild(int ObjectIndex) const {
    if (ObjectIndex < 1) return 0;
    CheckIndex(ObjectIndex);
    const std::uint8_t level = m_entries[ObjectIndex].level;
    int k = ObjectIndex + 1;
    // Entry count + 1 has level 0, so the walk ends at the list's end.
    while (k <= m_count + 1 && m_entries[k].level > level) ++k;
    return k - 1 <= m_count ? k - 1 : 0;
}

}  // namespace marlin
