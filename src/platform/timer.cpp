#include "platform/timer.h"

namespace marlin {

void Timer::SetInterval(int milliseconds) {
    SetProperty(m_interval, milliseconds);
}

void Timer::Tick() {
    if (Enabled() && m_tick) m_tick();
}

}  // namespace marlin
