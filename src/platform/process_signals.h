#pragma once

namespace marlin {

// Signal settings every run of the program needs, whatever opens it (the window or a
// run without one).
class ProcessSignals {
  public:
    // A file-size limit (ulimit -f) would otherwise end the program with SIGXFSZ in the
    // middle of a save, taking the unsaved table with it. Ignored, the write fails with
    // EFBIG and the save reports it like any other write error.
    static void IgnoreFileSizeLimit();
};

}  // namespace marlin
