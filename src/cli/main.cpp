// The command-line program: a capture, an update or an export without a window, for
// servers and schedulers. It links the capture engine, the tables and the exports, and no
// window toolkit, so it runs where none is installed.
#include <iostream>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "platform/process_signals.h"
#include "platform/program_folder.h"
#include "workspace/headless/headless_main.h"

int main(int argc, char** argv) {
    marlin::ProcessSignals::IgnoreFileSizeLimit();
    const marlin::ProgramFolder folder = marlin::ProgramFolder::OfThisProgram();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!arguments.empty() && arguments[0] == "--version") {
        std::cout << marlin::CommandLine::VersionText(MARLIN_VERSION, folder);
        return 0;
    }
    return marlin::HeadlessMain::Run(arguments, folder);
}
