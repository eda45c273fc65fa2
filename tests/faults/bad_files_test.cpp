// Files that are not what the program wrote: truncated, binary, huge lines, wrong field
// counts, bytes the code page leaves undefined, and a file gone by the time it is read,
// opened as tweet tables, user tables, prefs and credentials.

#include <filesystem>

#include "core/code_page.h"
#include "fault_fixture.h"
#include "service/app_cred_file.h"
#include "workspace/session/preferences.h"

namespace marlin::testing {
namespace {

constexpr const char* kHeader =
    "DateTime\tUserScreenName\tTweet\tTweetID\tUserRealName\tUserFollowers\tUserFollowing\tUserLocation\t"
    "UTC_Offset\tGeoCoords\tUserTweets\tRetweeted\tLinkURL\tSent+\tSent-\tDescription\t\r\n";

// One tweet table line (Windows-1252) with scores, so opening it asks nothing.
std::string Tweet(const std::string& id, const std::string& text = "hello") {
    return TweetLine{.text = text, .id = id}.Line();
}

std::string Binary(std::size_t size) {
    std::string bytes(size, '\0');
    unsigned state = 12345;
    for (char& c : bytes) {
        state = state * 1103515245 + 12345;
        c = static_cast<char>(state >> 16);
    }
    return bytes;
}

class BadFileTest : public FaultTest {
  protected:
    void SetUp() override {
        Start();
        m_good = File("good.txt").string();
        WriteFileBytes(m_good, kHeader + Tweet("300") + Tweet("200") + Tweet("100"));
        ASSERT_TRUE(OpenTweets(m_good));
        ASSERT_EQ(TableIds(), (std::vector<std::string>{"300", "200", "100"}));
    }

    // Opens through the dialog; true when no message was shown.
    bool OpenTweets(const std::string& path) {
        tk.messages.clear();
        tk.fileDialogAnswers.push_back(path);
        frm->Files().OpenTweetsTable();
        return tk.messages.empty();
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        WriteFileBytes(File(name), bytes);
        return File(name).string();
    }
    // The message a refused tweet table gives, and the table as it was.
    void ExpectRefused(const std::string& path) {
        ASSERT_EQ(tk.messages.size(), 1u) << path;
        EXPECT_EQ(tk.messages[0].text, "Couldn't open: " + path + " -- Contents may be corrupted.");
        EXPECT_EQ(tk.messages[0].title, "File Open Error");
        EXPECT_EQ(tk.messages[0].icon, MsgIcon::Exclamation);
        EXPECT_EQ(TableIds(), (std::vector<std::string>{"300", "200", "100"}));
        EXPECT_EQ(W().TweetsTable.File(), m_good);
        EXPECT_FALSE(W().TweetsDirty());
    }

    std::string m_good;
};

TEST_F(BadFileTest, TweetTablesThatCannotBeReadAreRefusedAndTheTableStays) {
    const std::string whole = kHeader + Tweet("9") + Tweet("8");
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"truncated.txt", whole.substr(0, whole.size() - 40)},  // the last line lost its end
        {"binary.txt", Binary(20000)},                          // not text at all
        {"huge.txt", std::string(5'000'000, 'x')},              // one line of 5 MB, one field
        {"fifteen.txt", kHeader + std::string("a\tb\tc\td\te\tf\tg\th\ti\tj\tk\tl\tm\tn\to\r\n")},
        {"onerecord.txt", kHeader},  // a header and no tweet
        {"scores.txt", kHeader + std::string("x\ty\tz\t1\t\t\t\t\t\t\t\t\t\tmany\tnone\t\t\r\n")},
        {"empty.txt", ""},
    };
    for (const auto& [name, bytes] : bad) {
        const std::string path = Write(name, bytes);
        OpenTweets(path);
        ExpectRefused(path);
    }
}

