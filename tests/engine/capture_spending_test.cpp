// What a v2 capture may spend, held by the engine against the emulator: the request that
// would cross a limit of the run, the day or the month is never sent, the service's monthly
// cap and a ledger that cannot be written end the run with their reason, and the service's
// own count is held against the ledger.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "emulator/emulator.h"
#include "service/curl_http_request.h"
#include "spending/utc_date.h"
#include "test_support.h"
#include "workspace/engine/capture_engine.h"

namespace marlin::testing {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

class SpendingEvents : public CaptureEvents {
  public:
    void Log(const std::string& line) override { lines.push_back(line); }
    void Progress(const std::string&) override {}
    void Aside(const std::string&) override {}
    void RecordsAdded(int) override {}
    bool Ask(const Question&) override { return false; }
    void Tell(const std::string& text, Notice, const std::string& = {}) override { told.push_back(text); }
    void Ended(CaptureOutcome) override {}

    std::vector<std::string> lines;
    std::vector<std::string> told;
};

class CaptureSpendingTest : public ::testing::Test {
  protected:
    void Start(std::int64_t postCap = 3000000) {
        emulator::EmulatorConfig config;
        config.users = 600;
        config.tweetsPerDay = 1500;
        config.shortPageShare = 0;  // every page but the last holds 100 posts
        config.postCap = postCap;
        service = std::make_unique<emulator::Emulator>(config);
        service->Start();
        ASSERT_GE(service->Data().SearchIds("data", "en").size(), 300u);
    }

    std::unique_ptr<CaptureEngine> Engine(const std::filesystem::path& appFolder) {
        auto engine = std::make_unique<CaptureEngine>(
            CaptureEngine::Setup{CurlHttpRequest::Factory(), service->BaseUrl(), appFolder}, events);
        const auto& c = service->Config();
        EXPECT_FALSE(engine->Client().AuthAppAccess(c.appName, c.consumerKey, c.consumerSecret).empty());
        return engine;
    }

    CaptureResult Search(CaptureEngine& engine, SpendingLimits limits, const std::string& query = "data") {
        CaptureRequest request;
        request.kind = CaptureKind::Search;
        request.dialect = CaptureDialect::V2;
        request.query = query;
        request.backTo = CaptureRequest::DaysBack(30);
        request.limits.retryDelays = {20, 20, 20};
        request.spendingLimits = limits;
        return engine.Capture(request);
    }

    int Searches() const {
        int count = 0;
        for (const auto& request : service->Requests()) count += request.path == "/2/tweets/search/recent";
        return count;
    }

    // Another run's reads at `when`: `cents` worth of posts the captures never meet.
    void SpentBefore(std::time_t when, int cents) {
        std::unique_ptr<Ledger> ledger = Ledger::Open(folder / Ledger::kFileName, nullptr);
        ASSERT_TRUE(ledger);
        const std::int64_t run = ledger->BeginRun({"search", "elsewhere", "v2"}, when).value();
        std::vector<Ledger::Read> reads;
        for (int k = 0; k < cents * 2; ++k)
            reads.push_back({ReadKind::Post, "earlier-" + std::to_string(k), Money::Micros(5000), 0});
        ASSERT_TRUE(ledger->RecordPage(run, 1, reads, when));
    }

