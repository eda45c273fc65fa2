// The user table files: saving keys, classifier input and whole tables, reopening them
// as named tables, and importing the classifier's attributes.
#include <algorithm>

#include "user_side_fixture.h"

namespace marlin::testing {
namespace {

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return parts;
        start = at + separator.size();
    }
}

class UserTableFilesTest : public UserSideTest {
  protected:
    // Three profiled users, one with statistics from the Tweets table and samples.
    void FillTable0() {
        const Profile ann{.screenName = "ann", .name = "Zo\\u00eb Ann"};
        const Profile loner{.id = "200", .screenName = "loner", .friends = 0};
        const Profile carl{.id = "300", .screenName = "carl"};
        SetProfiles(W().Engine.Users(), {ann, loner, carl});
        AddTweetRow("ann", "hello", 3, 2, -1);
        AddTweetRow("ann", "RT @x: hi", 0, 1, -1);
        frm->Users().Profiles().FillUserTable(W().Engine.Users(), true);
        for (int row = 0; row < 3; ++row) {
            Table0().SetCell(row, UserTable::kPrfTwtSamp, "one|two|");
            Table0().SetCell(row, UserTable::kTLTwtDay, "  12");
            Table0().SetCell(row, UserTable::kTLPctRT, "  5");
        }
    }
    std::vector<std::string> Lines(const std::string& path) {
        std::vector<std::string> lines = Split(ReadFileBytes(path), "\r\n");
        EXPECT_EQ(lines.back(), "");  // every line ends with CR LF
        lines.pop_back();
        return lines;
    }
    void Save(int layout, const std::string& answer) {
        tk.fileDialogAnswers.push_back(answer);
        UserCtl().mSaveUsers[layout].Click();
    }
    void Open(int layout, const std::string& path) {
        tk.fileDialogAnswers.push_back(path);
        UserCtl().mOpenUsers[layout].Click();
    }
};

TEST_F(UserTableFilesTest, AWholeTableSavedAndReopenedReproducesEveryCell) {
    Start();
    FillTable0();
    W().TweetsTable.SetFile(File("tweets.txt").string());
    Save(2, File("roundtrip").string());

    EXPECT_EQ(tk.fileDialogs.at(0).request.fileName,
              File("tweets").string());  // proposed from the tweets file
    const std::vector<std::string> lines = Lines(File("roundtrip.mut").string());
    ASSERT_EQ(lines.size(), 3u);
    for (const auto& line : lines) EXPECT_EQ(Split(line, "\t").size(), 37u);
    EXPECT_EQ(Split(lines[0], "\t")[2], "Zo\xEB Ann");  // the single-byte code page on disk

    Open(1, File("roundtrip.mut").string());
    ASSERT_EQ(UserCtl().UserTables.size(), 2u);
    EXPECT_EQ(UserCtl().UserTables[1]->Name(), "roundtrip");
    EXPECT_EQ(UserCtl().CurUserTable, 1);
    ASSERT_EQ(UserCtl().CurrentUserTable().RowCount(), 3);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(UserCtl().CurrentUserTable().RowCells(row), Table0().RowCells(row));
    EXPECT_EQ(UserCtl().CurrentUserTable().Cell(0, 10), "     123");  // padding included
    EXPECT_EQ(W().InfoBar.Panel(2), "3 users displayed");
    EXPECT_FALSE(W().Run.Busy());
    // "All Fields" offers whole user tables first.
    EXPECT_EQ(tk.fileDialogs.at(1).request.filter,
              "Marlin User Table (*.mut)|*.mut|Marlin User Keys (*.muk)|*.muk|Text (*.txt)|*.txt");
    EXPECT_EQ(tk.fileDialogs.at(1).request.defaultExtension, "mut");
}

