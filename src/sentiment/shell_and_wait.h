#pragma once

#include <string>
#include <vector>

#include "sentiment/process_host.h"

namespace marlin {

// Result codes of ShellAndWait; the numbers are the ones callers have always compared with.
enum class ShellResult : int {
    Ended = 0,        // the program ended (or the wait itself failed)
    NotStarted = 1,   // the program could not be started
    TimedOut = 2,     // the time limit passed first; the program is left running
    BadArgument = 3,  // blank command line, negative time limit, bad style or break-key option
    Abandoned = 4,    // the program did not run to its own end: a signal killed it
};

// What happened to the started program, for callers that want to say why a run failed.
struct ShellReport {
    int pid = 0;          // process id of the started program, 0 when nothing was started
    int exitCode = -1;    // the program's exit code when it ended by itself
    int signal = 0;       // the signal that ended it, when one did
    std::string message;  // a readable account of a result other than a normal end
};

// Window styles of the classic program start: 0 hidden, 1 normal with focus, 2 minimised with
// focus, 3 maximised, 4 normal without focus, 6 minimised without focus. They are checked but
// have no effect here: the programs we start open their own windows, if any.
bool IsValidWindowStyle(int windowStyle);

// Splits a command line into program and arguments at blanks; double quotes group a piece
// that holds blanks and are themselves dropped.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Puts a path argument in double quotes so a folder name with blanks stays one argument.
std::string QuoteArgument(const std::string& argument);

// Starts the command line (the program is looked up on PATH) and waits for it in 500 ms steps,
// letting the host's events run between steps. A time limit of 0 waits for ever; otherwise the wait
// gives up at the first multiple of 500 ms above the limit. The break-key option must be 0, 1
// or 2 and has no further effect.
ShellResult ShellAndWait(ProcessHost& host, const std::string& commandLine, long long timeoutMilliseconds,
                         int windowStyle, int breakKeyOption, ShellReport* report = nullptr);

// Ends a program that ShellAndWait left running (it runs in a process group of its own, so
// anything it started goes too) and collects its exit. Safe on a program that already ended.
void TerminateProgram(int pid);

}  // namespace marlin
