#pragma once

#include <chrono>
#include <string>
#include <thread>

namespace marlin {

// What a wait for an outside program asks of whoever runs it: to let its own events run
// between the checks, to pause, and to hear of a scorer run that failed in a way the user
// must be told of. The sentiment floor opens no window: the window answers with its
// message box, the command line with a line on its error stream. The defaults do nothing
// but pause, which is all a run without a face needs.
class ProcessHost {
  public:
    virtual ~ProcessHost() = default;

    virtual void LetEventsRun() {}
    virtual void Pause(int milliseconds) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
    // "Couldn't complete Sentistrength analysis", titled "Error".
    virtual void ScorerFailed(const std::string& /*message*/, const std::string& /*title*/) {}
};

}  // namespace marlin
