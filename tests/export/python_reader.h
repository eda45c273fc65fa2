#pragma once

// Reads an exported file back with the Python libraries researchers open it with (the
// Debian packages, hence the system python3, where networkx, pandas and openpyxl are
// installed): the script's output and errors, one string a line.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace marlin::testing {

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

// One module, or several as "a, b".
inline bool HavePythonModule(const std::string& module) {
    return std::system(("/usr/bin/python3 -c 'import " + module + "' >/dev/null 2>&1").c_str()) == 0;
}

inline std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
}

// A text as json.dumps(..., ensure_ascii=False) writes it, for comparing with what a
// script printed.
inline std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out + "\"";
}

}  // namespace marlin::testing
