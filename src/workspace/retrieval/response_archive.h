#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "core/raw_archive.h"
#include "workspace/main_window_state.h"

namespace marlin {

// Settings › "Keep Raw Responses": every tweet and user object that any retrieval gets
// from the service goes, as it came, to
//   <program folder>/archive/<yyyy-mm-dd>-<kind>-<query or list name>.jsonl
// (kind: search, timelines, users, followers, friends), or, when the run names one
// archive file (the command line's --archive), to that file whatever the setting says.
// Hooked to both service clients, so no retrieval loop needs to know about it.
class ResponseArchive {
  public:
    static constexpr const char* kFolder = "archive";
    // The name of timeline pages: their users come from the User list.
    static constexpr const char* kUserListName = "user-list";

    explicit ResponseArchive(MainWindowState& window);
    ResponseArchive(const ResponseArchive&) = delete;
    ResponseArchive& operator=(const ResponseArchive&) = delete;

    // The file a page of that family, asked for at that address, goes to; empty when
    // nothing is kept.
    std::filesystem::path FileFor(ResourceFamily family, const std::string& url) const;

    static const char* KindOf(ResourceFamily family);
    // One parameter of a request address, percent-decoded; empty when absent.
    static std::string Parameter(const std::string& url, const std::string& name);

  private:
    void Keep(ResourceFamily family, const std::string& url, const std::string& body,
              const PageRecords& records);
    std::string NameOf(ResourceFamily family, const std::string& url) const;
    void Report(const std::string& line);

    MainWindowState& m_window;
    // Open files with the ids they hold, read once per run.
    std::map<std::filesystem::path, std::unique_ptr<RawArchive>> m_files;
    std::set<std::filesystem::path> m_reported;  // files whose failure the log has shown
};

}  // namespace marlin
