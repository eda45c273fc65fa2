#pragma once

#include <cstdint>
#include <string_view>

namespace marlin::emulator {

// Stateless mixing: every property of the corpus is a pure function of the seed and an address
// (user, tweet, purpose), so nothing has to be stored and every answer is reproducible.
constexpr uint64_t Mix(uint64_t x) {
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

constexpr uint64_t Hash(uint64_t a, uint64_t b, uint64_t c = 0, uint64_t d = 0) {
    return Mix(Mix(Mix(Mix(a) ^ b) ^ c) ^ d);
}

// A text's hash that is the same in every build (FNV-1a).
constexpr uint64_t HashText(std::string_view text) {
    uint64_t h = 0xcbf29ce484222325ULL;
    for (char c : text) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    return h;
}

// A uniform pick in [0, n) from a hash.
constexpr uint64_t Pick(uint64_t hash, uint64_t n) {
    return n == 0 ? 0 : hash % n;
}

// A uniform fraction in [0, 1) from a hash.
constexpr double Unit(uint64_t hash) {
    return static_cast<double>(hash >> 11) * (1.0 / 9007199254740992.0);
}

}  // namespace marlin::emulator
