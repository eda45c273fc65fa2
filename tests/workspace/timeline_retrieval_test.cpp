// The timeline retrieval: "New", "Update" and the double click on a User list entry,
// against the emulator, with the scorer stand-in scoring what is shown.
#include <chrono>
#include <regex>

#include "emulator/corpus.h"
#include "user_side_fixture.h"
#include "workspace/retrieval/timeline_retrieval.h"

namespace marlin::testing {
namespace {

const std::regex kStamp(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d)");

class TimelineRetrievalTest : public UserSideTest {
  protected:
    void SetUp() override {
        StartWindow(UserCorpus(), true);
        BackDays(3);
    }

    void CheckAll(const std::vector<std::string>& users) {
        for (const auto& user : users) UserCtl().UserList.AddItem(user, true);
    }

    // The statuses of a user that lie on or after the threshold date: tweet ids carry
    // their time, and the trim reads the service's clock time as it stands.
    std::vector<std::string> IdsSinceThreshold(const std::string& user) {
        using namespace std::chrono;
        const year_month_day threshold = TweetCtl().EarlyDate.Value();
        const long long startMs = duration_cast<milliseconds>(sys_days{threshold}.time_since_epoch()).count();
        const unsigned long long bound =
            static_cast<unsigned long long>(startMs - emulator::Corpus::kServiceEpochMs) << 22;
        std::vector<std::string> ids;
        for (const std::string& id : Emu().Data().TimelineIds(user))
            if (std::stoull(id) >= bound) ids.push_back(id);
        return ids;
    }

    int RowsOf(const std::string& user) {
        int rows = 0;
        for (int row = 0; row < W().TweetsTable.Rows().RowCount(); ++row)
            rows += Trimmed(W().TweetsTable.Rows().Cell(row, TweetColumn::UserScreenName)) == user;
        return rows;
    }

    std::vector<std::string> TimelineUsersAsked() {
        std::vector<std::string> users;
        for (const auto& request : RequestsTo("/1.1/statuses/user_timeline.json"))
            users.push_back(request.Param("screen_name"));
        return users;
    }
};

TEST_F(TimelineRetrievalTest, CancelDuringTheSecondOfThreeUsersShowsWhatWasGathered) {
    const emulator::KnownUsers users = Emu().Users();
    CheckAll({users.demo, users.prolific, users.midsize});
    bool pressed = false;
    tk.onDoEvents = [&] {
        const std::string line = W().Progress.Last();
        if (!pressed && line.find("[" + users.prolific + "] back to") != std::string::npos) {
            pressed = true;
            frm->QuitGet_Click();
        }
    };
    UserCtl().GetAllUTL.Click();

    // The first user back to the threshold on one page, one page of the second, none of the third.
    EXPECT_EQ(TimelineUsersAsked(), (std::vector<std::string>{users.demo, users.prolific}));
    const size_t demoCount = IdsSinceThreshold(users.demo).size();
    ASSERT_GT(demoCount, 0u);
    ASSERT_LT(demoCount, 200u);
    EXPECT_EQ(RowsOf(users.demo), static_cast<int>(demoCount));
    EXPECT_EQ(RowsOf(users.prolific), 200);
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), static_cast<int>(demoCount) + 200);

    const std::vector<std::string> log = LogLines();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_THAT(log[0], StartsWith("User timeline retrieval started @"));
    EXPECT_TRUE(std::regex_match(log[0].substr(33), kStamp)) << log[0];
    // The count is of statuses received, before the trim.
    EXPECT_THAT(log[1], StartsWith("Retrieved 200 statuses for [" + users.demo + "] back to ")) << log[1];
    EXPECT_THAT(log[2], StartsWith("Retrieval of [" + users.demo + "] ended @")) << log[2];
    EXPECT_THAT(log[2],
                EndsWith(", terminated at user threshold date (" + TweetCtl().ThresholdDateText() + ")"))
        << log[2];
    EXPECT_THAT(log[3], StartsWith("Retrieved 200 statuses for [" + users.prolific + "] back to ")) << log[3];
    EXPECT_THAT(log[4], EndsWith(", user cancelled the procedure")) << log[4];

