#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "platform/console_toolkit.h"
#include "service/app_cred_file.h"
#include "service/bsky_login.h"
#include "service/http_request.h"
#include "workspace/engine/capture_engine.h"
#include "workspace/engine/capture_result.h"
#include "workspace/export/export_options.h"
#include "workspace/headless/headless_command.h"
#include "workspace/headless/headless_events.h"
#include "workspace/tables/tweet_table.h"
#include "workspace/tables/user_table.h"
#include "workspace/toolkit_process_host.h"

namespace marlin {

// A capture without a window: the capture engine runs a request built from the arguments,
// and its records go into a Tweets table or a user table, which are written to the named
// file; the exports read a table file. Quota windows are always waited out. Messages and the
// request log go to the error stream (the rewritten progress line at most once a second).
// Nothing here knows the window or links a toolkit library.
class HeadlessRun {
  public:
    enum ExitCode { kDone = 0, kFailed = 1, kBadUsage = 2, kStoppedEarly = 3, kStopped = 130 };

    struct Setup {
        HttpRequestFactory requestFactory;
        std::string apiBase;
        std::filesystem::path appFolder;
        std::filesystem::path installedScorerFolder;
        // Reads an environment variable (nullptr when unset); std::getenv in the program.
        std::function<const char*(const char*)> getEnv;
        // Set from a signal handler: the run stops, saves what it has and ends with kStopped.
        const std::atomic<bool>* stopRequested = nullptr;
        // The pauses before automatic retries; empty keeps the window's defaults.
        std::vector<int> retryDelays;
        // One quota window (milliseconds); 0 keeps the service's 15 minutes.
        int quotaWindowMilliseconds = 0;
        // Where results meant for a pipe go (the count's "date,posts" lines); the error stream
        // when not set.
        std::ostream* out = nullptr;
    };

    HeadlessRun(ConsoleToolkit& toolkit, Setup setup);
    ~HeadlessRun();
    HeadlessRun(const HeadlessRun&) = delete;
    HeadlessRun& operator=(const HeadlessRun&) = delete;

    // arguments: what follows "--headless".
    int Run(const std::vector<std::string>& arguments);

    // A user list is names, one a line: more than this is not a user list.
    static constexpr std::size_t kMaxUserListBytes = std::size_t{64} << 20;

    // The credentials from the environment when all three variables are set, else from
    // the program folder's appcred (*problem says why a file too large was not read).
    AppCredFile::Credentials FindCredentials(std::string* problem = nullptr) const;

  private:
    int Execute(const HeadlessCommand& command);
    int RunSearch(const HeadlessCommand& command);
    int RunTableUpdate(const HeadlessCommand& command);
    int RunTimelines(const HeadlessCommand& command);
    int RunLookup(const HeadlessCommand& command);
    int RunUserList(const HeadlessCommand& command);
    int RunQuotes(const HeadlessCommand& command);
    static CaptureKind UserListKind(HeadlessCommand::Kind kind);
    // The users of a list capture to a user list file (.muk), or as a user table (.mut).
    bool WriteUserList(const UserSet& users, const std::string& file, bool exactTexts);
    int RunCount(const HeadlessCommand& command);
    // The ledger as CSV (no credentials, no service).
    int RunSpending(const HeadlessCommand& command);
    // A Tweets table made again from a raw archive file (no credentials, no service).
    int RunTableFromArchive(const HeadlessCommand& command);
    // The posts of the ids a file holds, with the missing list beside the table; resumes.
    int RunHydrate(const HeadlessCommand& command);
    // The ids of a table or archive (no credentials, no service).
    int RunDehydrate(const HeadlessCommand& command);
    int RunConversation(const HeadlessCommand& command);
    // One search a line of a file, after one estimate of them all; resumes.
    int RunSearches(const HeadlessCommand& command);
    // The day's and month's limits and the prices kept in the program folder's prefs, and
    // the run's --max-cost.
    void SetSpending(CaptureRequest& request, const HeadlessCommand& command) const;
    // A run the engine stopped (a spending limit, the service's cap) with nothing to save:
    // stopped early, and an earlier file of that name stays as it was.
    int StoppedWithNothing(const CaptureResult& result);
    // The exports read a saved table and need neither credentials nor the service.
    // A stop (SIGINT) ends an export with kStopped and nothing written; a target the user
    // made read-only is refused.
    int RunExport(const HeadlessCommand& command);
    bool WriteExport(const HeadlessCommand& command, const ExportOptions& options);
    int Saved(const std::string& fileName);
    // Why an export of `table` to `out` failed: the table unreadable, or the file unwritable.
    static std::string ExportFailure(const std::string& table, const std::string& out);
    int SaveTweets(const std::string& file);
    // The engine, set up as the command asks, with its token; nothing and the exit code
    // when there are no credentials or the service refuses them.
    int Connect(const HeadlessCommand& command);
    // The same for the second service: the stored session, or one made with MARLIN_BSKY_HANDLE and
    // MARLIN_BSKY_APP_PASSWORD.
    int ConnectBluesky(const HeadlessCommand& command);
    // Why the capture would put records of two services into one file (the table it goes on with, the
    // user list it reads, the archive it appends to); empty when it would not.
    std::string MixedService(const HeadlessCommand& command) const;
    std::string Env(const char* name) const;
    CaptureRequest Request(CaptureKind kind, const HeadlessCommand& command) const;
    // The engine's tweets, scored, into the table (after its rows with append).
    void TakeTweets(bool append);
    void TakeTweets(TweetSet& tweets, bool append);
    // SaveTweets and RetrievalOutcome of a run that made a new table.
    int SaveRetrieved(const std::string& file, const CaptureResult& result);
    int Fail(const std::string& reason);
    // The exit code of a capture whose records were saved (`saved` is kDone): done when it
    // was complete, stopped early when it was not, stopped when a signal asked for it.
    int RetrievalOutcome(int saved);
    bool Complete() const;
    bool OpenTable(const std::string& file);
    // The extra columns of a table file read through the scorer's data, onto its rows.
    void TakeExtraCells(const std::string& file);
    std::vector<std::string> ReadUserNames(const std::string& file, std::string* error) const;
    void Idle();

    ConsoleToolkit& m_tk;
    Setup m_setup;
    // Before the engine that speaks to it, so it outlives every capture there.
    HeadlessEvents m_events{m_tk};
    ToolkitProcessHost m_processes{m_tk};
    std::unique_ptr<CaptureEngine> m_engine;
    std::unique_ptr<BskyLogin> m_bskyLogin;  // for the engine's client, with --service bluesky
    TweetTable m_tweets;
    UserTable m_users{"Tweets"};
    bool m_stopping = false;
};

}  // namespace marlin
