// A run's spending against the emulator: the request that would cross the limit is never
// sent, the ledger agrees with the service's own figure, a repeat the same day costs
// nothing, and the service's cap ends the reading.
#include <gtest/gtest.h>

#include "emulator_client.h"
#include "spending/service_usage.h"
#include "spending/spending_guard.h"
#include "spending/spending_report.h"
#include "spending/utc_date.h"
#include "test_support.h"

namespace marlin::testing {
namespace {

using emulator::testing::EmulatorClient;
using emulator::testing::Reply;

class SpendingGuardTest : public ::testing::Test {
  protected:
    SpendingGuardTest() {
        emulator::EmulatorConfig config = emulator::testing::SmallConfig();
        config.postCap = 250;
        m_emulator = std::make_unique<emulator::Emulator>(config);
        m_emulator->Start();
        m_client = std::make_unique<EmulatorClient>(*m_emulator);
    }

    // Reads search pages of 100 posts from the first, as far as the guard lets it or `pages`
    // go; the line it stopped with, if any.
    std::string Capture(SpendingGuard& guard, int pages) {
        std::string token;
        for (int page = 0; page < pages; ++page) {
            if (auto stop = guard.BeforeRequest(ReadKind::Post, 100)) return *stop;
            const Reply reply = Search(token);
            if (ServiceUsage::CapSpent(reply.status, reply.body)) return "cap spent";
            EXPECT_EQ(reply.status, 200) << reply.body;
            if (auto stop = guard.AfterAnswer(ReadKind::Post, reply.body)) return *stop;
            const std::size_t at = reply.body.find("\"next_token\":\"");
            token = reply.body.substr(at + 14, reply.body.find('"', at + 14) - at - 14);
        }
        return "";
    }
    Reply Search(const std::string& token) {
        ++m_searches;
        return m_client->Get("/2/tweets/search/recent?query=data&max_results=100&tweet.fields=created_at" +
                             (token.empty() ? "" : "&next_token=" + token));
    }
    ServiceUsage Usage() {
        return ServiceUsage::Read(
                   m_client->Get("/2/usage/tweets?usage.fields=project_usage,daily_project_usage").body)
            .value();
    }

    TempFolder m_folder;
    std::filesystem::path m_ledger = m_folder / Ledger::kFileName;
    std::unique_ptr<emulator::Emulator> m_emulator;
    std::unique_ptr<EmulatorClient> m_client;
    int m_searches = 0;
};

TEST_F(SpendingGuardTest, TheLimitTheLedgerTheServicesFigureAndItsCapAgree) {
    const Ledger::Run run{"search", "data", "v2"};
    SpendingGuard limited(m_ledger, {}, {Money::Parse("1.20"), std::nullopt, std::nullopt}, run);
    EXPECT_EQ(Capture(limited, 10), "Stopped at the spending limit of $1.20 ($1.00 spent this run)");
    EXPECT_EQ(m_searches, 2);  // the third page could have cost $0.50 more
    EXPECT_EQ(limited.Finish(), "200 posts and 0 users read, 0 repeats not charged, $1.00 spent");

    const std::string today = UtcDate::Day(std::time(nullptr));
    std::unique_ptr<Ledger> ledger = Ledger::Open(m_ledger, nullptr);
    EXPECT_EQ(Usage().PostsOn(today), 200);
    EXPECT_EQ(ServiceUsage::Difference(today, ledger->Days(today.substr(0, 7))->back().posts,
                                       Usage().PostsOn(today)),
              std::nullopt);

    // The same posts again today: read, not charged, by the ledger as by the service; past
    // the month's cap of 250 the service serves no more.
    SpendingGuard again(m_ledger, {}, {}, run);
    EXPECT_EQ(Capture(again, 10), "cap spent");
    EXPECT_EQ(again.Totals().repeats, 200);
    EXPECT_EQ(again.Totals().spent.Text(), "0.50");
    EXPECT_EQ(Usage().projectUsage, 300);
    EXPECT_EQ(ledger->SpentOn(today)->Text(), "1.50");
    EXPECT_EQ(ServiceUsage::Difference(today, 290, 300),
              "The service counts 300 posts read on " + today + " (UTC), the ledger 290 (3.3 % apart)");
}

}  // namespace
}  // namespace marlin::testing