    for (const auto& request : RequestsTo("/1.1/statuses/user_timeline.json")) {
        EXPECT_EQ(request.Param("count"), "200");
        EXPECT_EQ(request.Param("since_id"), "");
        EXPECT_EQ(request.Param("max_id"), "");
    }
    EXPECT_EQ(UserCtl().UserList.SelectedIndex(), 1);
    EXPECT_EQ(W().CurTweetSrc(), TweetSource::Timelines);
    EXPECT_FALSE(W().Run.Busy());
    EXPECT_FALSE(W().Run.Cancelled());
    EXPECT_TRUE(UserCtl().UpdateUTL.Enabled());
    EXPECT_FALSE(TweetCtl().UpdateSearch.Enabled());
    EXPECT_EQ(W().Window.Caption(), "Marlin Skimmer Desktop Edition [*]");
    EXPECT_THAT(W().InfoBar.Panel(3), StartsWith(std::to_string(W().Engine.Client().UTLRateLimitRemaining()) +
                                                 " USER_TIMELINE requests remaining"));
}

// An application whose access has no v1.1 timelines is told so once, not once a user.
TEST_F(TimelineRetrievalTest, AV11RefusalStopsTheWalkWithOneMessage) {
    emulator::EmulatorConfig config = UserCorpus();
    config.v11Refused = true;
    StartWindow(config, false);
    const emulator::KnownUsers users = Emu().Users();
    CheckAll({users.demo, users.prolific, users.midsize});
    UserCtl().GetAllUTL.Click();

    EXPECT_EQ(TimelineUsersAsked(), (std::vector<std::string>{users.demo}));
    ASSERT_NE(tk.LastMessage(), nullptr);
    EXPECT_THAT(tk.LastMessage()->text, HasSubstr("\"Service\" \u203A \"X (v2)\""));
    EXPECT_FALSE(W().Run.Busy());
}

TEST_F(TimelineRetrievalTest, AUserWithManyPagesIsFollowedBackwardsToTheThreshold) {
    const std::string prolific = Emu().Users().prolific;
    CheckAll({prolific});
    UserCtl().GetAllUTL.Click();

    const std::vector<std::string> expected = IdsSinceThreshold(prolific);
    ASSERT_GT(expected.size(), 400u);
    EXPECT_EQ(TableIds(), expected);  // newest first, none lost, none doubled
    const auto pages = RequestsTo("/1.1/statuses/user_timeline.json");
    ASSERT_GT(pages.size(), 2u);
    // Each page asks for what lies below the oldest status held.
    EXPECT_EQ(pages[1].Param("max_id"), std::to_string(std::stoull(TableIds()[199]) - 1));
}

TEST_F(TimelineRetrievalTest, UpdateAsksEachUserForWhatIsNewerThanTheirOwnRows) {
    const emulator::KnownUsers users = Emu().Users();
    CheckAll({users.midsize});
    UserCtl().GetAllUTL.Click();
    const int before = W().TweetsTable.Rows().RowCount();
    ASSERT_GT(before, 0);
    const std::string newest = TableIds().front();
    W().TweetsTable.SetFile("kept.txt");
    Emu().ClearRequests();
    W().Progress.Clear();

    // A user with rows, one without (after it in the list), and an id sent as a name.
    CheckAll({users.demo, "12345"});
    UserCtl().UpdateUTL.Click();

    const auto requests = RequestsTo("/1.1/statuses/user_timeline.json");
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].Param("screen_name"), users.midsize);
    EXPECT_EQ(requests[0].Param("since_id"), newest);
    EXPECT_EQ(requests[1].Param("screen_name"), users.demo);
    EXPECT_EQ(requests[1].Param("since_id"), "");
    EXPECT_EQ(requests[2].Param("screen_name"), "12345");
    EXPECT_EQ(requests[2].Param("user_id"), "");

    EXPECT_EQ(W().TweetsTable.Rows().RowCount(),
              before + static_cast<int>(IdsSinceThreshold(users.demo).size()));
    const std::vector<std::string> log = LogLines();
    ASSERT_EQ(log.size(), 8u);
    EXPECT_THAT(log[0], StartsWith("User timeline retrieval started @"));
    EXPECT_THAT(log[2], EndsWith(", no more statuses available: 200:OK")) << log[2];
    EXPECT_EQ(log[6], "Retrieval error: 404:Not Found");
    EXPECT_THAT(log[7], EndsWith(", no more statuses available: 404:Not Found")) << log[7];
    // The update asks nothing about unsaved rows and keeps the table's file.
    EXPECT_TRUE(tk.messages.empty() ||
                tk.MessageTexts().front().find("Save contents now?") == std::string::npos);
    EXPECT_EQ(W().TweetsTable.File(), "kept.txt");
    EXPECT_EQ(W().CurTweetSrc(), TweetSource::Timelines);
    EXPECT_FALSE(W().Run.Busy());
}

