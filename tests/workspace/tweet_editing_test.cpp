// Editing the Tweets table in place: filters, deletions, date-time conversion, sorting,
// the row popup and Copy Log.
#include "main_window_fixture.h"

namespace marlin::testing {
namespace {

// One tweet table line; the id decides the display order (newest first).
std::string Line(const std::string& when, const std::string& name, const std::string& text,
                 const std::string& id, const std::string& followers = "10", const std::string& link = "") {
    return TweetLine{.dateTime = when,
                     .screenName = name,
                     .text = text,
                     .id = id,
                     .realName = "Real",
                     .followers = followers,
                     .friends = "1",
                     .location = "",
                     .tweets = "5",
                     .link = link,
                     .positive = "1",
                     .description = ""}
        .Line();
}

const std::string kWhen = "Wed Aug 27 13:08:45 0000 2008";

class TweetEditingTest : public MainWindowTest {
  protected:
    void SetUp() override {
        StartWindow();
        OpenTable("six.txt", Line(kWhen, "alice", "I like Skimmer", "16", "999", "http://a.example/x") +
                                 Line(kWhen, "Alice", "RT @bob: skimmer rocks", "15") +
                                 Line(kWhen, "alice", "middle rt @carol text", "14", "12345678") +
                                 Line(kWhen, "bob", "nothing here", "13") +
                                 Line(kWhen, "carol", "SKIMMER in caps", "12", "10", "ftp://old.example") +
                                 Line(kWhen, "2cool", "plain", "11"));
        ASSERT_EQ(W().TweetsTable.Rows().RowCount(), 6);
        tk.messages.clear();
    }

    std::vector<std::string> Tweets() {
        std::vector<std::string> tweets;
        for (int row = 0; row < W().TweetsTable.Rows().RowCount(); ++row)
            tweets.emplace_back(W().TweetsTable.Rows().Cell(row, TweetColumn::Tweet));
        return tweets;
    }
    void Select(int row) { W().TweetsTable.Rows().SetSelectedIndex(row); }
};

TEST_F(TweetEditingTest, FilterAsksWithTheCountAndRemovesMatchesInAnyLetterCase) {
    tk.promptAnswers = {"skimmer"};  // no prefix: remove the rows that contain it
    tk.messageAnswers = {MsgResult::OK};
    frm->Editing().mFilterTweets_Click();
    ASSERT_EQ(tk.prompts.size(), 1u);
    EXPECT_EQ(tk.prompts[0].title, "Filter Tweets");
    EXPECT_EQ(tk.prompts[0].defaultAnswer, "");
    EXPECT_EQ(
        tk.prompts[0].prompt,
        "Enter a string (word or phrase) to filter by. Prefix with + to include and - to exclude. For e.g. "
        "+skimmer will delete all tweets without skimmer in the main text, whilst -skimmer will do the "
        "opposite.");
    EXPECT_EQ(tk.messages[0].text, "There are 3 tweets that contain [skimmer] and will be removed. Proceed?");
    EXPECT_EQ(tk.messages[0].title, "Filter Tweets");
    EXPECT_EQ(tk.messages[0].buttons, MsgButtons::OKCancel);
    EXPECT_EQ(Tweets(), (std::vector<std::string>{"middle rt @carol text", "nothing here", "plain"}));
    EXPECT_TRUE(W().Window.Enabled());
}

TEST_F(TweetEditingTest, FilterWithPlusKeepsOnlyTheRowsThatContainTheWord) {
    frm->TableView().mSortDT_Click();  // sorting off; a filter switches it on again
    ASSERT_FALSE(W().TweetsTable.Rows().Sorted());
    tk.promptAnswers = {"+SKIMMER"};
    tk.messageAnswers = {MsgResult::OK};
    frm->Editing().mFilterTweets_Click();
    EXPECT_EQ(tk.messages[0].text,
              "There are 3 tweets that don't contain [SKIMMER] and will be removed. Proceed?");
    EXPECT_EQ(Tweets(),
              (std::vector<std::string>{"I like Skimmer", "RT @bob: skimmer rocks", "SKIMMER in caps"}));
    EXPECT_TRUE(W().TweetsTable.Rows().Sorted());
    EXPECT_FALSE(TweetCtl().mSortDT.Checked());
}

TEST_F(TweetEditingTest, AnEmptyOrCancelledFilterOffersToRemoveEverythingAndCancelKeepsIt) {
    const auto before = Tweets();
    tk.messageAnswers = {MsgResult::Cancel};
    frm->Editing().mFilterTweets_Click();  // the prompt is cancelled: the empty text
    EXPECT_EQ(tk.messages[0].text, "There are 6 tweets that contain [] and will be removed. Proceed?");
    EXPECT_EQ(Tweets(), before);

    // A filter that removes nothing still asks, and OK keeps every row in its order.
    tk.promptAnswers = {"-zebra"};
    tk.messageAnswers = {MsgResult::OK};
    frm->Editing().mFilterTweets_Click();
    EXPECT_EQ(tk.messages[1].text, "There are 0 tweets that contain [zebra] and will be removed. Proceed?");
    EXPECT_EQ(Tweets(), before);
}

TEST_F(TweetEditingTest, RemoveRetweetsFindsRtAnywhereInAnyCase) {
    tk.messageAnswers = {MsgResult::OK};
    frm->Editing().mRemRT_Click();
    EXPECT_EQ(tk.messages[0].text, "There are 2 tweets that contain [RT @] and will be removed. Proceed?");
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 4);
}

TEST_F(TweetEditingTest, FiltersOnAnEmptyTableOnlySaySo) {
    W().TweetsTable.Rows().ClearRows();
    frm->Editing().mFilterTweets_Click();
    frm->Editing().mRemRT_Click();
    ASSERT_EQ(tk.messages.size(), 2u);
    for (const auto& m : tk.messages) {
        EXPECT_EQ(m.text, "Tweet table is empty. You need to load or retrieve some tweets first.");
        EXPECT_EQ(m.title, "Filter Tweets");
        EXPECT_EQ(m.icon, MsgIcon::Information);
    }
    EXPECT_TRUE(tk.prompts.empty());
}

TEST_F(TweetEditingTest, DeleteAllTweetsByUserCountsOnlyExactEquals) {
    Select(0);  // alice
    tk.messageAnswers = {MsgResult::Cancel, MsgResult::OK};
    frm->Editing().mDelUsersTweets_Click();
    EXPECT_EQ(tk.messages[0].text, "Delete 2 occurences of alice from Tweets table?");
    EXPECT_EQ(tk.messages[0].title, "Confirm deletion");
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 6);
    frm->Editing().mDelUsersTweets_Click();
    EXPECT_EQ(Tweets(), (std::vector<std::string>{"RT @bob: skimmer rocks", "nothing here", "SKIMMER in caps",
                                                  "plain"}));

