#include "sentiment/shell_and_wait.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

namespace marlin {

namespace {

constexpr int kStepMilliseconds = 500;
// A step is slept in slices so that a program that ends early is seen early, as a step of the
// classic wait returns as soon as the process ends.
constexpr int kSliceMilliseconds = 10;

bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
}

bool IsBlankText(const std::string& text) {
    for (char ch : text)
        if (!IsBlank(ch)) return false;
    return true;
}

ShellResult Finish(ShellReport* report, ShellResult result, std::string message) {
    if (report) report->message = std::move(message);
    return result;
}

// Starts the program in a process group of its own, reading from /dev/null, with the signals
// we may ignore ourselves (SIGPIPE under libcurl) back at their defaults.
int Spawn(const std::vector<std::string>& arguments, pid_t& pid) {
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults, empty;
    sigemptyset(&empty);
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGINT, SIGTERM, SIGCHLD, SIGHUP}) sigaddset(&defaults, sig);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &empty);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

    int error = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return error;
}

enum class StepOutcome { Running, Ended, WaitFailed };

// One step of the wait: up to 500 ms, ending early when the program does.
StepOutcome WaitStep(ProcessHost& host, pid_t pid, int& status) {
    for (int slept = 0;; slept += kSliceMilliseconds) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return StepOutcome::Ended;
        if (done < 0 && errno != EINTR) return StepOutcome::WaitFailed;
        if (slept >= kStepMilliseconds) return StepOutcome::Running;
        host.Pause(kSliceMilliseconds);
    }
}

ShellResult Ended(ShellReport* report, const std::string& program, int status) {
    if (WIFSIGNALED(status)) {
        int sig = WTERMSIG(status);
        if (report) report->signal = sig;
        return Finish(
            report, ShellResult::Abandoned,
            "\"" + program + "\" was ended by signal " + std::to_string(sig) + " (" + strsignal(sig) + ")");
    }
    if (report && WIFEXITED(status)) report->exitCode = WEXITSTATUS(status);
    return Finish(report, ShellResult::Ended, {});
}

}  // namespace

bool IsValidWindowStyle(int windowStyle) {
    return (windowStyle >= 0 && windowStyle <= 4) || windowStyle == 6;
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> pieces;
    std::string piece;
    bool inPiece = false;
    bool inQuotes = false;
    for (char ch : commandLine) {
        if (ch == '"') {
            inQuotes = !inQuotes;
            inPiece = true;  // "" is an argument of its own, an empty one
        } else if (!inQuotes && IsBlank(ch)) {
            if (inPiece) pieces.push_back(std::move(piece));
            piece.clear();
            inPiece = false;
        } else {
            piece += ch;
            inPiece = true;
        }
    }
    if (inPiece) pieces.push_back(std::move(piece));
    return pieces;
}

std::string QuoteArgument(const std::string& argument) {
    return "\"" + argument + "\"";
}

ShellResult ShellAndWait(ProcessHost& host, const std::string& commandLine, long long timeoutMilliseconds,
                         int windowStyle, int breakKeyOption, ShellReport* report) {
    if (report) *report = ShellReport{};
    if (IsBlankText(commandLine))
        return Finish(report, ShellResult::BadArgument, "the command line is blank");
    if (timeoutMilliseconds < 0)
        return Finish(report, ShellResult::BadArgument, "the time limit is negative");
    if (breakKeyOption < 0 || breakKeyOption > 2)
        return Finish(report, ShellResult::BadArgument, "the break-key option is not 0, 1 or 2");
    if (!IsValidWindowStyle(windowStyle))
        return Finish(report, ShellResult::BadArgument, "the window style is not 0 to 4 or 6");

    const std::vector<std::string> arguments = SplitCommandLine(commandLine);
    const std::string& program = arguments.front();
    pid_t pid = 0;
    if (int error = Spawn(arguments, pid); error != 0 || pid <= 0)
        return Finish(report, ShellResult::NotStarted,
                      "could not start \"" + program + "\": " + std::strerror(error ? error : ESRCH));
    if (report) report->pid = pid;

    long long elapsed = 0;
    for (;;) {
        int status = 0;
        switch (WaitStep(host, pid, status)) {
            case StepOutcome::Ended:
                return Ended(report, program, status);
            case StepOutcome::WaitFailed:
                // Someone else collected the program (SIGCHLD ignored): it has ended all the same.
                return Finish(report, ShellResult::Ended,
                              std::string("the wait failed: ") + std::strerror(errno));
            case StepOutcome::Running:
                break;
        }
        host.LetEventsRun();
        elapsed += kStepMilliseconds;
        if (timeoutMilliseconds > 0 && elapsed > timeoutMilliseconds)
            return Finish(report, ShellResult::TimedOut,
                          "\"" + program + "\" was still running after " + std::to_string(elapsed) + " ms");
    }
}

void TerminateProgram(int pid) {
    if (pid <= 0) return;
    if (kill(-pid, SIGTERM) != 0) kill(pid, SIGTERM);
    // A short grace period to let it clean up, then no more waiting.
    for (int i = 0; i < 100; ++i) {
        int status = 0;
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) {
            kill(-pid, SIGKILL);  // whatever it started and left behind in its group
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (kill(-pid, SIGKILL) != 0) kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace marlin
