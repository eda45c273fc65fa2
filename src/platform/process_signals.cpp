#include "platform/process_signals.h"

#include <csignal>

namespace marlin {

void ProcessSignals::IgnoreFileSizeLimit() {
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace marlin
