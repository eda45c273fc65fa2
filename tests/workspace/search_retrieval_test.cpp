// The search workflow end to end: "New ", "Update" and "Cancel " against the emulator,
// with the scorer stand-in scoring what is shown.
#include <algorithm>
#include <cstdlib>
#include <regex>
#include <set>

#include "core/skd_funcs.h"
#include "main_window_fixture.h"

namespace marlin::testing {
namespace {

const std::regex kStamp(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d)");

class SearchRetrievalTest : public MainWindowTest {};

// Another watcher of the captures gets every line, page and end the window would have.
class RecordingEvents : public CaptureEvents {
  public:
    void Log(const std::string& line) override { lines.push_back(line); }
    void Progress(const std::string& line) override { lines.back() = line; }
    void Aside(const std::string& line) override { lines.insert(lines.end() - 1, line); }
    void RecordsAdded(int count) override { records += count; }
    bool Ask(const Question&) override { return true; }
    void Tell(const std::string& text, Notice, const std::string& = {}) override {
        lines.push_back("told: " + text);
    }
    void Ended(CaptureOutcome outcome) override { ended.push_back(outcome); }

    std::vector<std::string> lines;
    int records = 0;
    std::vector<CaptureOutcome> ended;
};

TEST_F(SearchRetrievalTest, AnotherWatcherGetsTheWholeCaptureAndTheWindowLogNothing) {
    StartWindow();
    BackDays(9);
    RecordingEvents watcher;
    W().SetEvents(&watcher);
    NewSearch("data");

    const std::size_t expected = Emu().Data().SearchIds("data", "en").size();
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), static_cast<int>(expected));
    EXPECT_EQ(watcher.records, static_cast<int>(expected));
    ASSERT_EQ(watcher.lines.size(), 4u);
    EXPECT_THAT(watcher.lines[1],
                StartsWith("Retrieved " + std::to_string(expected) + " statuses for [data]"));
    EXPECT_THAT(watcher.lines[3], EndsWith(", no more statuses available: 200:OK"));
    EXPECT_EQ(watcher.ended.back(), CaptureOutcome::Complete);
    EXPECT_THAT(LogLines(), IsEmpty());
    EXPECT_THAT(tk.messages, IsEmpty());
}

TEST_F(SearchRetrievalTest, SearchThatEndsBeforeTheThresholdShowsEveryMatchOnce) {
    StartWindow();
    BackDays(9);  // older than the emulator's 7-day search index
    NewSearch("data");

    std::vector<std::string> expected = Emu().Data().SearchIds("data", "en");
    ASSERT_GT(expected.size(), 100u) << "the query must need more than one page";
    EXPECT_EQ(TableIds(), expected);  // newest first, none lost, none doubled

    const std::vector<std::string> log = LogLines();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[2], "JSON response contained no records");
    EXPECT_THAT(tk.messages, IsEmpty());
    EXPECT_THAT(log[0], StartsWith("Search initiated @"));
    EXPECT_TRUE(std::regex_match(log[0].substr(18), kStamp)) << log[0];
    EXPECT_THAT(log[1],
                StartsWith("Retrieved " + std::to_string(expected.size()) + " statuses for [data] back to "))
        << log[1];
    EXPECT_THAT(log[3], StartsWith("Search ended @")) << log[3];
    EXPECT_THAT(log[3], EndsWith(", no more statuses available: 200:OK")) << log[3];

    EXPECT_EQ(W().Window.Caption(), "Marlin Skimmer Desktop Edition [*]");
    EXPECT_TRUE(W().TweetsDirty());
    EXPECT_EQ(W().CurTweetSrc(), TweetSource::Search);
    EXPECT_FALSE(W().Run.Busy());
    EXPECT_TRUE(TweetCtl().UpdateSearch.Enabled());
    EXPECT_EQ(W().InfoBar.Panel(1), std::to_string(expected.size()) + " tweets displayed");
    // Panel 3 tells the quota after the last page that brought tweets (the empty one came after).
    EXPECT_EQ(W().InfoBar.Panel(3), std::to_string(W().Engine.Client().SearchRateLimitRemaining() + 1) +
                                        " SEARCH requests remaining");
    EXPECT_THAT(W().InfoBar.Panel(4), StartsWith("Next reset: "));
    EXPECT_FALSE(W().LastGET.Text().empty());

    // The scorer ran: some tweet got a score other than zero.
    bool scored = false;
    for (int row = 0; row < W().TweetsTable.Rows().RowCount() && !scored; ++row)
        scored = W().TweetsTable.Rows().Cell(row, TweetColumn::SentPositive) != "      0" ||
                 W().TweetsTable.Rows().Cell(row, TweetColumn::SentNegative) != "      0";
    EXPECT_TRUE(scored);
    // Every request paged backwards from the oldest tweet held, 100 at a time, in English.
    for (const auto& request : Emu().Requests()) {
        if (request.path != "/1.1/search/tweets.json") continue;
        EXPECT_EQ(request.Param("count"), "100");
        EXPECT_EQ(request.Param("lang"), "en");
        EXPECT_EQ(request.Param("result_type"), "Recent");
        EXPECT_EQ(request.Param("since_id"), "");
    }
    // The empty last page was a log note (log[2]); only a search that found nothing gets the box.
    NewSearch("zzzznothingmatches");
    EXPECT_EQ(tk.messages.back().text, "JSON response contained no records");
}

