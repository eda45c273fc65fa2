#include "workspace/engine/capture_events.h"

#include <chrono>
#include <thread>

namespace marlin {

void CaptureEvents::Pause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace marlin
