#pragma once

#include <QLabel>

#include "platform/change_notifier.h"
#include "platform/log_list.h"

namespace marlin {

// The request log's newest line in the status bar, for when the log's tab is not on show:
// cut to the room it has (the whole line in its tooltip and in the log).
class LatestLogLine : public QLabel {
    Q_OBJECT

  public:
    LatestLogLine(LogList& log, QWidget* parent);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;
    // The newest line whole.
    const QString& Line() const { return m_line; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Take();
    void Fit();

    LogList& m_log;
    Subscription m_subscription;
    QString m_line;
};

}  // namespace marlin
