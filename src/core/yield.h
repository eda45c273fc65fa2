#pragma once

#include <functional>
#include <utility>

namespace marlin {

// How long work in the core lets its owner's events run at the points where a window
// would otherwise freeze (per object read, per escape replaced). The owner installs what
// that means: the window's event loop, or nothing for a run without one.
class Yield {
  public:
    Yield() = default;
    Yield(std::function<void()> letEventsRun) : m_letEventsRun(std::move(letEventsRun)) {}

    void operator()() const {
        if (m_letEventsRun) m_letEventsRun();
    }

  private:
    std::function<void()> m_letEventsRun;
};

}  // namespace marlin