TEST_F(TimelineRetrievalTest, WithNoCheckedEntryNewSaysSoAndClearsNothingAndUpdateAddsNothing) {
    UserCtl().UserList.AddItem(Emu().Users().demo, false);
    AddTweetRow("someone", "old row", 0, 1, -1);
    Table0().AddRow({"1", "old user row"});
    UserCtl().GetAllUTL.Click();
    EXPECT_EQ(tk.MessageTexts(), std::vector<std::string>{TimelineRetrieval::kNoUserChecked});
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 1);
    EXPECT_EQ(Table0().RowCount(), 1);
    EXPECT_TRUE(LogLines().empty());
    EXPECT_TRUE(RequestsTo("/1.1/statuses/user_timeline.json").empty());

    UserCtl().UpdateUTL.SetEnabled(true);
    UserCtl().UpdateUTL.Click();
    EXPECT_EQ(LogLines().size(), 1u);
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 1);
}

TEST_F(TimelineRetrievalTest, ADoubleClickRetrievesTheSelectedTimelineAfterOfferingToSave) {
    const std::string demo = Emu().Users().demo;
    UserCtl().UserList.AddItem("unchecked_other");
    UserCtl().UserList.AddItem(demo);
    TweetCtl().SearchQuery.SetText("data");
    TweetCtl().GetSrch.Click();  // the table holds a search, not saved
    tk.messageAnswers.push_back(MsgResult::No);
    UserCtl().UserList.SetSelectedIndex(1);
    UserCtl().UserList.DoubleClick();

    EXPECT_EQ(
        tk.messages.at(0).text,
        "The selected operation will replace the current contents of the Tweet table. Save contents now?");
    EXPECT_EQ(TimelineUsersAsked(), std::vector<std::string>{demo});
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), static_cast<int>(IdsSinceThreshold(demo).size()));
    // A save now belongs in the timeline history, not with the earlier query.
    EXPECT_EQ(W().CurTweetSrc(), TweetSource::Timelines);
    EXPECT_TRUE(UserCtl().UpdateUTL.Enabled());
    EXPECT_FALSE(W().Run.Busy());
}

TEST_F(TimelineRetrievalTest, CancelInTheQuotaDialogEndsTheUserAndTheCommand) {
    const emulator::KnownUsers users = Emu().Users();
    CheckAll({users.prolific, users.demo});
    Emu().SetRemaining(emulator::Family::UserTimeline, 5);
    tk.messageAnswers.push_back(MsgResult::Cancel);
    UserCtl().GetAllUTL.Click();

    ASSERT_FALSE(tk.messages.empty());
    EXPECT_THAT(tk.messages[0].text, StartsWith("Quota for this window running low. Wait until "));
    EXPECT_THAT(tk.messages[0].text, EndsWith(" before clicking OK to resume"));
    EXPECT_EQ(tk.messages[0].buttons, MsgButtons::OKCancel);
    EXPECT_EQ(TimelineUsersAsked(), std::vector<std::string>{users.prolific});
    EXPECT_THAT(LogLines().back(), EndsWith(", user cancelled the procedure"));
    EXPECT_FALSE(W().Run.Cancelled());
}

}  // namespace
}  // namespace marlin::testing
