// An installed program: the scorer came with it, in a folder of the installation, while its
// exchange files go to the user's program folder.
#include <filesystem>

#include "main_window_fixture.h"

namespace marlin::testing {
namespace {

namespace fs = std::filesystem;

class InstalledScorerTest : public MainWindowTest {
  protected:
    void SetUp() override {
        if (!fs::exists(BuiltAppFolder() / "bin" / "support.dll"))
            GTEST_SKIP() << "the scorer stand-in is not built (no JDK)";
        InstallScorer(m_installed.path());
        StartWindow(SmallCorpus(), /*withScorer=*/false);
        W().Settings.InstalledScorerFolder = m_installed.path();
        BackDays(1);
        NewSearch("data");
        ASSERT_GT(W().TweetsTable.Rows().RowCount(), 0);
    }
    bool AnyRowScored() {
        for (int row = 0; row < W().TweetsTable.Rows().RowCount(); ++row)
            if (W().TweetsTable.Rows().Cell(row, 13) != "      0" ||
                W().TweetsTable.Rows().Cell(row, 14) != "      0")
                return true;
        return false;
    }

    TempFolder m_installed;
};

TEST_F(InstalledScorerTest, SearchAndReopenScoreWithTheInstalledScorerAndWriteNothingThere) {
    EXPECT_TRUE(AnyRowScored());
    EXPECT_EQ(LogLines().size(), 3u) << LogLines().back();  // no line about a failed scorer

    const std::string row = "\tu\tsuch a good day\tf\tf\tf\tf\tf\tf\tf\tf\tf\tf\t0\t0\tf\t\r\n";
    tk.messageAnswers = {MsgResult::No, MsgResult::Yes};  // keep no rows; score the zeros again
    OpenTable("zeros.txt", "d1" + row + "d2" + row);
    EXPECT_EQ(W().TweetsTable.Rows().Cell(1, 13), "      2");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_installed.path()), fs::directory_iterator()), 2);
}

TEST_F(InstalledScorerTest, AScorerInTheProgramFolderComesFirst) {
    // One that cannot run shows which was taken.
    fs::create_directories(AppFolder() / "bin");
    fs::create_directories(AppFolder() / "SentiStrengthData");
    WriteFileBytes(AppFolder() / "bin" / "support.dll", "not a jar");
    tk.messageAnswers = {MsgResult::No};
    NewSearch("data");
    EXPECT_FALSE(AnyRowScored());
    EXPECT_THAT(LogLines().back(), StartsWith("Sentiment scorer")) << LogLines().back();
}

}  // namespace
}  // namespace marlin::testing
