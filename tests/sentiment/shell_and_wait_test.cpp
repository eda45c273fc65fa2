#include "sentiment/shell_and_wait.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/testing/scripted_toolkit.h"
#include "sentiment_test_support.h"
#include "toolkit_hosts.h"

namespace marlin::testing {

namespace {

using Strings = std::vector<std::string>;

TEST(SplitCommandLine, DoubleQuotesGroupPiecesWithBlanks) {
    EXPECT_EQ(SplitCommandLine("java -jar \"/a b/bin/x.dll\"  input\t\"/c d/t.txt\""),
              (Strings{"java", "-jar", "/a b/bin/x.dll", "input", "/c d/t.txt"}));
    EXPECT_EQ(SplitCommandLine("  one\"two three\"four \"\" "), (Strings{"onetwo threefour", ""}));
    EXPECT_EQ(SplitCommandLine("prog \"unclosed rest"), (Strings{"prog", "unclosed rest"}));
    EXPECT_TRUE(SplitCommandLine("   ").empty());
}

TEST(ShellAndWait, InvalidArgumentsGiveThreeWithoutStartingAnything) {
    ScriptedToolkit toolkit;
    ToolkitProcessHost host(toolkit);
    TempFolder folder;
    const std::string marker = (folder / "started").string();
    const std::string command = "touch " + QuoteArgument(marker);
    ShellReport report;

    EXPECT_EQ(ShellAndWait(host, "", 0, 0, 0, &report), ShellResult::BadArgument);
    EXPECT_EQ(ShellAndWait(host, " \t ", 0, 0, 0, &report), ShellResult::BadArgument);
    EXPECT_EQ(ShellAndWait(host, command, -1, 0, 0, &report), ShellResult::BadArgument);
    EXPECT_EQ(ShellAndWait(host, command, 0, 0, 3, &report), ShellResult::BadArgument);
    EXPECT_EQ(ShellAndWait(host, command, 0, 0, -1, &report), ShellResult::BadArgument);
    for (int style : {-1, 5, 7})
        EXPECT_EQ(ShellAndWait(host, command, 0, style, 0, &report), ShellResult::BadArgument) << style;
    EXPECT_EQ(report.pid, 0);
    EXPECT_FALSE(report.message.empty());
    EXPECT_FALSE(std::filesystem::exists(marker));
    EXPECT_EQ(toolkit.doEventsCount, 0);

    for (int style : {0, 1, 2, 3, 4, 6})
        EXPECT_EQ(ShellAndWait(host, command, 0, style, 2, &report), ShellResult::Ended) << style;
    EXPECT_TRUE(std::filesystem::exists(marker));
}

TEST(ShellAndWait, ProgramThatCannotStartGivesOneAndSaysWhy) {
    ScriptedToolkit toolkit;
    ToolkitProcessHost host(toolkit);
    ShellReport report;
    EXPECT_EQ(ShellAndWait(host, "no-such-program-marlin --help", 1000, 0, 0, &report),
              ShellResult::NotStarted);
    EXPECT_EQ(report.pid, 0);
    EXPECT_NE(report.message.find("no-such-program-marlin"), std::string::npos) << report.message;
}

TEST(ShellAndWait, EndedProgramGivesZeroWithItsExitCode) {
    ScriptedToolkit toolkit;
    ToolkitProcessHost host(toolkit);
    toolkit.realSleep = true;
    ShellReport report;
    EXPECT_EQ(ShellAndWait(host, "sh -c \"exit 3\"", 5000, 0, 0, &report), ShellResult::Ended);
    EXPECT_EQ(report.exitCode, 3);
    EXPECT_GT(report.pid, 0);
    EXPECT_FALSE(ProcessAlive(report.pid));
    // A program that ends at once is seen before the first 500 ms step is over.
    EXPECT_LT(toolkit.sleptMilliseconds, 500);
}

TEST(ShellAndWait, ArgumentsWithBlanksArriveWhole) {
    ScriptedToolkit toolkit;
    ToolkitProcessHost host(toolkit);
    TempFolder temp;
    const auto folder = temp / "Program Files";
    std::filesystem::create_directories(folder);
    WriteScript(folder / "echo args.sh", "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$1\"\n");
    const std::string out = (folder / "args out.txt").string();
    const std::string command =
        QuoteArgument((folder / "echo args.sh").string()) + " " + QuoteArgument(out) + " \"a  b\" plain";
    ASSERT_EQ(ShellAndWait(host, command, 0, 0, 0), ShellResult::Ended);
    EXPECT_EQ(ReadFileBytes(out), out + "\na  b\nplain\n");
}

TEST(ShellAndWait, GivesUpAtTheFirstStepAboveTheLimitAndLeavesTheProgramRunning) {
    ScriptedToolkit toolkit;  // steps pass without really sleeping
    ToolkitProcessHost host(toolkit);
    ShellReport report;
    EXPECT_EQ(ShellAndWait(host, "sleep 30", 2000, 0, 0, &report), ShellResult::TimedOut);
    EXPECT_EQ(toolkit.sleptMilliseconds, 2500);
    EXPECT_EQ(toolkit.doEventsCount, 5);
    EXPECT_NE(report.message.find("sleep"), std::string::npos) << report.message;
    ASSERT_GT(report.pid, 0);
    EXPECT_TRUE(ProcessAlive(report.pid));

    TerminateProgram(report.pid);
    EXPECT_FALSE(ProcessAlive(report.pid));

    toolkit.sleptMilliseconds = 0;
    EXPECT_EQ(ShellAndWait(host, "sleep 30", 20000, 0, 0, &report), ShellResult::TimedOut);
    EXPECT_EQ(toolkit.sleptMilliseconds, 20500);  // 41 steps
    TerminateProgram(report.pid);
}

TEST(ShellAndWait, ProgramKilledBySignalGivesFour) {
    ScriptedToolkit toolkit;
    ToolkitProcessHost host(toolkit);
    toolkit.realSleep = true;
    ShellReport report;
    EXPECT_EQ(ShellAndWait(host, "sh -c \"kill -9 $$\"", 5000, 0, 0, &report), ShellResult::Abandoned);
    EXPECT_EQ(report.signal, SIGKILL);
    EXPECT_NE(report.message.find("signal 9"), std::string::npos) << report.message;
}

TEST(TerminateProgram, AlsoEndsWhatTheProgramStarted) {
    ScriptedToolkit toolkit;
    ToolkitProcessHost host(toolkit);
    TempFolder temp;
    const auto pidFile = temp / "child.pid";
    WriteScript(temp / "parent.sh", "sleep 30 &\necho $! > \"$1\"\nwait\n");
    ShellReport report;
    ASSERT_EQ(ShellAndWait(
                  host, QuoteArgument((temp / "parent.sh").string()) + " " + QuoteArgument(pidFile.string()),
                  500, 0, 0, &report),
              ShellResult::TimedOut);
    // The script may not have written the pid yet when the (unslept) steps ran out.
    std::string pidText;
    for (int i = 0; i < 500 && pidText.find('\n') == std::string::npos; ++i) {
        usleep(10000);
        if (std::filesystem::exists(pidFile)) pidText = ReadFileBytes(pidFile);
    }
    const int child = std::stoi(pidText);
    EXPECT_TRUE(ProcessAlive(child));
    TerminateProgram(report.pid);
    for (int i = 0; i < 200 && ProcessAlive(child); ++i) usleep(10000);
    EXPECT_FALSE(ProcessAlive(child));
}

}  // namespace
}  // namespace marlin::testing
