// The ledger: the repeat rule by UTC day, its sums, two runs writing at once, and a ledger
// that cannot be written.
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include "spending/ledger.h"
#include "spending/page_reads.h"
#include "spending/spending_guard.h"
#include "spending/spending_report.h"
#include "test_support.h"

namespace marlin::testing {
namespace {

using ::testing::StartsWith;

constexpr std::time_t kLastSecondOf2026 = 1798761599;  // 2026-12-31 23:59:59 UTC
const Money kPost = Prices::kPublishedPostRead;
const Money kUser = Prices::kPublishedUserRead;

Ledger::Read PostRead(const std::string& id, std::int64_t postedMs = 0) {
    return {ReadKind::Post, id, kPost, postedMs};
}

std::unique_ptr<Ledger> OpenLedger(const std::filesystem::path& file,
                                   int busyMs = Ledger::kBusyMilliseconds) {
    std::string problem;
    std::unique_ptr<Ledger> ledger = Ledger::Open(file, &problem, busyMs);
    EXPECT_TRUE(ledger) << problem;
    return ledger;
}

TEST(PageReadsTest, TheObjectsOfDataAreReadAndNothingBeside) {
    const std::vector<std::tuple<std::string, ReadKind, std::string>> cases = {
        {R"({"data":[{"text":"a","id":"11","created_at":"2026-12-31T23:59:59.000Z"},{"id":"12"}],)"
         R"("includes":{"tweets":[{"id":"13"}],"users":[{"id":"5"}]},"meta":{"result_count":2}})",
         ReadKind::Post, "11@1798761599000 12@0 "},
        {R"({"data":{"id":"5","username":"a","created_at":"2010-01-01T00:00:00.000Z"}})", ReadKind::User,
         "5@0 "},
        {R"({"errors":[{"value":"x","title":"Not Found Error"}]})", ReadKind::User, ""},
        {R"({"data":[{"id":"11"},{"id":"1)", ReadKind::Post, ""},
        {"<html>", ReadKind::Post, ""},
        {"", ReadKind::CountsAll, "@0 "},
    };
    for (const auto& [body, kind, expected] : cases) {
        std::string reads;
        for (const Ledger::Read& read : PageReads::Of(body, kind))
            reads += read.object + "@" + std::to_string(read.postedMs) + " ";
        EXPECT_EQ(reads, expected) << body;
    }
}

TEST(LedgerTest, ARepeatReadIsFreeUntilTheUtcDayTurns) {
    TempFolder folder;
    std::unique_ptr<Ledger> ledger = OpenLedger(folder / Ledger::kFileName);
    const std::int64_t run = ledger->BeginRun({"search", "data", "v2"}, kLastSecondOf2026).value();
    struct Step {
        std::time_t at;
        std::vector<Ledger::Read> page;
        std::int64_t repeats;
    };
    const std::vector<Step> steps = {
        {kLastSecondOf2026 - 3600, {PostRead("1"), PostRead("2")}, 0},
        {kLastSecondOf2026,
         {PostRead("1"), PostRead("3"), PostRead("3")},
         2},                                                         // again that day; twice in a page
        {kLastSecondOf2026, {{ReadKind::User, "1", kUser, 0}}, 0},   // a user is not a post
        {kLastSecondOf2026 + 1, {PostRead("1"), PostRead("2")}, 0},  // 00:00:00 UTC: a new day
        {kLastSecondOf2026 + 2, {{ReadKind::CountsRecent, "", kPost, 0}}, 0},
        {kLastSecondOf2026 + 3, {{ReadKind::CountsRecent, "", kPost, 0}}, 0},  // counts: every request
    };
    for (const Step& step : steps) {
        const std::optional<Tally> written = ledger->RecordPage(run, 1, step.page, step.at);
        ASSERT_TRUE(written) << ledger->Problem();
        EXPECT_EQ(written->repeats, step.repeats) << step.at;
    }
    EXPECT_EQ(ledger->SpentOn("2026-12-31")->Text(), "0.025");  // posts 1, 2, 3 and user 1
    EXPECT_EQ(ledger->SpentOn("2027-01-01")->Text(), "0.02");
    EXPECT_EQ(ledger->SpentIn("2026-12")->Text(), "0.025");
    EXPECT_EQ(ledger->OfRun(run)->spent.Text(), "0.045");
    EXPECT_EQ(SpendingReport::Csv(*ledger, std::nullopt),
              "month,posts_read,users_read,counts_requests,repeats_not_charged,dollars\n"
              "2026-12,5,1,0,2,0.025\n"
              "2027-01,2,0,2,0,0.02\n");
    EXPECT_EQ(SpendingReport::Csv(*ledger, "2027-01"),
              "day,posts_read,users_read,counts_requests,repeats_not_charged,dollars\n"
              "2027-01-01,2,0,2,0,0.02\n");
    // Each read is a row of the view `reads`, for anyone who opens the file with SQLite.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((folder / Ledger::kFileName).c_str(), &db), SQLITE_OK);
    sqlite3_stmt* reads = nullptr;
    sqlite3_prepare_v2(db, "SELECT COUNT(*), SUM(charged), SUM(object='3') FROM reads", -1, &reads, nullptr);
    ASSERT_EQ(sqlite3_step(reads), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(reads, 0), 10);
    EXPECT_EQ(sqlite3_column_int(reads, 1), 8);
    EXPECT_EQ(sqlite3_column_int(reads, 2), 2);
    sqlite3_finalize(reads);
    sqlite3_close(db);
}

TEST(LedgerTest, TheEstimateFindsTheQuerysPostsReadToday) {
    TempFolder folder;
    std::unique_ptr<Ledger> ledger = OpenLedger(folder / Ledger::kFileName);
    const std::time_t now = kLastSecondOf2026;
    const std::int64_t climate = ledger->BeginRun({"search", "climate", "v2"}, now).value();
    const std::int64_t other = ledger->BeginRun({"search", "other", "v2"}, now).value();
    ledger->RecordPage(climate, 1, {PostRead("1", 1000), PostRead("2", 2000), PostRead("3", 3000)}, now);
    ledger->RecordPage(climate, 2, {PostRead("2", 2000)}, now);  // read twice: one post
    ledger->RecordPage(other, 1, {PostRead("4", 2500)}, now);
    ledger->RecordPage(climate, 3, {PostRead("5", 2600)}, now + 1);          // tomorrow
    EXPECT_EQ(ledger->PostsReadOn("2026-12-31", "climate", 1000, 3000), 2);  // [from, to)
    EXPECT_EQ(ledger->PostsReadOn("2026-12-31", "climate", 0, 9999), 3);
    EXPECT_EQ(ledger->PostsReadOn("2027-01-01", "climate", 0, 9999), 1);
}

// Two processes, the same posts, the same UTC day: each post is charged to one of them.
TEST(LedgerTest, TwoRunsWritingOneLedgerAtOnceChargeEachPostOnce) {
    TempFolder folder;
    const std::filesystem::path file = folder / Ledger::kFileName;
    constexpr int kPages = 30, kPageSize = 50;
    auto capture = [&] {
        std::string problem;
        std::unique_ptr<Ledger> ledger = Ledger::Open(file, &problem);
        if (!ledger) return 1;
        const std::optional<std::int64_t> run = ledger->BeginRun({"search", "data", "v2"}, kLastSecondOf2026);
        for (int page = 0; page < kPages && run; ++page) {
            std::vector<Ledger::Read> reads;
            for (int k = 0; k < kPageSize; ++k)
                reads.push_back(PostRead(std::to_string(page * kPageSize + k)));
            if (!ledger->RecordPage(*run, page, reads, kLastSecondOf2026)) return 1;
        }
        return run ? 0 : 1;
    };
    std::vector<pid_t> children;
    for (int k = 0; k < 2; ++k) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) _exit(capture());
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::unique_ptr<Ledger> ledger = OpenLedger(file);
    const std::vector<Tally> days = ledger->Days("2026-12").value();
    ASSERT_EQ(days.size(), 1u);
    EXPECT_EQ(days[0].posts, 2 * kPages * kPageSize);
    EXPECT_EQ(days[0].repeats, kPages * kPageSize);
    EXPECT_EQ(days[0].spent, kPost * (kPages * kPageSize));
    EXPECT_EQ(ledger->OfRun(1)->spent + ledger->OfRun(2)->spent, days[0].spent);
}

TEST(LedgerTest, APageThatCannotBeWrittenIsKeptForTheNext) {
    TempFolder folder;
    const std::filesystem::path file = folder / Ledger::kFileName;
    std::unique_ptr<Ledger> ledger = OpenLedger(file, 50);
    const std::int64_t run = ledger->BeginRun({"search", "data", "v2"}, kLastSecondOf2026).value();
    // Another program holds the file longer than a writer waits.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_FALSE(ledger->RecordPage(run, 1, {PostRead("1"), PostRead("2")}, kLastSecondOf2026));
    EXPECT_EQ(ledger->Problem(), "database is locked");
    EXPECT_EQ(ledger->Pending(), 2u);
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    const std::optional<Tally> written = ledger->RecordPage(run, 2, {PostRead("3")}, kLastSecondOf2026);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->posts, 3);
    EXPECT_EQ(written->repeats, 0);  // the failed page marked nothing as read
    EXPECT_TRUE(ledger->Problem().empty());
    EXPECT_EQ(ledger->Pending(), 0u);
}

