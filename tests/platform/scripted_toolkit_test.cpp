#include "platform/testing/scripted_toolkit.h"

#include <gtest/gtest.h>

namespace marlin::testing {

TEST(ScriptedToolkitTest, AnswersFromQueuesThenDefaultsAndRecordsEverything) {
    ScriptedToolkit kit;
    kit.messageAnswers = {MsgResult::No};
    Toolkit& toolkit = kit;
    EXPECT_EQ(toolkit.MessageBox("first?", MsgButtons::YesNo), MsgResult::No);
    EXPECT_EQ(toolkit.MessageBox("second?", "Title", MsgButtons::YesNoCancel, MsgIcon::Exclamation),
              MsgResult::Yes);
    EXPECT_EQ(toolkit.MessageBox("third", MsgButtons::OKCancel), MsgResult::OK);
    ASSERT_EQ(kit.messages.size(), 3u);
    EXPECT_EQ(kit.messages[0].title, kApplicationTitle);
    EXPECT_EQ(kit.messages[1].title, "Title");
    EXPECT_EQ(kit.messages[1].icon, MsgIcon::Exclamation);

    kit.promptAnswers = {"answer"};
    EXPECT_EQ(toolkit.InputBox("p", "t", "d"), "answer");
    EXPECT_EQ(toolkit.InputBox("p", "t", "d"), "");  // cancelled

    kit.fileDialogAnswers = {std::string("/tmp/x.txt")};
    EXPECT_EQ(toolkit.SaveFileDialog({}), std::optional<std::string>("/tmp/x.txt"));
    EXPECT_FALSE(toolkit.OpenFileDialog({}).has_value());
}

TEST(ScriptedToolkitTest, DoEventsRunsTheHookSoATestCanActMidway) {
    ScriptedToolkit kit;
    int pressed = 0;
    kit.onDoEvents = [&] { ++pressed; };
    kit.DoEvents();
    kit.DoEvents();
    EXPECT_EQ(pressed, 2);
    EXPECT_EQ(kit.doEventsCount, 2);
}

}  // namespace marlin::testing
