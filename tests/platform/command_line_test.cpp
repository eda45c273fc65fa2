#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace marlin {
namespace {

TEST(CommandLineTest, TheFirstOwnOptionDecidesAndTheRestIsLeftToTheToolkit) {
    using Action = CommandLine::Action;
    const struct {
        std::vector<std::string> arguments;
        Action action;
    } cases[] = {
        {{}, Action::OpenWindow},
        {{"-platform", "offscreen"}, Action::OpenWindow},
        {{"--versions"}, Action::OpenWindow},
        {{"-style", "fusion", "--version"}, Action::PrintVersion},
        {{"-h"}, Action::PrintHelp},
        {{"--help", "--version"}, Action::PrintHelp},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CommandLine(c.arguments).Requested(), c.action) << c.arguments.size();
    const char* argv[] = {"--version", "--help"};  // argv[0] is the program, never an option
    EXPECT_EQ(CommandLine::FromMain(2, argv).Requested(), Action::PrintHelp);
}

}  // namespace
}  // namespace marlin
