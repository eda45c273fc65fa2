#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace marlin::emulator {

class Corpus;

// The lists the corpus implies: a list is curated by its owner from the accounts the owner follows. The
// demo account and the other accounts in fixed roles own one or two; about one other account in twenty owns
// one; protected accounts own none that others may see. List ids are fixed by the seed and the corpus size
// alone, so the demo's lists keep their ids from one start to the next.
class CorpusLists {
  public:
    static constexpr uint64_t kFirstListId = 1500000000000000000ULL;
    static constexpr int kMaxMembers = 5000;  // the service's cap on a list's size

    struct List {
        uint64_t id = 0;
        int owner = -1;
        int number = 0;  // of the owner's lists, from 0
    };

    CorpusLists(const Corpus& corpus, uint64_t seed);

    std::optional<List> Find(uint64_t id) const;
    std::vector<List> OwnedBy(int user) const;
    // The members, the latest added first.
    std::vector<int> Members(const List& list) const;

  private:
    int ListCount(int user) const;

    const Corpus& m_corpus;
    uint64_t m_seed;
};

}  // namespace marlin::emulator