TEST_F(BadFileTest, ATweetTableGoneBetweenTheDialogAndTheReadIsRefused) {
    const std::string path = Write("gone.txt", kHeader + Tweet("9") + Tweet("8"));
    std::filesystem::remove(path);
    OpenTweets(path);
    ExpectRefused(path);

    // A folder under the chosen name is no file either.
    std::filesystem::create_directory(File("folder.txt"));
    OpenTweets(File("folder.txt").string());
    ExpectRefused(File("folder.txt").string());
}

TEST_F(BadFileTest, OddButWholeTweetTablesOpen) {
    // Extra fields are ignored, a huge text is a text, and the bytes Windows-1252 leaves
    // undefined come through as the control characters of those numbers.
    const std::string huge(1'000'000, 'y');
    const std::string undefined = "\x81\x8D\x8F\x90\x9D \x80 caf\xE9";
    std::string wide = Tweet("7");
    wide.insert(wide.size() - 2, "extra\tfields\t");
    const std::string whole =
        Write("whole.txt", kHeader + Tweet("9", huge) + Tweet("8", undefined) + "\r\n" + wide);
    EXPECT_TRUE(OpenTweets(whole)) << tk.messages.at(0).text;
    EXPECT_EQ(TableIds(), (std::vector<std::string>{"9", "8", "7"}));
    EXPECT_EQ(W().TweetsTable.Rows().Cell(0, 2).size(), huge.size());
    EXPECT_EQ(std::string(W().TweetsTable.Rows().Cell(1, 2)), CodePage::FromWindows1252(undefined));

    // Saved again, the odd bytes go back to the file as they came.
    tk.messageAnswers.push_back(MsgResult::Yes);  // overwrite
    frm->Files().SaveTweetsTable();
    EXPECT_NE(ReadFileBytes(whole).find(undefined), std::string::npos);
}

TEST_F(BadFileTest, UserTablesOfAnyShapeOpenAsNamedTablesAndLeaveTheOthers) {
    const int tablesBefore = static_cast<int>(UserCtl().UserTables.size());
    tk.fileDialogAnswers.push_back(Write("binary.mut", Binary(20000)));
    frm->Users().Files().mOpenUsers_Click(1);
    EXPECT_EQ(static_cast<int>(UserCtl().UserTables.size()), tablesBefore + 1);
    EXPECT_EQ(UserCtl().UserTables.back()->Name(), "binary");
    EXPECT_GT(UserCtl().CurrentUserTable().RowCount(), 0);
    EXPECT_FALSE(W().Run.Busy());

    // Short and long lines, a huge cell and undefined bytes: one row each.
    std::string lines = "1\tshort\r\n";
    std::string wide;
    for (int k = 0; k < 60; ++k) wide += std::to_string(k) + "\t";
    lines += wide + "\r\n" + std::string(2'000'000, 'z') + "\r\n" + "\x81\x9D\tname\r\n";
    tk.fileDialogAnswers.push_back(Write("shapes.mut", lines));
    frm->Users().Files().mOpenUsers_Click(1);
    const ReportList& table = UserCtl().CurrentUserTable();
    ASSERT_EQ(table.RowCount(), 4);
    EXPECT_EQ(std::string(table.Text(0)), "1");
    EXPECT_EQ(std::string(table.Cell(0, 1)), "short");
    EXPECT_EQ(table.Text(2).size(), 2'000'000u);
    EXPECT_EQ(std::string(table.Text(3)), CodePage::FromWindows1252("\x81\x9D"));
    EXPECT_EQ(W().InfoBar.Panel(2), "4 users displayed");

    // Keys nobody has: the look-up finds nothing and the table stays empty.
    tk.fileDialogAnswers.push_back(Write("nobody.muk", "\tno_such_user_1\r\n\tno_such_user_2\r\n\t\r\n"));
    frm->Users().Files().mOpenUsers_Click(0);
    EXPECT_EQ(UserCtl().CurrentUserTable().RowCount(), 0);
    EXPECT_FALSE(W().Run.Busy());
}