TEST_F(UserTableFilesTest, SavingAppendsAMissingExtensionAndAsksBeforeOverwriting) {
    Start();
    FillTable0();
    Save(0, File("keys.muk").string());
    EXPECT_FALSE(std::filesystem::exists(File("keys.muk.muk")));
    EXPECT_EQ(Lines(File("keys.muk").string()),
              (std::vector<std::string>{"100\tann", "200\tloner", "300\tcarl"}));

    WriteFileBytes(File("keys.muk"), "old");
    tk.messageAnswers.push_back(MsgResult::Cancel);
    Save(0, File("keys").string());
    EXPECT_EQ(tk.messages.at(0).text, File("keys.muk").string() + " already exists. Overwrite this file?");
    EXPECT_EQ(tk.messages.at(0).buttons, MsgButtons::OKCancel);
    EXPECT_EQ(ReadFileBytes(File("keys.muk")), "old");
    Save(0, File("keys").string());  // OK this time
    EXPECT_EQ(Lines(File("keys.muk").string()).size(), 3u);

    tk.fileDialogAnswers.push_back(std::nullopt);  // a cancelled dialog writes nothing
    UserCtl().mSaveUsers[2].Click();
    EXPECT_FALSE(std::filesystem::exists(File(".mut")));
}

TEST_F(UserTableFilesTest, ATableKeepsTheEncodingItWasOpenedInOrElseTheSettingsAtItsSave) {
    Start();
    struct Case {
        const char* file;  // the whole table's one row, as its file holds it; "" for a looked-up table
        bool exactAtSave;
        const char* savedStart;
    };
    const std::string rest(UserTable::kColumnCount - 2, '\t');
    const std::string utf8 =
        "\xEF\xBB\xBF"
        "100\t\xD0\x97\xD0\xBE\xD1\x8F \xF0\x9F\x98\x80" +
        rest + "\r\n";
    const std::string codePage = "100\tZo\xEB" + rest + "\r\n";
    const Case cases[] = {
        {utf8.c_str(), false, "\xEF\xBB\xBF"},    // no Cyrillic or emoji turned into "?"
        {codePage.c_str(), true, "100\tZo\xEB"},  // still one for the readers that know only it
        {"", true, "\xEF\xBB\xBF"},
        {"", false, "100\tann"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        frm->Session().SetExactTexts(!c.exactAtSave);
        if (*c.file) {
            WriteFileBytes(File("opened.mut"), c.file);
            Open(1, File("opened.mut").string());
        } else {
            UserCtl().CurUserTable = 0;
            Table0().ClearRows();
            FillTable0();
        }
        frm->Session().SetExactTexts(c.exactAtSave);
        Save(2, File("saved").string());
        const std::string saved = ReadFileBytes(File("saved.mut"));
        EXPECT_TRUE(saved.starts_with(c.savedStart)) << saved.substr(0, 20);
        if (*c.file) {
            EXPECT_EQ(saved, c.file);
        }
    }
}

TEST_F(UserTableFilesTest, TheClassifierInputNeedsASampleInEveryRow) {
    Start();
    FillTable0();
    Table0().SetCell(1, UserTable::kPrfTwtSamp, "");
    Save(1, File("profiler").string());
    ASSERT_EQ(tk.messages.size(), 1u);
    EXPECT_EQ(
        tk.messages[0].text,
        "Some/all rows in the table have no Timeline sample. This is required by Profiler. Exiting Export "
        "operation.");
    EXPECT_EQ(tk.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(tk.fileDialogs.empty());

    Table0().SetCell(1, UserTable::kPrfTwtSamp, "x|");
    Table0().SetCell(1, UserTable::kPrfBDayTwts, "bday|");
    Save(1, File("profiler").string());
    const std::vector<std::string> lines = Lines(File("profiler.mprf").string());
    ASSERT_EQ(lines.size(), 3u);
    const std::vector<std::string> fields = Split(lines[1], "\t");
    ASSERT_EQ(fields.size(), 22u);
    EXPECT_EQ(fields[0], "200");
    EXPECT_EQ(fields[19], "http://bg/1.png");  // "Background"; "FF Ratio" and "TwtDay" left out
    EXPECT_EQ(fields[20], "x|");
    EXPECT_EQ(fields[21], "bday|");
}

TEST_F(UserTableFilesTest, KeyFilesAreLookedUpByIdsOrByScreenNames) {
    Start();
    StoreCredentials();
    const auto& data = Emu().Data();
    std::string text;
    std::string idList;
    for (int i = 8; i < 11; ++i) {
        text += std::to_string(data.UserId(i)) + "\t" + data.ScreenName(i) + "\r\n";
        idList += std::to_string(data.UserId(i)) + ",";
    }
    text += "\tno_id_here\r\n\r\n";  // a line without its key names nobody
    WriteFileBytes(File("ids.muk"), text);
    Open(0, File("ids.muk").string());

    EXPECT_FALSE(W().TableEngine.Client().BearerToken().empty());
    EXPECT_EQ(RequestsTo("/1.1/users/lookup.json").at(0).Param("user_id"), idList);
    EXPECT_EQ(UserCtl().UserTables.back()->Name(), "ids");
    ASSERT_EQ(UserCtl().CurrentUserTable().RowCount(), 3);
    EXPECT_EQ(UserCtl().CurrentUserTable().Cell(1, 1), data.ScreenName(9));
    EXPECT_FALSE(UserCtl().CurrentUserTable().Cell(1, 10).empty());
    EXPECT_EQ(W().InfoBar.Panel(2), "3 users displayed");

    // A first line that starts with a TAB: screen names from the second field.
    const emulator::KnownUsers users = Emu().Users();
    WriteFileBytes(File("names.muk"),
                   "\t" + users.demo + "\r\n\t" + users.midsize + "\r\nid_without_name\r\n");
    Open(0, File("names.muk").string());
    EXPECT_EQ(RequestsTo("/1.1/users/lookup.json").back().Param("screen_name"),
              users.demo + "," + users.midsize + ",");
    EXPECT_EQ(UserCtl().UserTables.back()->Name(), "names");
    EXPECT_EQ(UserCtl().CurrentUserTable().RowCount(), 2);
    EXPECT_FALSE(W().Run.Busy());
}

TEST_F(UserTableFilesTest, AReadErrorPartWayEndsWithAMessageAndTheWindowUsable) {
    Start();
    // Opening works; reading its first bytes fails.
    const std::string unreadable = "/proc/self/mem";
    if (!SKDFuncs::FileExists(unreadable)) GTEST_SKIP() << "no file that fails on read";
    Open(0, unreadable);
    ASSERT_EQ(tk.messages.size(), 1u);
    EXPECT_EQ(tk.messages[0].text, "Couldn't open: /proc/self/mem -- Contents may be corrupted.");
    EXPECT_EQ(tk.messages[0].title, "File Open Error");
    EXPECT_FALSE(W().Run.Busy());
    EXPECT_EQ(tk.cursors.back(), CursorShape::Normal);

    // A file that is not there: nothing read, the status line and cursor still reset.
    Open(1, File("missing.mut").string());
    EXPECT_EQ(UserCtl().UserTables.size(), 1u);
    EXPECT_EQ(W().InfoBar.Panel(2), "0 users displayed");
    EXPECT_FALSE(W().Run.Busy());
}

TEST_F(UserTableFilesTest, ClassifierAttributesGoToTheirColumnsByIdOrElseByName) {
    Start();
    FillTable0();
    WriteFileBytes(File("short.txt"), "100\tnobody\tmale\t30\t0.9\r\n999\tloner\tfemale\t40\t0.8\r\n");
    tk.fileDialogAnswers.push_back(File("short.txt").string());
    UserCtl().mImportProfiler.Click();
    auto attributes = [this](int row) {
        return std::vector<std::string>{std::string(Table0().Cell(row, UserTable::kPrfGender)),
                                        std::string(Table0().Cell(row, UserTable::kPrfAge)),
                                        std::string(Table0().Cell(row, UserTable::kPrfConf))};
    };
    EXPECT_EQ(attributes(0), (std::vector<std::string>{"male", "30", "0.9"}));
    EXPECT_EQ(attributes(1), (std::vector<std::string>{"female", "40", "0.8"}));
    EXPECT_EQ(attributes(2), (std::vector<std::string>{"", "", ""}));

    // The wide form: attributes from fields 23, 22 and 24.
    std::vector<std::string> wide(25, "x");
    wide[0] = "300";
    wide[22] = "age 25";
    wide[23] = "gender f";
    wide[24] = "conf 0.7";
    std::string line;
    for (const auto& field : wide) line += (line.empty() ? "" : "\t") + field;
    WriteFileBytes(File("wide.txt"), line + "\r\n");
    tk.fileDialogAnswers.push_back(File("wide.txt").string());
    UserCtl().mImportProfiler.Click();
    EXPECT_EQ(attributes(2), (std::vector<std::string>{"gender f", "age 25", "conf 0.7"}));
}

}  // namespace
}  // namespace marlin::testing
