// Saves that cannot be written, a planted link, and prefs at close: every failure is said,
// the earlier file stays as it was and nothing is left behind or written through a link.

#include <gmock/gmock.h>
#include <sys/stat.h>

#include <filesystem>

#include "user_side_fixture.h"

namespace marlin::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

class SaveFaultTest : public UserSideTest {
  protected:
    void SetUp() override {
        Start();
        const Profile carl{.id = "300", .screenName = "carl"};
        SetProfiles(W().Engine.Users(), {Profile{}, carl});
        frm->Users().Profiles().FillUserTable(W().Engine.Users(), true);
        ASSERT_EQ(Table0().RowCount(), 2);
    }
    void SaveUsers(int layout, const fs::path& withoutExtension) {
        tk.fileDialogAnswers.push_back(withoutExtension.string());
        UserCtl().mSaveUsers[layout].Click();
    }
    std::vector<std::string> Shown() const {
        std::vector<std::string> shown;
        for (const auto& m : tk.messages) shown.push_back(m.title + "|" + m.text);
        return shown;
    }
};

TEST_F(SaveFaultTest, AUserTableThatCannotBeWrittenIsSaidAndTheEarlierFileStays) {
    struct Case {
        int layout;
        const char* extension;
    };
    for (const Case c : {Case{0, ".muk"}, Case{2, ".mut"}}) {
        const fs::path file = File(std::string("users") + c.extension);
        WriteFileBytes(file, "earlier\r\n");
        const auto before = FolderEntries(AppFolder());
        tk.messages.clear();
        {
            FileSizeLimit fullDisk(4);
            SaveUsers(c.layout, File("users"));
        }
        EXPECT_EQ(tk.messages.back().title, "File Save Error") << c.extension;
        EXPECT_EQ(tk.messages.back().text,
                  "Couldn't save: " + file.string() + " -- The file could not be written.");
        EXPECT_EQ(tk.messages.back().icon, MsgIcon::Exclamation);
        EXPECT_EQ(ReadFileBytes(file), "earlier\r\n");
        EXPECT_EQ(FolderEntries(AppFolder()), before);  // no partial file left
    }
}

TEST_F(SaveFaultTest, ALinkPlantedAtATemporaryNameIsNotWrittenThrough) {
    const fs::path victim = File("victim.txt");
    WriteFileBytes(victim, "precious");
    for (const char* name : {"users.mut.partial", "users.mut.tmp", "users.mut~", "prefs.partial"})
        fs::create_symlink(victim, File(name));

    SaveUsers(2, File("users"));
    TweetCtl().QPHistory.AddItem("q  /data/q.txt");
    ASSERT_TRUE(frm->Form_QueryUnload());

    EXPECT_EQ(ReadFileBytes(victim), "precious");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(File("users.mut"))));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(File("prefs"))));
}

TEST_F(SaveFaultTest, PrefsKeepTheirPermissionBits) {
    WriteFileBytes(File("prefs"), "LA-en\r\n");
    fs::permissions(File("prefs"), fs::perms::owner_read | fs::perms::owner_write);
    W().Settings.SearchLang = "fr";
    for (auto& table : UserCtl().UserTables) table->SetUnsaved(false);  // only the prefs are in question here
    ASSERT_TRUE(frm->Form_QueryUnload());
    EXPECT_THAT(ReadFileBytes(File("prefs")), ::testing::StartsWith("LA-fr\r\n"));
    struct stat info {};
    ASSERT_EQ(::stat(File("prefs").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}

TEST_F(SaveFaultTest, PrefsThatCannotBeWrittenAtCloseAreSaidOnceAndTheWindowStays) {
    WriteFileBytes(File("prefs"), "LA-en\r\n");
    W().Settings.SearchLang = "fr";
    for (auto& table : UserCtl().UserTables) table->SetUnsaved(false);  // only the prefs are in question here
    W().Window.SetVisible(true);
    {
        FileSizeLimit fullDisk(4);
        EXPECT_FALSE(frm->Form_QueryUnload());
        EXPECT_TRUE(W().Window.Visible());
        EXPECT_THAT(Shown(),
                    ElementsAre("File Save Error|Couldn't save: " + File("prefs").string() +
                                " -- The file could not be written." + WindowSession::kPrefsNotSavedAdvice));
        // Asked again, the window closes without saying it twice.
        EXPECT_TRUE(frm->Form_QueryUnload());
        EXPECT_EQ(tk.messages.size(), 1u);
    }
    EXPECT_EQ(ReadFileBytes(File("prefs")), "LA-en\r\n");
    EXPECT_THAT(FolderEntries(AppFolder()), ::testing::Contains("prefs"));
}

}  // namespace
}  // namespace marlin::testing
