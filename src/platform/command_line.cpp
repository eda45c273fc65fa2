#include "platform/command_line.h"

#include <algorithm>

#include "platform/toolkit.h"

namespace marlin {

namespace {

struct Option {
    const char* name;
    CommandLine::Action action;
    const char* help;
};

constexpr Option kOptions[] = {
    {"--version", CommandLine::Action::PrintVersion, "print the version and the program folder in use"},
    {"--help", CommandLine::Action::PrintHelp, "print this help"},
    {"--headless", CommandLine::Action::RunHeadless,
     "COMMAND ...: capture without a window (--headless --help lists the commands)"},
    {"-h", CommandLine::Action::PrintHelp, nullptr},
};

}  // namespace

CommandLine::CommandLine(const std::vector<std::string>& arguments) {
    for (auto argument = arguments.begin(); argument != arguments.end(); ++argument) {
        for (const Option& option : kOptions) {
            if (*argument != option.name) continue;
            m_action = option.action;
            // Everything after it belongs to the headless command, its own --help included.
            if (m_action == Action::RunHeadless) m_headless.assign(argument + 1, arguments.end());
            return;
        }
    }
}

CommandLine CommandLine::FromMain(int argc, const char* const* argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    return CommandLine(arguments);
}

std::string CommandLine::VersionText(const std::string& version, const ProgramFolder& folder) {
    const std::filesystem::path scorer =
        ProgramFolder::FindScorer(folder.Path(), folder.InstalledDataFolder());
    const std::string scorerText =
        ProgramFolder::HoldsScorer(scorer)
            ? (scorer / "bin" / "support.dll").string()
            : "none (bin/support.dll and SentiStrengthData/ go in the program folder)";
    return std::string(kApplicationTitle) + " " + version + "\nProgram folder: " + folder.Path().string() +
           "\nSentiment scorer: " + scorerText + "\n";
}

std::string CommandLine::HelpText() {
    std::string text =
        "Usage: marlin-skimmer [option]\n"
        "       marlin-skimmer --headless COMMAND ...\n"
        "Captures Twitter REST API v1.1 data for social-science research. Without an option it\n"
        "opens the main window.\n\n";
    for (const Option& option : kOptions) {
        if (!option.help) continue;
        std::string name = option.name;
        name.resize(std::max<std::size_t>(name.size() + 2, 13), ' ');
        text += "  " + name + option.help + "\n";
    }
    text +=
        "\nThe program folder (prefs, appcred, the scorer's files) is the folder of the program\n"
        "file when it is writable, otherwise $XDG_DATA_HOME/marlin-skimmer\n"
        "(~/.local/share/marlin-skimmer). MARLIN_API_BASE names another service address\n"
        "(scheme, host and port), such as a local stand-in.\n";
    return text;
}

}  // namespace marlin
