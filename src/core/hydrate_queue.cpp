#include "core/hydrate_queue.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "core/archive_ids.h"
#include "core/missing_posts_file.h"

namespace marlin {

HydrateQueue::HydrateQueue(std::vector<std::uint64_t> ids)
    : m_ids(std::move(ids)), m_settled(m_ids.size()), m_remaining(m_ids.size()) {}

template <typename Known>
std::size_t HydrateQueue::Settle(Known&& known) {
    std::size_t settled = 0;
    for (std::size_t k = 0; k < m_ids.size(); ++k) {
        if (m_settled[k] || !known(m_ids[k])) continue;
        m_settled[k] = true;
        ++settled;
        if (k >= m_next) --m_remaining;
    }
    m_settledCount += settled;
    return settled;
}

std::size_t HydrateQueue::SettleArchived(const std::filesystem::path& archive) {
    const int fd = ::open(archive.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) return 0;
    if (fd < 0) throw Error("cannot read " + archive.string() + ": " + std::strerror(errno));
    ArchiveIds learnt;
    std::uint64_t end = 0;
    const bool read = learnt.Learn(fd, 0, end);
    const int error = errno;
    ::close(fd);
    if (!read) throw Error("cannot read " + archive.string() + ": " + std::strerror(error));
    return Settle([&](std::uint64_t id) { return learnt.Ids().Contains(std::to_string(id)); });
}

std::size_t HydrateQueue::SettleListed(const MissingPostsFile& missing) {
    IdSet listed;
    for (const MissingPostsFile::Row& row : missing.Rows()) listed.Insert(std::to_string(row.id));
    return Settle([&](std::uint64_t id) { return listed.Contains(std::to_string(id)); });
}

std::vector<std::uint64_t> HydrateQueue::NextBatch(std::size_t most) {
    std::vector<std::uint64_t> batch;
    for (; m_next < m_ids.size() && batch.size() < most; ++m_next)
        if (!m_settled[m_next]) batch.push_back(m_ids[m_next]);
    m_remaining -= batch.size();
    return batch;
}

}  // namespace marlin
