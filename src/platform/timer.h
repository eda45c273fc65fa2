#pragma once

#include <functional>

#include "platform/control_model.h"

namespace marlin {

// A periodic timer that fires between other events while it is enabled (the Enabled
// switch of the base). Views drive it with a real timer; tests call Tick.
class Timer : public ControlModel {
  public:
    explicit Timer(int intervalMilliseconds = 1000) : m_interval(intervalMilliseconds) {}

    int Interval() const { return m_interval; }
    void SetInterval(int milliseconds);

    void SetTickAction(std::function<void()> action) { m_tick = std::move(action); }
    // Runs the action when enabled.
    void Tick();

  private:
    int m_interval;
    std::function<void()> m_tick;
};

}  // namespace marlin
