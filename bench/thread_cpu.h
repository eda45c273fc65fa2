#pragma once

#include <ctime>

// Processor time of the calling thread: the machine is shared, and wall time would measure
// the other programs running beside the benchmark, and an in-process emulator's threads, too.
inline double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
