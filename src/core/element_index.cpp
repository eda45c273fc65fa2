#include "core/element_index.h"

#include <algorithm>
#include <cstring>

#include "core/byte_search.h"

namespace marlin {

std::uint32_t ElementIndex::Bucket(const char* keyEnd) const {
    const auto* bytes = reinterpret_cast<const unsigned char*>(keyEnd - kKeyBytes);
    const std::uint32_t key = bytes[0] | (std::uint32_t{bytes[1]} << 8) | (std::uint32_t{bytes[2]} << 16);
    return (key * 0x9E3779B1u) >> m_shift;
}

void ElementIndex::Reset(std::string_view text) {
    m_text = text;
    m_searches = 0;
    m_filedUpTo = 0;
    m_quotes.clear();
    m_next.clear();
    m_heads.clear();  // sized by the first search: most texts are never searched
}

bool ElementIndex::FileMore() {
    if (m_heads.empty()) {
        // About one quote in eight bytes of a service text; a chain or two per bucket.
        unsigned bits = 4;
        while (bits < 20 && (std::size_t{1} << bits) < m_text.size() / 8) ++bits;
        m_shift = 32 - bits;
        m_heads.assign(std::size_t{1} << bits, -1);
        m_tails.assign(std::size_t{1} << bits, -1);
    }
    const char* data = m_text.data();
    const std::size_t size = m_text.size();
    int filed = 0;
    while (filed < kFileAtATime && m_filedUpTo < size) {
        const std::size_t base = m_filedUpTo & ~std::size_t{63};
        std::uint64_t quotes = ByteSearch::BlockAt(data, size, base).quotes;
        quotes &= ~std::uint64_t{0} << (m_filedUpTo - base);
        m_filedUpTo = std::min(size, base + 64);
        for (; quotes != 0; quotes &= quotes - 1) {
            File(base + static_cast<std::size_t>(__builtin_ctzll(quotes)));
            ++filed;
        }
    }
    return filed > 0;
}

void ElementIndex::File(std::size_t quote) {
    const auto at = static_cast<std::int32_t>(m_quotes.size());
    m_quotes.push_back(static_cast<std::uint32_t>(quote));
    m_next.push_back(-1);
    if (quote < kKeyBytes) return;  // no name of a filed length ends here
    const std::uint32_t bucket = Bucket(m_text.data() + quote);
    if (m_tails[bucket] < 0) {
        m_heads[bucket] = at;
    } else {
        m_next[m_tails[bucket]] = at;
    }
    m_tails[bucket] = at;
}

ElementIndex::Search::Search(ElementIndex& index, std::string_view name) : m_index(index), m_name(name) {
    m_plain = ++index.m_searches <= kPlainSearches || name.size() < kKeyBytes;
    if (m_plain) return;
    if (index.m_heads.empty()) index.FileMore();
    m_bucket = index.Bucket(name.data() + name.size());
    m_at = index.m_heads[m_bucket];
}

std::size_t ElementIndex::Search::NextInText(std::size_t from) const {
    const std::string_view text = m_index.m_text;
    const std::size_t size = m_name.size();
    while (from + size < text.size()) {
        // The last byte of the text cannot start the name: a quote must follow it.
        const std::string_view rest = text.substr(from, text.size() - from - 1);
        const std::size_t found = ByteSearch::Find(rest.data(), rest.size(), 0, m_name.data(), size);
        if (found == rest.size() && size > 0) break;
        const std::size_t at = from + found;
        if (text[at + size] == '"') return at;
        from = at + 1;
    }
    return std::string_view::npos;
}

std::size_t ElementIndex::Search::Next(std::size_t from) {
    const std::size_t size = m_name.size();
    if (m_plain) return NextInText(from);
    const char* data = m_index.m_text.data();
    for (;;) {
        for (; m_at >= 0; m_last = m_at, m_at = m_index.m_next[m_at]) {
            const std::size_t quote = m_index.m_quotes[m_at];
            if (quote < size || quote - size < from) continue;
            if (std::memcmp(data + quote - size, m_name.data(), size) == 0) return quote - size;
        }
        if (!m_index.FileMore()) return std::string_view::npos;
        m_at = m_last < 0 ? m_index.m_heads[m_bucket] : m_index.m_next[m_last];
    }
}

}  // namespace marlin
