#include "workspace/engine/searches_from_file.h"

#include "workspace/engine/volume_estimate.h"

namespace marlin {

SearchesFromFile::SearchesFromFile(const std::filesystem::path& queries, const std::filesystem::path& folder,
                                   Hooks hooks)
    : m_folder(folder), m_hooks(std::move(hooks)) {
    if (std::optional<std::vector<std::string>> read = SearchesFolder::ReadQueries(queries, &m_problem))
        m_queries = std::move(*read);
    if (m_queries.empty()) return;
    if (!m_folder.Problem().empty()) {
        m_problem = m_folder.Problem();
        return;
    }
    while (m_first < m_queries.size() && m_folder.Done(m_first, m_queries[m_first])) ++m_first;
    if (m_first > 0)
        m_hooks.line("Resumed: " + std::to_string(m_first) + " of " + std::to_string(m_queries.size()) +
                     " searches finished before");
}

std::string SearchesFromFile::Estimate() {
    VolumeEstimate total;
    double price = 0;
    bool fullArchive = false;
    for (std::size_t k = m_first; k < m_queries.size() && !m_hooks.stopping(); ++k) {
        const std::string& query = m_queries[k];
        const CaptureRequest request = m_hooks.request(CaptureKind::Count, query);
        price = request.pricePerPostRead;
        fullArchive = request.fullArchive;
        const CaptureResult result = m_hooks.capture(request);
        if (!result.estimate) {
            m_hooks.line("Estimate of [" + query + "]: no counts (" + result.last.responseCode + ")");
            continue;
        }
        m_hooks.line("Estimate of [" + query + "]: " + result.estimate->Summary(price));
        total.posts += result.estimate->posts;
        total.requests += result.estimate->requests;
        total.cost += result.estimate->cost;
    }
    const int perWindow =
        fullArchive ? VolumeEstimate::kArchiveRequestsPerWindow : VolumeEstimate::kRecentRequestsPerWindow;
    total.windows = (total.requests + perWindow - 1) / perWindow;
    total.minutes = total.windows * VolumeEstimate::kWindowMinutes;
    std::string line = "Estimate of all " + std::to_string(Left()) + " searches: " + total.Summary(price);
    m_hooks.line(line);
    return line;
}

SearchesFromFile::Outcome SearchesFromFile::Run() {
    const std::size_t count = m_queries.size();
    for (std::size_t k = m_first; k < count; ++k) {
        if (m_hooks.stopping()) return Outcome::Stopped;
        const std::string& query = m_queries[k];
        CaptureRequest request = m_hooks.request(CaptureKind::Search, query);
        request.archive.file = m_folder.ArchiveFor(k, count, query);
        const CaptureResult result = m_hooks.capture(request);
        const std::string table = m_folder.TableFor(k, count, query).string();
        const std::optional<std::size_t> kept = m_hooks.keep(table, result);
        const std::string place = std::to_string(k + 1) + "/" + std::to_string(count) + " [" + query + "]: ";
        if (!kept) {
            m_hooks.line("Search " + place + "not finished; the same searches again go on from it");
            return Outcome::NotFinished;
        }
        if (!m_folder.MarkDone(k, query)) return Outcome::DoneListUnwritten;
        m_first = k + 1;
        m_hooks.line("Search " + place + std::to_string(*kept) + " posts to " + table);
    }
    return m_hooks.stopping() ? Outcome::Stopped : Outcome::Finished;
}

}  // namespace marlin
