#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/id_set.h"
#include "spending/money.h"
#include "spending/read_kind.h"
#include "spending/tally.h"

struct sqlite3;

namespace marlin {

class SqlStatement;

// The ledger of every read the service charges, in an SQLite file in the program folder
// (beside the archive folder): each post, user and counts request with its UTC day, its
// object, its price and the run and request that read it.
//
// A page's reads go in as one transaction, as one row of the page (its objects as a JSON
// array; the view `reads` shows them one a row). A read of an object that the ledger already
// holds for that UTC day is recorded as not charged (the service charges a repeat read once
// a day). Two runs may write one ledger at once: the file is in WAL mode, a writer waits up
// to the busy time for another, and each page's repeat check and its row are one
// transaction that first learns the pages the other run wrote since, so a post read by both
// on one day is charged to one of them. The objects read each day are held in memory (some
// 16 bytes an object), so that the check costs no search of the file.
//
// A page that cannot be written is kept and written with the next; the reason is in
// Problem() until a write succeeds, so the capture can stop before its next request.
// One Ledger serves one thread.
class Ledger {
  public:
    static constexpr const char* kFileName = "ledger.sqlite";
    static constexpr int kBusyMilliseconds = 5000;

    // What a run is, kept with its reads: the estimate asks for the posts of a query.
    struct Run {
        std::string kind;     // "search", "timelines", "lookup", ...
        std::string query;    // the query, or the accounts; may be empty
        std::string service;  // "v2"
    };
    struct Read {
        ReadKind kind = ReadKind::Post;
        std::string object;         // the post's or user's id; empty for a counts request
        Money price;                // of this read, as the prices stood when it was made
        std::int64_t postedMs = 0;  // when the post was written, ms since 1970; 0 unknown
    };

    // Opens the ledger, making it when it does not exist; nothing, with the reason in
    // *problem, when it cannot be opened or made. A symbolic link is not followed.
    static std::unique_ptr<Ledger> Open(const std::filesystem::path& file, std::string* problem,
                                        int busyMilliseconds = kBusyMilliseconds);
    ~Ledger();
    Ledger(const Ledger&) = delete;
    Ledger& operator=(const Ledger&) = delete;

    // A new run, numbered apart from every other run of the file; nothing when the ledger
    // cannot be written (Problem()).
    std::optional<std::int64_t> BeginRun(const Run& run, std::time_t now);

    // Records the reads of one answered page, read at `now`, with those of earlier pages
    // that could not be written; what was written, or nothing when the ledger cannot be
    // written (the reads are kept for the next call).
    std::optional<Tally> RecordPage(std::int64_t run, std::int64_t request, std::vector<Read> reads,
                                    std::time_t now);
    // Writes the reads kept from failed pages; what was written (nothing to write: an empty
    // tally), or nothing when they still cannot be written.
    std::optional<Tally> Flush();
    // The reads kept from pages that could not be written.
    std::size_t Pending() const;
    // Why the last write or read failed; empty after a success.
    const std::string& Problem() const { return m_problem; }

    // What was charged on a UTC day ("2026-12-08") and in a calendar month ("2026-12"), by
    // every run; nothing when the ledger cannot be read.
    std::optional<Money> SpentOn(const std::string& day);
    std::optional<Money> SpentIn(const std::string& month);
    // The posts charged on a UTC day, by every run (repeats left out): the figure the
    // service's own usage count gives for that day.
    std::optional<std::int64_t> PostsChargedOn(const std::string& day);
    // The reads of one run.
    std::optional<Tally> OfRun(std::int64_t run);
    // One tally per day of a month, or per month of the whole ledger, in date order.
    std::optional<std::vector<Tally>> Days(const std::string& month);
    std::optional<std::vector<Tally>> Months();
    // The distinct posts written in [fromMs, toMs) that a run of this query was the first to
    // read on that day.
    std::optional<std::int64_t> PostsReadOn(const std::string& day, const std::string& query,
                                            std::int64_t fromMs, std::int64_t toMs);

  private:
    // A page not written yet.
    struct Unwritten {
        std::int64_t run;
        std::int64_t request;
        std::vector<Read> reads;
        std::time_t at;
    };
    using DayAndKind = std::pair<std::string, ReadKind>;

    explicit Ledger(sqlite3* db);
    bool Prepare();
    bool Exec(const char* sql);
    bool Fail();
    std::optional<Tally> WritePending();
    // Under the write lock: the objects of the pages other runs wrote since the last look.
    bool CatchUp();
    // The objects read on a day, learnt from the file the first time; null when it cannot be read.
    IdSet* SeenOn(const std::string& day, ReadKind kind);
    // One page's reads of one kind and price as a row; false when it could not be written.
    bool WriteGroup(const Unwritten& page, const std::string& day, const std::vector<const Read*>& group,
                    Tally& tally);
    bool AddToDay(const std::string& day, ReadKind kind, const Tally& tally);
    // What was charged on the days from `from` up to (not including) `to`.
    std::optional<Money> SpentBetween(const std::string& from, const std::string& to);
    // Ends a failed transaction: the objects it marked as read are unmarked; the reads stay pending.
    std::optional<Tally> Abandon();
    std::optional<std::vector<Tally>> Tallies(SqlStatement& statement);

    sqlite3* m_db;
    std::unique_ptr<SqlStatement> m_insertPage;
    std::unique_ptr<SqlStatement> m_addToDay;
    std::unique_ptr<SqlStatement> m_newPages;
    std::unique_ptr<SqlStatement> m_spent;
    std::vector<Unwritten> m_pending;
    std::string m_problem;
    std::map<DayAndKind, IdSet> m_seen;
    std::int64_t m_lastPage = 0;                           // the pages up to here are in m_seen
    std::vector<std::pair<IdSet*, std::string>> m_marked;  // marked by the open transaction
};

}  // namespace marlin