    // Delete Tweet removes the selected row without asking; with none selected nothing happens.
    Select(1);
    frm->Editing().mDelTweet_Click();
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 3);
    Select(-1);
    frm->Editing().mDelTweet_Click();
    frm->Editing().mDelUsersTweets_Click();
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 3);
    EXPECT_EQ(tk.messages.size(), 2u);
}

TEST_F(TweetEditingTest, DateTimeConversionsRewriteEveryCellTheyCanRead) {
    W().TweetsTable.Rows().SetText(4, "garbage text");  // a conversion rejects it
    W().TweetsTable.Rows().SetText(5, "12345");         // no time of day: nothing to convert to
    tk.messageAnswers = {MsgResult::Cancel, MsgResult::OK};
    frm->Editing().mVBDateTime_Click();
    EXPECT_EQ(
        tk.messages[0].text,
        "Convert the DateTime to local Numeric format e.g. dd/mm/yyyy hh:mm:ss? NOTE: Lumen expects the "
        "original Twitter DateTime format.");
    EXPECT_EQ(tk.messages[0].title, "Marlin Skimmer Desktop Edition");
    EXPECT_EQ(W().TweetsTable.Rows().Text(0), kWhen);  // cancelled
    frm->Editing().mVBDateTime_Click();
    EXPECT_EQ(W().TweetsTable.Rows().Text(0), "27/08/2008 13:08:45");
    EXPECT_EQ(W().TweetsTable.Rows().Text(3), "27/08/2008 13:08:45");
    EXPECT_EQ(W().TweetsTable.Rows().Text(4), "garbage text");

    tk.messageAnswers = {MsgResult::OK};
    frm->Editing().mSPSSDateTime_Click();
    EXPECT_EQ(tk.messages.back().text,
              "Convert the DateTime to an SPSS compatible format (dd-mmm-yyyyy hh:mm:ss)?");
    EXPECT_EQ(W().TweetsTable.Rows().Text(0), "27-Aug-2008 13:08:45");
    EXPECT_EQ(W().TweetsTable.Rows().Text(4), "garbage text");
    EXPECT_EQ(W().TweetsTable.Rows().Text(5), "12345");

    const std::size_t asked = tk.messages.size();
    frm->Editing().mTwitterDateTime_Click();  // no question
    EXPECT_EQ(tk.messages.size(), asked);
    EXPECT_EQ(W().TweetsTable.Rows().Text(0), kWhen);
    EXPECT_EQ(W().TweetsTable.Rows().Text(2), kWhen);
    EXPECT_EQ(W().TweetsTable.Rows().Text(4), "garbage text");
}

