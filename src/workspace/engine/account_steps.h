#pragma once

#include <functional>

namespace marlin {

// What the caller of a run over several accounts does as the run turns to each of them (by
// its index in the request) and is done with it: the window's list follows the walk and its
// table shows what came. They belong to the command that runs the capture, not to whoever
// watches it, so they act whoever the watcher is.
struct AccountSteps {
    std::function<void(int index)> started;
    std::function<void(int index)> done;
};

}  // namespace marlin
