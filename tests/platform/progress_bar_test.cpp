#include <gmock/gmock.h>

#include "platform/progress_bar.h"

namespace marlin {
namespace {

using namespace std::chrono_literals;

TEST(ProgressBarTest, RateAndTimeLeftAppearAfterThreePagesAndTheBarHidesWhenIdle) {
    std::chrono::steady_clock::time_point now{};
    ProgressBar bar([&] { return now; });
    EXPECT_FALSE(bar.Visible());

    bar.Begin("tweets");
    EXPECT_TRUE(bar.Visible());
    now += 20s;
    bar.Advance(0.1, 400);
    now += 20s;
    bar.Advance(0.2, 800);
    EXPECT_EQ(bar.RateText(), "");
    now += 20s;
    bar.Advance(0.25, 1240);  // a minute for a quarter: three minutes to go
    EXPECT_EQ(bar.RateText(), "1,240 tweets/min, about 3 min left");
    EXPECT_EQ(bar.Percent(), 25);
    bar.Advance(0.1, 1300);  // an estimate that falls back keeps the bar where it was
    EXPECT_EQ(bar.Percent(), 25);

    bar.End();
    EXPECT_FALSE(bar.Visible());
    bar.Begin("tweets");
    EXPECT_EQ(bar.Percent(), 0);
    EXPECT_EQ(bar.RateText(), "");
}

TEST(ProgressBarTest, WithNoKnownEndTheCountLeadsAndNoTimeLeftIsGuessed) {
    std::chrono::steady_clock::time_point now{};
    ProgressBar bar([&] { return now; });
    bar.Begin("users", false);
    EXPECT_FALSE(bar.EndKnown());
    const std::vector<std::string> texts = {"200 users", "400 users", "1,200 users, 1,200 users/min"};
    for (std::size_t page = 0; page < texts.size(); ++page) {
        now += 20s;
        bar.Advance(0, page == 2 ? 1200 : 200 * static_cast<long long>(page + 1));
        EXPECT_EQ(bar.RateText(), texts[page]);
    }
    EXPECT_EQ(bar.Percent(), 0);
    bar.Begin("tweets");
    EXPECT_TRUE(bar.EndKnown());
    EXPECT_EQ(bar.RateText(), "");
}

TEST(ProgressBarTest, RateComesFromTheLastMinuteAndALongWaitIsNamed) {
    // After so long: a page ('p', the count so far, a share of count / 10,000), a request
    // still waiting ('w') or answered ('a'); then the text. Two minutes at 1,000 a minute,
    // then a minute at 100: the rate is the last minute's.
    const std::vector<std::tuple<std::chrono::seconds, char, long long, const char*>> steps = {
        {30s, 'p', 500, ""},
        {30s, 'p', 1000, ""},
        {60s, 'p', 2000, "1,000 tweets/min, about 8 min left"},
        {30s, 'p', 2050, "700 tweets/min, about 11 min left"},
        {30s, 'p', 2100, "100 tweets/min, about 79 min left"},
        {0s, 'w', 0, "100 tweets/min, about 79 min left"},
        {5s, 'w', 0, "100 tweets/min, about 79 min left"},
        {7s, 'w', 0, "waiting for the service (12 s)"},
        {0s, 'a', 0, "100 tweets/min, about 79 min left"},
        {6s, 'w', 0, "100 tweets/min, about 79 min left"}};
    std::chrono::steady_clock::time_point now{};
    ProgressBar bar([&] { return now; });
    bar.Begin("tweets");
    for (const auto& [after, what, items, text] : steps) {
        now += after;
        if (what == 'p') bar.Advance(static_cast<double>(items) / 10000.0, items);
        what == 'w' ? bar.RequestWaiting() : bar.RequestAnswered();
        EXPECT_EQ(bar.RateText(), text) << "after " << now.time_since_epoch().count();
    }
}

TEST(ProgressBarTest, GroupsThousands) {
    for (const auto& [value, text] : std::vector<std::pair<long long, std::string>>{
             {0, "0"}, {999, "999"}, {1000, "1,000"}, {1234567, "1,234,567"}, {-45000, "-45,000"}})
        EXPECT_EQ(ProgressBar::Grouped(value), text);
}

}  // namespace
}  // namespace marlin
