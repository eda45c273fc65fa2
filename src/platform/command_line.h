#pragma once

#include <string>
#include <vector>

#include "platform/program_folder.h"

namespace marlin {

// What the program is asked to do by its arguments, decided before any window toolkit
// exists, so that answering needs no display.
//
// Only the program's own options are taken; every other argument is left for the toolkit
// (Qt's "-platform offscreen", "-style fusion" and the like), which ignores what it does not
// know either.
class CommandLine {
  public:
    enum class Action { OpenWindow, PrintVersion, PrintHelp, RunHeadless };

    // arguments: without the program name. The first option of the program's own decides.
    explicit CommandLine(const std::vector<std::string>& arguments);
    static CommandLine FromMain(int argc, const char* const* argv);

    Action Requested() const { return m_action; }
    // The arguments after "--headless": the command and its options.
    const std::vector<std::string>& HeadlessArguments() const { return m_headless; }

    // The answers of the print actions, each ending in a line feed.
    static std::string VersionText(const std::string& version, const ProgramFolder& folder);
    static std::string HelpText();

  private:
    Action m_action = Action::OpenWindow;
    std::vector<std::string> m_headless;
};

}  // namespace marlin
