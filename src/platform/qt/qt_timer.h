#pragma once

#include <QObject>
#include <QTimer>

#include "platform/timer.h"

namespace marlin {

// Drives a Timer model with a QTimer that runs while the model is enabled.
class QtTimer : public QObject {
    Q_OBJECT

  public:
    QtTimer(Timer& timer, QObject* parent);

    bool ModelAlive() const { return m_subscription.Active(); }
    QTimer* timer() { return &m_qtimer; }

  private:
    void Apply();

    Timer& m_timer;
    QTimer m_qtimer;
    Subscription m_subscription;
};

}  // namespace marlin
