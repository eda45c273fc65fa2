#include "platform/timer.h"

namespace marlin {

void Timer::SetInterval(int milliseconds) {
    if (m_interval == milliseconds) return;
    m_interval = milliseconds;
    Notify(ChangeKind::Properties);
}

void Timer::Tick() {
    if (Enabled() && m_tick) m_tick();
}

}  // namespace marlin
