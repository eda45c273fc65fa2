#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Searches for one of a few bytes, sixteen bytes at a step. Service texts are full of
// short strings, and a library search per string costs more in its call than in its work.
namespace marlin::ByteSearch {

// The index of the first byte at or after from that equals a, b or c; n when none does.
inline std::size_t FirstOf(const char* text, std::size_t n, std::size_t from, char a, char b, char c) {
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(a);
    const __m128i vb = _mm_set1_epi8(b);
    const __m128i vc = _mm_set1_epi8(c);
    while (from + 16 <= n) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + from));
        const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, va), _mm_cmpeq_epi8(block, vb)),
                                          _mm_cmpeq_epi8(block, vc));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (mask != 0) return from + static_cast<std::size_t>(__builtin_ctz(mask));
        from += 16;
    }
#endif
    for (; from < n; ++from) {
        const char x = text[from];
        if (x == a || x == b || x == c) return from;
    }
    return n;
}

inline std::size_t First(const char* text, std::size_t n, std::size_t from, char a) {
    return FirstOf(text, n, from, a, a, a);
}

// The index of the first place at or after from where needle (m bytes, m >= 1) starts; n
// when none does. Sixteen places are tried at a step by the needle's first and last bytes
// together, so that a text full of the first byte alone does not stop the search at each
// one, and a short search costs no more than its work (a library search sets up tables
// per call).
inline std::size_t Find(const char* text, std::size_t n, std::size_t from, const char* needle,
                        std::size_t m) {
    if (m == 0) return from <= n ? from : n;
    if (m > n) return n;
    const std::size_t lastStart = n - m;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(needle[0]);
    const __m128i last = _mm_set1_epi8(needle[m - 1]);
    while (from + 16 <= lastStart + 1) {
        const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + from));
        const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + from + m - 1));
        unsigned mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(head, first), _mm_cmpeq_epi8(tail, last))));
        while (mask != 0) {
            const std::size_t at = from + static_cast<std::size_t>(__builtin_ctz(mask));
            if (std::memcmp(text + at + 1, needle + 1, m - 1) == 0) return at;
            mask &= mask - 1;
        }
        from += 16;
    }
#endif
    for (; from <= lastStart; ++from)
        if (text[from] == needle[0] && std::memcmp(text + from + 1, needle + 1, m - 1) == 0) return from;
    return n;
}

// Which of the 64 bytes from base on are double quotes, and which are curly braces: bit
// k stands for byte base + k. Bytes at or past n count as neither.
struct Block {
    std::uint64_t quotes = 0;
    std::uint64_t braces = 0;
    std::uint64_t backslashes = 0;
};

// Bit k set when an odd number of the bits 0..k of x are: over a mask of quotes, the
// bytes from an opening quote up to its closing one.
inline std::uint64_t PrefixXor(std::uint64_t x) {
    x ^= x << 1;
    x ^= x << 2;
    x ^= x << 4;
    x ^= x << 8;
    x ^= x << 16;
    x ^= x << 32;
    return x;
}

inline Block BlockAt(const char* text, std::size_t n, std::size_t base) {
    Block block;
    if (base + 64 > n) {
        char tail[64] = {};
        if (base < n) std::memcpy(tail, text + base, n - base);
        return BlockAt(tail, 64, 0);
    }
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i open = _mm_set1_epi8('{');
    const __m128i close = _mm_set1_epi8('}');
    const __m128i backslash = _mm_set1_epi8('\\');
    for (int part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + base + 16 * part));
        const auto quotes = static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, quote)));
        const auto braces = static_cast<std::uint16_t>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, open), _mm_cmpeq_epi8(bytes, close))));
        const auto backslashes =
            static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, backslash)));
        block.quotes |= std::uint64_t{quotes} << (16 * part);
        block.braces |= std::uint64_t{braces} << (16 * part);
        block.backslashes |= std::uint64_t{backslashes} << (16 * part);
    }
#else
    for (int k = 0; k < 64; ++k) {
        const char c = text[base + k];
        if (c == '"') block.quotes |= std::uint64_t{1} << k;
        if (c == '{' || c == '}') block.braces |= std::uint64_t{1} << k;
        if (c == '\\') block.backslashes |= std::uint64_t{1} << k;
    }
#endif
    return block;
}

}  // namespace marlin::ByteSearch