TEST_F(BadFileTest, AUserTableGoneBetweenTheDialogAndTheReadChangesNothing) {
    const int tablesBefore = static_cast<int>(UserCtl().UserTables.size());
    const std::string path = Write("gone.mut", "1\tsomeone\r\n");
    std::filesystem::remove(path);
    tk.fileDialogAnswers.push_back(path);
    frm->Users().Files().mOpenUsers_Click(1);
    EXPECT_EQ(static_cast<int>(UserCtl().UserTables.size()), tablesBefore);
    EXPECT_FALSE(W().Run.Busy());
    EXPECT_EQ(TableIds(), (std::vector<std::string>{"300", "200", "100"}));
}

TEST_F(BadFileTest, PrefsOfAnyShapeLoadWhatTheyCanAndNeverStopTheStart) {
    // The newest query names a corrupt table: opened silently at start, it is skipped and
    // the table stays; the query still comes back.
    const std::string corrupt = Write("corrupt.txt", Binary(5000));
    std::string prefs = "QP-cats," + corrupt + "\r\n" + Binary(3000) + "\r\nUP-" + std::string(100000, 'u') +
                        "\r\nLA-\x81\x9D\r\nHW-1,2,3\r\nHW-" + Binary(40) + "\r\nQP-truncated";
    Write("prefs", prefs);
    frm->Session().LoadPrefs();
    EXPECT_TRUE(tk.messages.empty()) << tk.messages.at(0).text;
    EXPECT_EQ(TweetCtl().SearchQuery.Text(), "cats");
    EXPECT_EQ(TableIds(), (std::vector<std::string>{"300", "200", "100"}));
    EXPECT_EQ(TweetCtl().QPHistory.Count(), 2);
    EXPECT_EQ(TweetCtl().UTLHistory.Count(), 1);
    EXPECT_EQ(W().Settings.SearchLang, CodePage::FromWindows1252("\x81\x9D"));
    // Written back, the file reads as the same histories.
    ASSERT_TRUE(frm->Session().SavePrefs());
    const auto lines = Preferences::Read(File("prefs"));
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(lines->size(), 5u);  // two QP-, one UP-, LA-, HW-
}

TEST_F(BadFileTest, PrefsThatAreAFolderOrBinaryLeaveTheDefaults) {
    std::filesystem::create_directory(File("prefs"));
    frm->Session().LoadPrefs();
    EXPECT_EQ(TweetCtl().QPHistory.Count(), 0);
    EXPECT_EQ(W().Settings.SearchLang, "en");
    std::filesystem::remove(File("prefs"));

    Write("prefs", Binary(100000));
    frm->Session().LoadPrefs();
    EXPECT_FALSE(W().Run.Busy());
    EXPECT_EQ(TableIds(), (std::vector<std::string>{"300", "200", "100"}));
}

TEST_F(BadFileTest, CredentialsFilesOfAnyShapeLeaveTheDialogAsking) {
    const std::string enter = "Enter valid credentials, then click OK to authenticate.";
    const std::vector<std::pair<std::string, std::string>> files = {
        {"truncated Base64", "TXlBcHANCmtl\r\n"},  // "MyApp", CR LF, "ke": two texts
        {"not Base64", "TXlBcHANCmtleQ\r\n"},      // a length no Base64 has
        {"two lines", "MyApp\r\nkey\r\n"},        {"empty", ""}, {"binary", Binary(3)},
    };
    for (const auto& [what, bytes] : files) {
        Write(AppCredFile::kFileName, bytes);
        frmAbout& about = frm->About();
        about.Form_Load();
        EXPECT_EQ(about.Status.Caption(), enter) << what;
    }
    // A huge binary file reads as the first three of its lines, whatever they hold.
    Write(AppCredFile::kFileName, Binary(200000));
    frm->About().Form_Load();
    EXPECT_FALSE(frm->About().Status.Caption().empty());

    std::filesystem::remove(File(AppCredFile::kFileName));
    std::filesystem::create_directory(File(AppCredFile::kFileName));
    frm->About().Form_Load();
    EXPECT_EQ(frm->About().Status.Caption(), enter);
    EXPECT_TRUE(frm->About().tbCred[0].Text().empty());
}

}  // namespace
}  // namespace marlin::testing
