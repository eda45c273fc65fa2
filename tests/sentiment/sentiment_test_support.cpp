#include "sentiment_test_support.h"

#include <sys/wait.h>

namespace marlin::testing {

bool ProcessAlive(int pid) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return false;  // our child ended: collect it
    // Someone else's child may linger as a zombie until its new parent collects it.
    std::string stat;
    try {
        stat = ReadFileBytes("/proc/" + std::to_string(pid) + "/stat");
    } catch (const std::exception&) {
        return false;
    }
    const auto close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

}  // namespace marlin::testing