TEST(LedgerTest, ALedgerThatCannotBeWrittenStopsTheRunBeforeItsNextRequest) {
    TempFolder folder;
    WriteFileBytes(folder / "not-a-folder", "a file where the program folder would be");
    SpendingGuard nowhere(folder / "not-a-folder" / Ledger::kFileName, {}, {}, {"search", "data", "v2"});
    EXPECT_THAT(
        nowhere.BeforeRequest(ReadKind::Post, 100).value_or(""),
        StartsWith("Stopped: the spending ledger cannot be written (cannot open the spending ledger "));

    const std::string page = R"({"data":[{"id":"11","text":"a"},{"id":"12","text":"b"}]})";
    SpendingGuard guard(folder / Ledger::kFileName, {}, {}, {"search", "data", "v2"});
    ASSERT_FALSE(guard.BeforeRequest(ReadKind::Post, 100));
    ASSERT_FALSE(guard.AfterAnswer(ReadKind::Post, page));
    {
        FileSizeLimit fullDisk(4);
        EXPECT_EQ(guard.AfterAnswer(ReadKind::Post, R"({"data":[{"id":"13","text":"c"}]})"),
                  "Stopped: the spending ledger cannot be written (disk I/O error)");
        EXPECT_TRUE(guard.BeforeRequest(ReadKind::Post, 100));
    }
    // Room again: the read that was kept is written before the run's end line.
    EXPECT_EQ(guard.Finish(), "3 posts and 0 users read, 0 repeats not charged, $0.015 spent");
}

}  // namespace
}  // namespace marlin::testing
