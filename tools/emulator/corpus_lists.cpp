#include "emulator/corpus_lists.h"

#include "emulator/corpus.h"
#include "emulator/hashing.h"

namespace marlin::emulator {

namespace {

constexpr uint64_t kLists = 0x1157;
constexpr int kListsPerOwner = 4;  // the low bits of an id that number the owner's lists

}  // namespace

CorpusLists::CorpusLists(const Corpus& corpus, uint64_t seed) : m_corpus(corpus), m_seed(seed) {}

int CorpusLists::ListCount(int user) const {
    if (user < 0 || user >= m_corpus.UserCount() || m_corpus.IsProtected(user)) return 0;
    if (user == Corpus::kDemo) return 2;
    if (user < Corpus::kRoleCount) return user == Corpus::kSilent ? 0 : 1;
    return Unit(Hash(m_seed, static_cast<uint64_t>(user), kLists)) < 0.05 ? 1 : 0;
}

std::optional<CorpusLists::List> CorpusLists::Find(uint64_t id) const {
    if (id < kFirstListId) return std::nullopt;
    const uint64_t offset = id - kFirstListId;
    if (offset / kListsPerOwner >= static_cast<uint64_t>(m_corpus.UserCount())) return std::nullopt;
    const int owner = static_cast<int>(offset / kListsPerOwner);
    const int number = static_cast<int>(offset % kListsPerOwner);
    if (number >= ListCount(owner)) return std::nullopt;
    return List{id, owner, number};
}

std::vector<CorpusLists::List> CorpusLists::OwnedBy(int user) const {
    std::vector<List> lists;
    for (int number = 0; number < ListCount(user); ++number)
        lists.push_back({kFirstListId + static_cast<uint64_t>(user) * kListsPerOwner + number, user, number});
    return lists;
}

std::vector<int> CorpusLists::Members(const List& list) const {
    // Each list keeps about half of the accounts its owner follows, a different half for each list.
    std::vector<int> members;
    for (int friendUser : m_corpus.Friends(list.owner)) {
        if (static_cast<int>(members.size()) == kMaxMembers) break;
        if (Hash(m_seed, list.id, static_cast<uint64_t>(friendUser)) & 1) members.push_back(friendUser);
    }
    return members;
}

}  // namespace marlin::emulator
