#include "platform/qt/qt_timer.h"

namespace marlin {

QtTimer::QtTimer(Timer& timer, QObject* parent) : QObject(parent), m_timer(timer) {
    connect(&m_qtimer, &QTimer::timeout, this, [this] {
        if (ModelAlive()) m_timer.Tick();
    });
    m_subscription = m_timer.Subscribe([this](const ModelChange&) { Apply(); });
    Apply();
}

void QtTimer::Apply() {
    m_qtimer.setInterval(m_timer.Interval());
    if (m_timer.Enabled() && !m_qtimer.isActive()) m_qtimer.start();
    if (!m_timer.Enabled()) m_qtimer.stop();
}

}  // namespace marlin
