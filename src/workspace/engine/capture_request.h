#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "spending/prices.h"
#include "spending/spending_limits.h"

namespace marlin {

// What a capture asks for. Each kind is run by a pager of its own over the engine's one
// page loop; a kind a later version adds is one more pager, not one more loop.
enum class CaptureKind {
    Search,        // the posts of the query, newest first, back to the threshold date
    Update,        // the posts of the query since position.sinceId
    ContinueBack,  // the posts of the query below position.belowId, back to the threshold date
    Timelines,     // the timelines of the accounts, back to the threshold date (per account: since/below)
    Timeline,      // the timeline of accounts[0] alone, back to the threshold date
    Lookup,        // the profiles of the accounts
    Followers,     // the followers of accounts[0]
    Friends,       // the accounts accounts[0] follows
    Count,         // the posts per day of the query, with the requests and the cost they take
    Sample,        // the timeline sample of accounts[0]: a year back, at most limits.maxRecords tweets
    Hydrate,       // the posts of postIds, 100 ids a request; those not given go to missingFile
    Conversation,  // every reply in the conversations of postIds back to the threshold date, and the roots
    // The calls around one post or list (v2 whatever the dialect; accounts hold the numbers):
    Quotes,       // the posts that quote each post of accounts, one table
    RepostedBy,   // the users who reposted the post accounts[0]
    LikingUsers,  // the users who liked the post accounts[0]
    ListMembers,  // the members of the list accounts[0]
};

// The service a capture speaks to, and in which of its dialects. Every dialect gives the
// same records, so nothing above the engine knows which one ran. Bluesky has one dialect
// (the dialect field is not read for it).
enum class CaptureService { Twitter, Bluesky };
enum class CaptureDialect { V1_1, V2 };

// Where a capture's raw objects go: nowhere, the program folder's archive (one file per
// day, kind and name), or one file the caller names (the command line's --archive).
struct ArchiveChoice {
    bool keepRaw = false;
    std::filesystem::path file;  // wins over keepRaw when set
    // The name a look-up's file carries: the user table it fills ("Tweets" for the first).
    std::string lookupName = "Tweets";
};

// How far a capture goes on its own: spent quota windows waited out and failed requests
// sent again after these pauses (milliseconds) instead of asking, and a cap on the records.
struct CaptureLimits {
    bool waitForQuota = false;
    std::vector<int> retryDelays{5000, 15000, 60000};
    int maxRecords = 0;  // 0: no cap
    // One quota window, waited out after repeated 429s that name no usable reset.
    int windowMilliseconds = 15 * 60 * 1000;
};

// Where an update or a continuation starts: the newest and the oldest id already held.
struct CapturePosition {
    std::string sinceId;
    std::string belowId;
};

// One capture as a plain value: the window builds it from its controls, the command line
// from its arguments, and the engine runs it.
struct CaptureRequest {
    CaptureKind kind = CaptureKind::Search;
    std::string query;
    std::vector<std::string> accounts;  // screen names, or ids with accountsAreIds
    bool accountsAreIds = false;
    // The threshold date in the local calendar; nothing reaches back as far as the service goes.
    std::optional<std::chrono::year_month_day> backTo;
    std::string language = "en";
    CaptureService service = CaptureService::Twitter;
    CaptureDialect dialect = CaptureDialect::V1_1;
    bool fullArchive = false;  // v2 searches and counts reach back to 2006
    bool exactTexts = false;   // whole texts, every character kept
    // The tweets also read what the Tweets table's extra columns show (TweetSet::Record::Extra).
    bool extraColumns = false;
    ArchiveChoice archive;
    CaptureLimits limits;
    CapturePosition position;                       // search kinds
    std::vector<CapturePosition> accountPositions;  // timelines: one per account, or none
    // Look-ups: the profiles found join those the engine holds instead of replacing them.
    bool addToRecords = false;
    // Lists: how long the list is when a profile at hand tells it (the progress bar's end);
    // 0 when not known.
    long long expectedRecords = 0;
    // Counts: the price of one post read, in dollars.
    double pricePerPostRead = 0.005;
    // v2: what the service charges, and the most this run, today (UTC) and this month may
    // spend; the engine keeps every read in the ledger of the program folder.
    Prices prices;
    SpendingLimits spendingLimits;
    // Hydrates: the ids to look up (each once, in the order read); conversations: their roots.
    std::vector<std::uint64_t> postIds;
    // Hydrates: the list of the ids the service did not give, with its reasons, kept across
    // runs; with archive.file, a run goes on from where an earlier one stopped.
    std::filesystem::path missingFile;

    // The threshold date as a short date text ("dd/mm/yyyy"), or the earliest date there is.
    std::string ThresholdDateText() const;
    // Local midnight at the start of the threshold date, in seconds since 1970 UTC; 0 for none.
    std::time_t ThresholdTime() const;
    // The threshold date so many days before today.
    static std::chrono::year_month_day DaysBack(int days);
};

}  // namespace marlin
