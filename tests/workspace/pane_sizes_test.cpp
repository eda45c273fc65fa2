// The sizes of the window's panes, kept in the prefs file after everything else there.
#include "main_window_fixture.h"

namespace marlin::testing {
namespace {

class PaneSizesTest : public MainWindowTest {};

TEST_F(PaneSizesTest, OlderPrefsReadAndWriteAsBeforeAndStoredPaneSizesComeBack) {
    StartWindow(SmallCorpus(), false);
    std::string older = "LA-fr\r\nHW-900";
    for (int i = 1; i < TweetColumn::Count; ++i) older += ',' + std::to_string(1000 + i);
    older += "\r\n";
    WriteFileBytes(File("prefs"), older);
    frm->Session().LoadPrefs();
    EXPECT_TRUE(frm->Session().MainSplitter.Sizes().empty());  // the window keeps its own sizes
    ASSERT_TRUE(frm->Session().SavePrefs());
    EXPECT_EQ(ReadFileBytes(File("prefs")), older);

    frm->Session().MainSplitter.SetSizes({150, 500, 120});
    ASSERT_TRUE(frm->Session().SavePrefs());
    EXPECT_EQ(ReadFileBytes(File("prefs")), older + "SP-MainSplitter:150,500,120\r\n");
    // A splitter this window does not have and garbled sizes are passed over.
    for (const char* bad : {"SP-GoneSplitter:1,2", "SP-TopSplitter:x", "SP-TopSplitter:1,-2", "SP-:1"})
        WriteFileBytes(File("prefs"), ReadFileBytes(File("prefs")) + bad + "\r\n");
    OpenForm();
    frm->Session().LoadPrefs();
    EXPECT_EQ(frm->Session().MainSplitter.Sizes(), (std::vector<int>{150, 500, 120}));
    EXPECT_TRUE(frm->Session().TopSplitter.Sizes().empty());
}

// The spending limits and prices the command line reads have no dialog in the window yet;
// a save of the window's own settings must not drop them (a limit lost is money spent).
TEST_F(PaneSizesTest, SpendingLinesSurviveTheWindowsSaveOnceEach) {
    StartWindow(SmallCorpus(), false);
    const std::string spending = "LD-25.00\r\nLM-300.00\r\nPU-0.02\r\n";
    WriteFileBytes(File("prefs"), "LA-en\r\n" + spending);
    frm->Session().LoadPrefs();
    frm->Session().LoadPrefs();  // read twice, as the credentials dialog may
    ASSERT_TRUE(frm->Session().SavePrefs());
    const std::string saved = ReadFileBytes(File("prefs"));
    EXPECT_NE(saved.find("\r\n" + spending), std::string::npos) << saved;
    EXPECT_EQ(saved.find("LD-"), saved.rfind("LD-"));
}

}  // namespace
}  // namespace marlin::testing