    TempFolder folder;
    SpendingEvents events;
    std::unique_ptr<emulator::Emulator> service;
};

TEST_F(CaptureSpendingTest, TheRequestThatWouldCrossALimitIsNeverSent) {
    Start();
    const std::time_t now = std::time(nullptr);
    const std::time_t monthStart = now - (now % 86400) - 86400 * (std::stoi(UtcDate::Day(now).substr(8)) - 1);
    const std::optional<Money> none;
    struct Case {
        const char* name;
        SpendingLimits limits;
        std::time_t spentAt;  // another run spent spentCents then; 0 for none
        int spentCents;
        int searches;  // pages of 100 posts, each $0.50 at worst
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"run at its edge",
         {Money::Dollars(1), none, none},
         0,
         0,
         2,
         "Stopped at the spending limit of $1.00 ($1.00 spent this run)"},
        {"run a cent short",
         {Money::Parse("0.99"), none, none},
         0,
         0,
         1,
         "Stopped at the spending limit of $0.99 ($0.50 spent this run)"},
        {"run of nothing",
         {Money(), none, none},
         0,
         0,
         0,
         "Stopped at the spending limit of $0.00 ($0.00 spent this run)"},
        {"day, partly spent by another run",
         {none, Money::Parse("1.50"), none},
         now,
         100,
         1,
         "Stopped at the daily spending limit of $1.50 ($1.50 spent today (UTC))"},
        {"month, partly spent on its first day",
         {none, none, Money::Parse("1.99")},
         monthStart,
         100,
         1,
         "Stopped at the monthly spending limit of $1.99 ($1.50 spent this month)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        service->ClearRequests();
        for (const char* end : {"", "-wal", "-shm"})
            std::filesystem::remove(folder / (std::string(Ledger::kFileName) + end));
        if (c.spentAt) SpentBefore(c.spentAt, c.spentCents);
        std::unique_ptr<CaptureEngine> engine = Engine(folder.path());
        const CaptureResult result = Search(*engine, c.limits);
        EXPECT_EQ(Searches(), c.searches);
        EXPECT_EQ(result.stopReason, c.reason);
        EXPECT_EQ(result.outcome, CaptureOutcome::StoppedEarly);
        EXPECT_EQ(engine->Tweets().Count(), c.searches * 100);  // what was read is kept
        EXPECT_THAT(events.told, Contains(c.reason));
        EXPECT_EQ(result.spending, std::to_string(c.searches * 100) +
                                       " posts and 0 users read, 0 repeats "
                                       "not charged, " +
                                       (Money::Micros(5000) * (c.searches * 100)).Shown() + " spent");
    }
}

TEST_F(CaptureSpendingTest, TheServicesCapAndAnUnwritableLedgerEndTheRunWithTheirReason) {
    // Past the month's 250 posts the service refuses; the run keeps what came and does not wait.
    Start(250);
    std::unique_ptr<CaptureEngine> engine = Engine(folder.path());
    CaptureResult result = Search(*engine, {});
    EXPECT_EQ(result.stopReason, CaptureSpending::kCapSpent);
    EXPECT_EQ(result.outcome, CaptureOutcome::StoppedEarly);
    EXPECT_EQ(engine->Tweets().Count(), 300);  // the third page came whole: the cap is checked before it
    EXPECT_EQ(Searches(), 4);

    // A ledger that cannot be opened lets no request go.
    const TempFolder other;
    std::filesystem::create_directory(other / Ledger::kFileName);
    service->ClearRequests();
    engine = Engine(other.path());
    result = Search(*engine, {});
    EXPECT_EQ(Searches(), 0);
    EXPECT_THAT(result.stopReason, StartsWith("Stopped: the spending ledger cannot be written ("));
    EXPECT_EQ(result.outcome, CaptureOutcome::StoppedEarly);
}

TEST_F(CaptureSpendingTest, TheServicesOwnCountIsHeldAgainstTheLedger) {
    // A capture whose reads the ledger holds: the service agrees, nothing is logged.
    Start();
    std::unique_ptr<CaptureEngine> engine = Engine(folder.path());
    Search(*engine, {Money::Dollars(1), std::nullopt, std::nullopt});
    EXPECT_THAT(events.lines, Not(Contains(HasSubstr("The service counts"))));

    // Reads by a program with a ledger of its own: the service counts them, this ledger does not.
    const TempFolder other;
    Search(*Engine(other.path()), {}, "library");
    events.lines.clear();
    // Repeats cost nothing: the two pages read before are free, the third takes the $0.50.
    const CaptureResult result = Search(*engine, {Money::Parse("0.50"), std::nullopt, std::nullopt});
    EXPECT_EQ(result.spending, "300 posts and 0 users read, 200 repeats not charged, $0.50 spent");
    const std::string today = UtcDate::Day(std::time(nullptr));
    EXPECT_THAT(events.lines, Contains(StartsWith("The service counts ")));
    EXPECT_THAT(events.lines, Contains(HasSubstr("posts read on " + today + " (UTC), the ledger 300 (")));

    // A page that came whole but was not taken (its quota header missing, the retry declined)
    // was served and billed all the same: the ledger has it.
    const TempFolder third;
    service->InjectFault(emulator::Family::V2Search, emulator::Fault::OmitRemaining, 1);
    std::unique_ptr<CaptureEngine> declined = Engine(third.path());
    Search(*declined, {});
    EXPECT_EQ(declined->Tweets().Count(), 0);
    std::unique_ptr<Ledger> ledger = Ledger::Open(third / Ledger::kFileName, nullptr);
    ASSERT_TRUE(ledger);
    EXPECT_EQ(ledger->PostsChargedOn(today), 100);
}

}  // namespace
}  // namespace marlin::testing
