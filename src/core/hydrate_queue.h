#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "core/id_set.h"

namespace marlin {

class MissingPostsFile;

// The ids a hydrate still has to ask the service for, a batch at a time, in the order they were
// read. A hydrate of a million ids that was interrupted goes on without asking again for what an
// earlier run settled: the posts its archive holds (learnt by streaming the archive, as the archive
// learns its own ids) and the ids its missing list names.
class HydrateQueue {
  public:
    static constexpr std::size_t kBatch = 100;  // ids a look-up request may name

    // The archive could not be read.
    struct Error : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    explicit HydrateQueue(std::vector<std::uint64_t> ids);

    // Leaves out the ids whose posts the archive holds; the number left out. No file: none.
    std::size_t SettleArchived(const std::filesystem::path& archive);
    // Leaves out the ids the list names; the number left out.
    std::size_t SettleListed(const MissingPostsFile& missing);

    // The next ids to ask for, at most `most`; empty once every id was handed out.
    std::vector<std::uint64_t> NextBatch(std::size_t most = kBatch);

    std::size_t Total() const { return m_ids.size(); }
    std::size_t Settled() const { return m_settledCount; }
    // Ids neither settled nor handed out yet.
    std::size_t Remaining() const { return m_remaining; }

  private:
    // Leaves out every id `known` holds.
    template <typename Known>
    std::size_t Settle(Known&& known);

    std::vector<std::uint64_t> m_ids;
    std::vector<bool> m_settled;  // by position in m_ids
    std::size_t m_settledCount = 0;
    std::size_t m_next = 0;
    std::size_t m_remaining = 0;
};

}  // namespace marlin
