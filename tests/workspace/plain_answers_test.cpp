// Dialogs and messages that say what happens: nothing to save after a retrieval that brought
// nothing, a way out of every question on exit, a timeline New with nobody checked, a user
// table name that keeps its one extension, look-ups that count what came back and say what
// they cost, exports that say which file failed and why.
#include <sstream>

#include "platform/console_toolkit.h"
#include "service/curl_http_request.h"
#include "user_side_fixture.h"
#include "workspace/engine/lookup_capture.h"
#include "workspace/headless/headless_run.h"
#include "workspace/retrieval/timeline_retrieval.h"

namespace marlin::testing {
namespace {

class PlainAnswersTest : public UserSideTest {
  protected:
    std::vector<std::string> CorpusNames(int count) {
        std::vector<std::string> names;
        for (int i = 8; static_cast<int>(names.size()) < count; ++i)
            names.push_back(Emu().Data().ScreenName(i));
        return names;
    }
    int Headless(const std::vector<std::string>& arguments, std::string& said) {
        return RunCommandLine(arguments, &said);
    }
};

TEST_F(PlainAnswersTest, ARetrievalThatBroughtNothingLeavesNothingToSave) {
    emulator::EmulatorConfig config = UserCorpus();
    config.v11Refused = true;
    StartWindow(config, false);
    BackDays(1);
    tk.messageAnswers = {MsgResult::No};  // not now: stay with v1.1
    NewSearch("data");
    ASSERT_EQ(W().TweetsTable.Rows().RowCount(), 0);
    EXPECT_FALSE(W().TweetsDirty());
    EXPECT_THAT(W().Window.Caption(), Not(HasSubstr("*")));

    tk.messages.clear();
    tk.messageAnswers = {MsgResult::No};
    frm->Search().GetSrch_Click();
    ASSERT_EQ(tk.messages.size(), 1u);  // the refusal again, no "Save contents now?" over an empty table
    EXPECT_THAT(tk.messages[0].text, Not(HasSubstr("Save contents now?")));
    EXPECT_TRUE(frm->Form_QueryUnload());
}

TEST_F(PlainAnswersTest, EveryQuestionOnTheWayOutCanCancelTheExit) {
    Start();
    StoreCredentials();
    UserCtl().GUFOp.SetSelectedIndex(1);
    UserCtl().GUF_Id.SetText(Emu().Users().midsize);
    UserCtl().GetFF[0].Click();
    ASSERT_GT(UserCtl().CurrentUserTable().RowCount(), 0);
    tk.messages.clear();
    tk.messageAnswers = {MsgResult::Cancel};
    EXPECT_FALSE(frm->Form_QueryUnload());
    ASSERT_EQ(tk.messages.size(), 1u);
    EXPECT_EQ(tk.messages[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_TRUE(tk.fileDialogs.empty());
    EXPECT_TRUE(W().Window.Visible());

    // A question on the way elsewhere (Remove) keeps Yes and No.
    tk.messageAnswers = {MsgResult::No};
    frm->Users().Samples().AddRemUT_Click();
    EXPECT_EQ(tk.messages.back().buttons, MsgButtons::YesNo);
}

TEST_F(PlainAnswersTest, TimelineNewWithNobodyCheckedSaysSoBeforeClearingAnything) {
    Start();
    BackDays(1);
    NewSearch("data");
    const int rows = W().TweetsTable.Rows().RowCount();
    ASSERT_GT(rows, 0);
    UserCtl().UserList.AddItem(Emu().Users().demo);  // listed, not checked
    const std::size_t logged = LogLines().size();
    tk.messages.clear();
    frm->Users().Timelines().GetAllUTL_Click();
    ASSERT_EQ(tk.messages.size(), 1u);
    EXPECT_EQ(tk.messages[0].text, TimelineRetrieval::kNoUserChecked);
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), rows);
    EXPECT_EQ(LogLines().size(), logged);
    EXPECT_EQ(CountRequests("/1.1/statuses/user_timeline.json"), 0);
}

TEST_F(PlainAnswersTest, AUserTableFileGetsItsExtensionOnlyWhenTheNameLacksIt) {
    Start();
    BackDays(1);
    NewSearch("data");
    tk.messageAnswers = {MsgResult::No};  // the Tweets table stays unsaved
    frm->Users().Samples().BuildTweetsUT_Click();
    ASSERT_GT(UserCtl().CurrentUserTable().RowCount(), 0);
    struct Case {
        std::string chosen;
        int layout;  // mSaveUsers: 0 keys, 2 all fields
        std::string written;
    };
    const std::vector<Case> cases = {
        {"data-users.mut", 2, "data-users.mut"},
        {"data-users", 2, "data-users.mut"},
        {"Data.MUT", 2, "Data.MUT"},
        {"keys.muk", 0, "keys.muk"},
        {"keys.mut", 0, "keys.mut.muk"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        tk.fileDialogAnswers = {File(c.chosen).string()};
        frm->Users().Files().mSaveUsers_Click(c.layout);
        EXPECT_TRUE(std::filesystem::exists(File(c.written)));
        EXPECT_FALSE(std::filesystem::exists(File(c.written + (c.layout == 2 ? ".mut" : ".muk"))));
    }
}

TEST_F(PlainAnswersTest, ALookUpCountsWhatCameBackAndNamesWhatDidNot) {
    StartService(UserCorpus(), false);
    StoreCredentials();
    const std::vector<std::string> names = CorpusNames(3);
    WriteFileBytes(File("names.txt"),
                   names[0] + "\r\nnobodyhere\r\n" + names[1] + "\r\n" + names[2] + "\r\n");
    std::string said;
    ASSERT_EQ(
        Headless({"lookup", "--users", File("names.txt").string(), "--out", File("u.mut").string()}, said),
        HeadlessRun::kDone);
    EXPECT_THAT(said, HasSubstr("Found 3 of 4 users; not found: [nobodyhere]\n"));
    EXPECT_THAT(said, HasSubstr("Saved 3 profiles"));
}

TEST_F(PlainAnswersTest, AFailedExportSaysWhichFileAndWhy) {
    StartService(UserCorpus(), false);
    WriteFileBytes(
        File("table.txt"),
        "Wed Aug 27 13:08:45 +0000 2008\talice\thello #a #b\t1\tA\t1\t1\t\t0\t\t1\t0\t\t1\t-1\t\t\r\n");
    struct Case {
        std::vector<std::string> arguments;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{"export-csv", File("table.txt").string(), "--out", AppFolder().string()},
         "cannot write " + AppFolder().string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        std::string said;
        EXPECT_EQ(Headless(c.arguments, said), HeadlessRun::kFailed);
        EXPECT_THAT(said, HasSubstr("failed: " + c.says));
    }
}

TEST_F(PlainAnswersTest, AV2LookUpOfMoreThanAHundredUsersSaysItsCostAndAsksFirst) {
    Start();
    frm->Service().SetApiV2(true);
    struct Case {
        int users;
        MsgResult answer;
        bool asked;
        bool sent;
    };
    for (const Case& c : {Case{150, MsgResult::No, true, false}, Case{150, MsgResult::Yes, true, true},
                          Case{100, MsgResult::No, false, true}}) {
        SCOPED_TRACE(std::to_string(c.users));
        tk.messages.clear();
        tk.messageAnswers = {c.answer};
        const int before = CountRequests("/2/users/by");
        frm->Users().Profiles().GetUsers(W().Engine, CorpusNames(c.users), false, false);
        const bool asked = !tk.messages.empty() && tk.messages[0].title == LookupCapture::kCostTitle;
        EXPECT_EQ(asked, c.asked);
        if (asked) {
            EXPECT_EQ(tk.messages[0].text,
                      "Looking up 150 users in v2 costs about $1.50 ($0.01 a user read). Look them up?");
        }
        EXPECT_EQ(CountRequests("/2/users/by") > before, c.sent);
    }
}

}  // namespace
}  // namespace marlin::testing
