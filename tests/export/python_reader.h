#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace marlin::testing {

// Runs a script with Debian's python3 (where networkx, pandas and openpyxl are installed),
// the arguments given; its standard output and error as lines.
inline std::vector<std::string> RunPython(const std::string& script,
                                          const std::vector<std::string>& arguments) {
    setenv("MARLIN_PYTHON_SCRIPT", script.c_str(), 1);
    std::string command = "/usr/bin/python3 -c \"$MARLIN_PYTHON_SCRIPT\"";
    for (const std::string& argument : arguments) command += " '" + argument + "'";
    command += " 2>&1";
    std::vector<std::string> lines;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    while (pipe && fgets(buffer, sizeof buffer, pipe)) {
        lines.emplace_back(buffer);
        if (!lines.back().empty() && lines.back().back() == '\n') lines.back().pop_back();
    }
    if (pipe) pclose(pipe);
    return lines;
}

inline bool HavePythonModules(const std::string& modules) {
    return std::system(("/usr/bin/python3 -c 'import " + modules + "' >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace marlin::testing