TEST_F(SearchRetrievalTest, WestOfGreenwichTheNewestTweetsAreNotTakenForTheThreshold) {
    // Tweet times are the service's UTC clock times. Where local time is behind UTC the
    // newest tweets look "later than now"; they must neither vanish nor end the search.
    const std::string zone = getenv("TZ") ? getenv("TZ") : "";
    setenv("TZ", "America/New_York", 1);
    tzset();
    StartWindow();
    BackDays(9);
    NewSearch("data");
    setenv("TZ", zone.c_str(), 1);
    tzset();

    EXPECT_EQ(TableIds(), Emu().Data().SearchIds("data", "en"));
    EXPECT_THAT(LogLines().back(), EndsWith(", no more statuses available: 200:OK")) << LogLines().back();
}

TEST_F(SearchRetrievalTest, SearchThatReachesTheThresholdOnTheFirstPageStopsThere) {
    StartWindow();
    BackDays(1);
    NewSearch("data");

    EXPECT_EQ(SearchRequests(), 1);
    const std::string threshold = TweetCtl().ThresholdDateText();
    const std::vector<std::string> log = LogLines();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_THAT(log[2], EndsWith(", terminated at user threshold date (" + threshold + ")")) << log[2];
    ASSERT_GT(W().TweetsTable.Rows().RowCount(), 0);
    ASSERT_LT(W().TweetsTable.Rows().RowCount(), 100);
    // Nothing older than local midnight of the threshold day is left.
    const auto earliest = SKDFuncs::ToDate(threshold);
    for (int row = 0; row < W().TweetsTable.Rows().RowCount(); ++row) {
        // The table holds the service's form with its "+" removed.
        const auto when =
            SKDFuncs::ToDate(SKDFuncs::ToLocalDateTime(std::string(W().TweetsTable.Rows().Text(row))));
        EXPECT_GE(when, earliest);
    }
}

TEST_F(SearchRetrievalTest, QuotaDialogAppearsBelowTenAndItsCancelEndsTheSearch) {
    auto config = SmallCorpus();
    config.tweetsPerDay = 1000;     // enough matches for five pages
    config.startRemaining[0] = 12;  // search: the pages leave 11, 10, 9 ...
    StartWindow(config);
    BackDays(9);
    tk.messageAnswers = {MsgResult::OK, MsgResult::Cancel};
    NewSearch("data");

    // Pages leave 11 and 10 (no dialog), then 9 and 8 (dialog each time; OK, then Cancel).
    EXPECT_EQ(SearchRequests(), 4);
    std::vector<std::string> quota;
    for (const auto& m : tk.messages)
        if (m.text.starts_with("Quota for this window running low. Wait until ")) quota.push_back(m.text);
    ASSERT_EQ(quota.size(), 2u);
    EXPECT_THAT(quota[0], EndsWith(" before clicking OK to resume"));
    EXPECT_EQ(tk.messages[0].title, "Marlin Skimmer Desktop Edition");
    EXPECT_EQ(tk.messages[0].buttons, MsgButtons::OKCancel);
    EXPECT_EQ(tk.messages[0].icon, MsgIcon::None);

    EXPECT_THAT(LogLines().back(), EndsWith(", user cancelled the procedure"));
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 400);  // what was gathered is shown
    EXPECT_FALSE(W().Run.Cancelled());
    EXPECT_FALSE(W().Run.Busy());
}

TEST_F(SearchRetrievalTest, CancelStopsAfterTheRequestInProgressAndAStartInTheGapIsIgnored) {
    StartWindow();
    BackDays(9);
    TweetCtl().SearchQuery.SetText("data");
    int pressed = 0;
    tk.onDoEvents = [&] {
        // The first page has arrived: Cancel, then New while the loop still unwinds.
        if (W().TweetsTable.Rows().RowCount() == 0 && W().Engine.Tweets().Count() > 0 && pressed == 0) {
            ++pressed;
            frm->QuitGet_Click();
        } else if (pressed == 1) {
            ++pressed;
            frm->Search().GetSrch_Click();
            frm->Search().UpdateSearch_Click();
        }
    };
    frm->Search().GetSrch_Click();
    tk.onDoEvents = nullptr;

    EXPECT_EQ(SearchRequests(), 1);
    const std::vector<std::string> log = LogLines();
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& l) { return l.starts_with("Search initiated"); }),
              1);
    EXPECT_THAT(log.back(), EndsWith(", user cancelled the procedure"));
    ASSERT_NE(tk.LastMessage(), nullptr);
    EXPECT_EQ(tk.messages.front().text, "User cancelled the retrieval process");
    EXPECT_EQ(tk.messages.front().icon, MsgIcon::Information);
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 100);

    // With nothing running, "Cancel " shows nothing and changes nothing.
    const std::size_t shown = tk.messages.size();
    frm->QuitGet_Click();
    EXPECT_EQ(tk.messages.size(), shown);
    EXPECT_FALSE(W().Run.Cancelled());
}

