#include "platform/process_signals.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

namespace marlin {
namespace {

// In a child process: writes past a file-size limit of 4 bytes. Exits 0 when the write
// failed with EFBIG, 1 when it did not fail; a signal ends it otherwise.
int WritePastALimit(bool ignoring) {
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        if (ignoring) ProcessSignals::IgnoreFileSizeLimit();
        const rlimit limit{4, 4};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::FILE* file = std::tmpfile();
        const ssize_t written = file ? ::write(fileno(file), "0123456789", 10) : -1;
        const bool efbig = written == 4 ? ::write(fileno(file), "x", 1) < 0 && errno == EFBIG
                                        : written < 0 && errno == EFBIG;
        _exit(efbig ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

TEST(ProcessSignals, AFileSizeLimitFailsTheWriteInsteadOfEndingTheProgram) {
    const int unguarded = WritePastALimit(false);
    EXPECT_TRUE(WIFSIGNALED(unguarded) && WTERMSIG(unguarded) == SIGXFSZ);

    const int guarded = WritePastALimit(true);
    ASSERT_TRUE(WIFEXITED(guarded));
    EXPECT_EQ(WEXITSTATUS(guarded), 0);
}

}  // namespace
}  // namespace marlin
