#include "emulator/bluesky_names.h"

#include "emulator/corpus.h"
#include "emulator/hashing.h"

namespace marlin::emulator {

namespace {

constexpr char kBase32[] = "abcdefghijklmnopqrstuvwxyz234567";
constexpr char kSortableBase32[] = "234567abcdefghijklmnopqrstuvwxyz";

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

BlueskyNames::BlueskyNames(const Corpus& corpus, uint64_t seed) : m_corpus(corpus), m_seed(seed) {
    for (int user = 0; user < corpus.UserCount(); ++user) {
        m_byHandle.emplace(Handle(user), user);
        m_byDid.emplace(Did(user), user);
    }
}

std::string BlueskyNames::Handle(int user) const {
    std::string name = Lower(m_corpus.ScreenName(user));
    for (char& c : name)
        if (c == '_') c = '-';
    // A label may not end in "-"; no screen name ends in "_x", so the handle stays one account's.
    if (name.back() == '-') name += 'x';
    return name + ".bsky.social";
}

std::string BlueskyNames::Did(int user) const {
    std::string did = "did:plc:";
    uint64_t h = Hash(m_seed, static_cast<uint64_t>(user), 0xD1D);
    for (int k = 0; k < 24; ++k) {
        if (k == 12) h = Mix(h);
        did += kBase32[h & 31];
        h >>= 5;
    }
    return did;
}

std::optional<int> BlueskyNames::FindActor(std::string_view actor) const {
    if (!actor.empty() && actor.front() == '@') actor.remove_prefix(1);
    if (actor.rfind("did:", 0) == 0) {
        const auto found = m_byDid.find(std::string(actor));
        if (found != m_byDid.end()) return found->second;
        return std::nullopt;
    }
    const auto found = m_byHandle.find(Lower(actor));
    if (found != m_byHandle.end()) return found->second;
    return std::nullopt;
}

std::string BlueskyNames::EncodeTid(uint64_t value) {
    std::string tid(13, '2');
    for (int k = 12; k >= 0; --k) {
        tid[k] = kSortableBase32[value & 31];
        value >>= 5;
    }
    return tid;
}

std::string BlueskyNames::Tid(int user, int64_t micros) const {
    const uint64_t clockId = Hash(m_seed, static_cast<uint64_t>(user), 0xC10C) & 1023;
    return EncodeTid((static_cast<uint64_t>(micros) << 10 | clockId) & 0x7FFFFFFFFFFFFFFFULL);
}

std::string BlueskyNames::Cid(uint64_t hash) {
    unsigned char bytes[36] = {0x01, 0x71, 0x12, 0x20};
    for (int k = 0; k < 32; ++k) {
        if (k % 8 == 0) hash = Mix(hash + static_cast<uint64_t>(k));
        bytes[4 + k] = static_cast<unsigned char>(hash >> (8 * (k % 8)));
    }
    std::string cid = "b";
    unsigned buffer = 0;
    int bits = 0;
    for (unsigned char byte : bytes) {
        buffer = (buffer << 8) | byte;
        bits += 8;
        while (bits >= 5) {
            bits -= 5;
            cid += kBase32[(buffer >> bits) & 31];
        }
    }
    if (bits > 0) cid += kBase32[(buffer << (5 - bits)) & 31];
    return cid;
}

}  // namespace marlin::emulator