TEST_F(TweetEditingTest, ColumnsSortAsNumbersWhereBothCellsAreNumbers) {
    // Ids of different lengths: the 19-digit one is the newest.
    W().TweetsTable.Rows().SetCell(5, 3, "1000000000000000000");
    W().TweetsTable.Rows().SetCell(0, 3, "999999999999999999");
    frm->TableView().OutTable_ColumnClick(3);
    W().TweetsTable.Rows().Sort();
    EXPECT_EQ(W().TweetsTable.Rows().Cell(0, 3), "1000000000000000000");
    EXPECT_EQ(W().TweetsTable.Rows().Cell(1, 3), "999999999999999999");

    // Followers: 12345678 is longer than the padding width and still sorts above 999.
    frm->TableView().OutTable_ColumnClick(5);
    EXPECT_EQ(W().TweetsTable.Rows().SortKey(), 5);
    EXPECT_EQ(W().TweetsTable.Rows().SortOrder(), SortDirection::Descending);
    EXPECT_EQ(W().TweetsTable.Rows().Cell(0, 5), "12345678");
    EXPECT_EQ(W().TweetsTable.Rows().Cell(1, 5), "    999");

    // With sorting off a header click only chooses the key.
    frm->TableView().mSortDT_Click();
    frm->TableView().OutTable_ColumnClick(1);
    EXPECT_EQ(W().TweetsTable.Rows().Cell(0, 5), "12345678");
    frm->TableView().mSortDT_Click();
    EXPECT_TRUE(TweetCtl().mSortDT.Checked());
    EXPECT_EQ(W().TweetsTable.Rows().Cell(0, 1), "carol");
}

TEST_F(TweetEditingTest, RowPopupNamesTheAuthorAndOffersOnlyWebLinks) {
    frm->Editing().OutTable_MouseUp(2);
    EXPECT_EQ(TweetCtl().mTweet.PopupCount(), 0);  // nothing selected: no popup

    const std::string longLink = "http://a.example/" + std::string(200, 'q');
    W().TweetsTable.Rows().SetCell(0, 12, longLink);
    Select(0);
    frm->Editing().OutTable_MouseUp(1);
    EXPECT_EQ(TweetCtl().mTweet.PopupCount(), 0);
    frm->Editing().OutTable_MouseUp(2);
    EXPECT_EQ(TweetCtl().mTweet.PopupCount(), 1);
    EXPECT_TRUE(TweetCtl().mNavLinkURL.Visible());
    EXPECT_EQ(TweetCtl().mNavLinkURL.Caption(), "Go to " + longLink.substr(0, 96));
    EXPECT_EQ(TweetCtl().mNavUserTwitter.Caption(), "Find alice on Twitter");
    EXPECT_EQ(TweetCtl().mAddU2UL.Caption(), "Add alice to User List");
    EXPECT_EQ(TweetCtl().mDelUFUL.Caption(), "Delete alice from User List");
    EXPECT_EQ(TweetCtl().mDelUsersTweets.Caption(), "Delete all Tweets by alice");
    EXPECT_EQ(TweetCtl().mDelTweet.Caption(), "Delete Tweet");
    frm->Editing().mNavLinkURL_Click();
    frm->Editing().mNavUserTwitter_Click();
    EXPECT_EQ(tk.openedUrls, (std::vector<std::string>{longLink, "https://twitter.com/alice"}));

    Select(3);  // bob: no link
    frm->Editing().OutTable_MouseUp(2);
    EXPECT_FALSE(TweetCtl().mNavLinkURL.Visible());
    Select(4);  // carol: a link that is not a web address is offered but not opened
    frm->Editing().OutTable_MouseUp(2);
    EXPECT_EQ(TweetCtl().mNavLinkURL.Caption(), "Go to ftp://old.example");
    frm->Editing().mNavLinkURL_Click();
    Select(5);  // a screen name that starts with a digit is padded in the table, not on the web
    frm->Editing().OutTable_MouseUp(2);
    EXPECT_EQ(TweetCtl().mNavUserTwitter.Caption(), "Find 2cool on Twitter");
    frm->Editing().mNavUserTwitter_Click();
    EXPECT_EQ(tk.openedUrls.back(), "https://twitter.com/2cool");
    EXPECT_EQ(tk.openedUrls.size(), 3u);
}

TEST_F(TweetEditingTest, CopyLogPutsEveryLineWithItsLineEndOnTheClipboard) {
    tk.ClipboardSetText("old");
    frm->Editing().mCopyLog_Click();
    EXPECT_EQ(tk.ClipboardGetText(), "");
    W().Progress.Append("first");
    W().Progress.Append("second");
    frm->Editing().mCopyLog_Click();
    EXPECT_EQ(tk.ClipboardGetText(), "first\r\nsecond\r\n");

    // The log's popup is the Tools menu with Copy Log alone, whole again afterwards.
    std::vector<bool> seen;
    auto watch = TweetCtl().mFilterTweets.Subscribe(
        [&](const ModelChange&) { seen.push_back(TweetCtl().mFilterTweets.Visible()); });
    frm->Editing().Progress_MouseDown(2);
    EXPECT_EQ(seen, (std::vector<bool>{false, true}));
    EXPECT_EQ(TweetCtl().mTools.PopupCount(), 1);
    EXPECT_TRUE(TweetCtl().mConvertDT.Visible());
    EXPECT_TRUE(TweetCtl().mCopyLog.Visible());
}

}  // namespace
}  // namespace marlin::testing
