#pragma once

#include <string>
#include <vector>

#include "platform/program_folder.h"

namespace marlin {

// The command line as a program runs it: the help, the program folder, SIGINT and SIGTERM
// asking the run to stop and save what it has, the console, the service named by
// MARLIN_API_BASE. `marlin-skimmer --headless …` and the command-line program both end here,
// so the two answer alike.
class HeadlessMain {
  public:
    // arguments: the command and its options; the exit code of the run.
    static int Run(const std::vector<std::string>& arguments, const ProgramFolder& folder);
};

}  // namespace marlin
