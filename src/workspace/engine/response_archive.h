#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "core/raw_archive.h"
#include "service/twitter_api.h"
#include "workspace/engine/capture_events.h"
#include "workspace/engine/capture_request.h"

namespace marlin {

// Settings › "Keep Raw Responses": every tweet and user object that any retrieval gets
// from the service goes, as it came, to
//   <program folder>/archive/<yyyy-mm-dd>-<kind>-<query or list name>.jsonl
// (kind: search, timelines, users, followers, friends, quotes, reposted-by, liking-users,
// list-members), or, when the run names one
// archive file (the command line's --archive), to that file whatever the setting says.
// The engine taps every answered page into it, so no pager needs to know about it.
class ResponseArchive {
  public:
    static constexpr const char* kFolder = "archive";
    // The name of timeline pages: their users come from the User list.
    static constexpr const char* kUserListName = "user-list";

    explicit ResponseArchive(std::filesystem::path appFolder) : m_appFolder(std::move(appFolder)) {}
    ResponseArchive(const ResponseArchive&) = delete;
    ResponseArchive& operator=(const ResponseArchive&) = delete;

    // The file a page of that family, asked for at that address, goes to under the run's
    // choice; empty when nothing is kept.
    std::filesystem::path FileFor(ResourceFamily family, const std::string& url,
                                  const ArchiveChoice& choice) const;
    // Keeps the objects of an answered page; a file that cannot be written is said once, just
    // above the running loop's line, and the run goes on.
    void Keep(ResourceFamily family, const RequestOutcome& answer, const ArchiveChoice& choice,
              CaptureEvents& events);

    static const char* KindOf(ResourceFamily family);
    // One parameter of a request address, percent-decoded; empty when absent.
    static std::string Parameter(const std::string& url, const std::string& name);

  private:
    static std::string NameOf(ResourceFamily family, const std::string& url, const ArchiveChoice& choice);

    std::filesystem::path m_appFolder;
    // Open files with the ids they hold, read once per run.
    std::map<std::filesystem::path, std::unique_ptr<RawArchive>> m_files;
    std::set<std::filesystem::path> m_reported;  // files whose failure the log has shown
};

}  // namespace marlin
