#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace marlin::emulator {

class Corpus;

// The second service's names for the corpus's people and posts: a handle and a DID for every account, a
// TID record key and a CID for every post. Each is a pure function of the seed and the account or post, so
// that the same post has the same address in every answer.
class BlueskyNames {
  public:
    BlueskyNames(const Corpus& corpus, uint64_t seed);

    // "demo-researcher.bsky.social": the screen name in lower case, "_" as "-" (a handle holds no "_").
    std::string Handle(int user) const;
    // "did:plc:" and 24 letters and digits of the base-32 alphabet.
    std::string Did(int user) const;
    // The account a handle or DID names (a handle ignores case; "@" in front is allowed).
    std::optional<int> FindActor(std::string_view actor) const;

    // The record key of a post written at that microsecond: a TID (13 characters of the sortable base-32
    // alphabet holding the microseconds above a 10-bit clock id, which is the author's).
    std::string Tid(int user, int64_t micros) const;
    // A CIDv1 (dag-cbor, sha2-256) in base 32, its digest made from the hash.
    static std::string Cid(uint64_t hash);
    // The sortable base-32 TID of a 63-bit value.
    static std::string EncodeTid(uint64_t value);

  private:
    const Corpus& m_corpus;
    uint64_t m_seed;
    std::unordered_map<std::string, int> m_byHandle;
    std::unordered_map<std::string, int> m_byDid;
};

}  // namespace marlin::emulator