TEST_F(SearchRetrievalTest, UpdateAddsEveryNewerTweetAndNothingTwice) {
    StartWindow();
    const std::vector<std::string> all = SearchBack(9, "data");
    ASSERT_GT(all.size(), 10u);

    // Update with nothing newer: one request with since_id, the table unchanged.
    Emu().ClearRequests();
    frm->Search().UpdateSearch_Click();
    EXPECT_EQ(SearchRequests(), 1);
    EXPECT_EQ(Emu().Requests().back().Param("since_id"), all.front());
    EXPECT_THAT(LogLines().back(), EndsWith(", no more statuses available: 200:OK"));
    EXPECT_EQ(TableIds(), all);

    // Drop the three newest rows; Update must bring back all three.
    for (int i = 0; i < 3; ++i) {
        W().TweetsTable.Rows().SetSelectedIndex(0);
        frm->Editing().mDelTweet_Click();
    }
    tk.messageAnswers.clear();
    Emu().ClearRequests();
    frm->Search().UpdateSearch_Click();
    EXPECT_EQ(Emu().Requests().front().Param("since_id"), all[3]);
    EXPECT_EQ(TableIds(), all);
    EXPECT_EQ(W().Window.Caption(), "Marlin Skimmer Desktop Edition [*]");
    EXPECT_EQ(W().CurTweetSrc(), TweetSource::Search);
}

TEST_F(SearchRetrievalTest, UpdateOnAnEmptyTableSendsNothing) {
    StartWindow();
    TweetCtl().SearchQuery.SetText("data");
    frm->Search().UpdateSearch_Click();
    EXPECT_EQ(SearchRequests(), 0);
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 0);
    EXPECT_TRUE(LogLines().empty());
    EXPECT_FALSE(W().Run.Busy());
}

TEST_F(SearchRetrievalTest, UpdateTakesTheNewestIdEvenWithSortingSwitchedOff) {
    StartWindow();
    const std::vector<std::string> all = SearchBack(9, "data");
    frm->TableView().mSortDT_Click();  // sorting off
    frm->TableView().OutTable_ColumnClick(1);
    W().TweetsTable.Rows().Sort();  // rows now in screen-name order, newest no longer first
    ASSERT_NE(TableIds().front(), all.front());

    Emu().ClearRequests();
    frm->Search().UpdateSearch_Click();
    EXPECT_EQ(Emu().Requests().front().Param("since_id"), all.front());
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), static_cast<int>(all.size()));
}

TEST_F(SearchRetrievalTest, NewAsksAboutUnsavedRowsAndAFailedRequestEndsWithItsCode) {
    StartWindow();
    BackDays(1);
    NewSearch("data");
    ASSERT_TRUE(W().TweetsDirty());
    tk.messages.clear();

    Emu().InjectFault(emulator::Family::Search, emulator::Fault::Error503, 1);
    tk.messageAnswers = {MsgResult::No};
    NewSearch("data");
    ASSERT_FALSE(tk.messages.empty());
    EXPECT_EQ(
        tk.messages[0].text,
        "The selected operation will replace the current contents of the Tweet table. Save contents now?");
    EXPECT_EQ(tk.messages[0].buttons, MsgButtons::YesNo);
    const std::vector<std::string> lines = LogLines();
    EXPECT_THAT(lines[lines.size() - 2], StartsWith("Search ended @"));
    EXPECT_THAT(lines[lines.size() - 2], EndsWith(", no more statuses available: 503:Service Unavailable"));
    EXPECT_EQ(lines.back(), "Retrieval stopped early (503:Service Unavailable), no tweets held");
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 0);
}

TEST_F(SearchRetrievalTest, AScorerThatCannotRunIsNamedInTheLog) {
    StartWindow(SmallCorpus(), /*withScorer=*/false);
    BackDays(1);
    NewSearch("data");
    ASSERT_GT(W().TweetsTable.Rows().RowCount(), 0);
    const std::vector<std::string> log = LogLines();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_THAT(log[3], StartsWith("Sentiment scorer")) << log[3];
    EXPECT_THAT(log[3], EndsWith("; Sent+ and Sent- hold 0 for these tweets, not scores")) << log[3];

    // No Java runtime at all: the run fails without a message box, so the log line is the
    // only sign of it.
    const std::string path = getenv("PATH");
    setenv("PATH", "/nonexistent", 1);
    tk.messages.clear();
    tk.messageAnswers = {MsgResult::No};
    NewSearch("data");
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(tk.messages.size(), 1u);  // only the question about unsaved rows
    EXPECT_THAT(LogLines().back(), StartsWith("Sentiment scorer: could not start")) << LogLines().back();
}

}  // namespace
}  // namespace marlin::testing
