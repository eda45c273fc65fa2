#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "workspace/engine/capture_request.h"
#include "workspace/engine/capture_result.h"
#include "workspace/engine/searches_folder.h"

namespace marlin {

// Many searches from a file of queries, one after the other, each into its own table and archive
// in a folder, going on at the first query not finished when started again. The window and the
// command line run it alike; they say how a request is made, how it is run, how its posts are
// kept and where the lines of the run go.
class SearchesFromFile {
  public:
    struct Hooks {
        // A request of this kind for the query, with the caller's settings.
        std::function<CaptureRequest(CaptureKind kind, const std::string& query)> request;
        std::function<CaptureResult(const CaptureRequest& request)> capture;
        // Keeps the posts of a search as the table; the posts kept, nothing when the search is
        // not finished (the run stops there, and the next run begins with it).
        std::function<std::optional<std::size_t>(const std::string& table, const CaptureResult& result)> keep;
        std::function<void(const std::string& line)> line;
        std::function<bool()> stopping = [] { return false; };
    };
    enum class Outcome { Finished, NotFinished, Stopped, DoneListUnwritten };

    SearchesFromFile(const std::filesystem::path& queries, const std::filesystem::path& folder, Hooks hooks);
    // Why the run cannot begin: the queries unreadable or none, the folder not made.
    const std::string& Problem() const { return m_problem; }
    // The queries left, from the first not finished.
    std::size_t Left() const { return m_queries.size() - m_first; }

    // One estimate for all the queries left, a line each and the total; the total's line.
    std::string Estimate();
    Outcome Run();

  private:
    std::vector<std::string> m_queries;
    SearchesFolder m_folder;
    Hooks m_hooks;
    std::size_t m_first = 0;
    std::string m_problem;
};

}  // namespace marlin
