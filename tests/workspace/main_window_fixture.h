#pragma once

#include "window_harness.h"

namespace marlin::testing {

// The main window against the emulator on loopback, in a program folder of its own that
// holds the scorer stand-in, with the scripted toolkit answering its questions.
class MainWindowTest : public WindowHarness {
  protected:
    // Search requests the emulator has answered.
    int SearchRequests() const { return CountRequests("/1.1/search/tweets.json"); }
};

}  // namespace marlin::testing
