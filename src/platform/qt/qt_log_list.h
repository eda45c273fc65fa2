#pragma once

#include <QListWidget>

#include "platform/log_list.h"
#include "platform/qt/qt_control.h"

namespace marlin {

// Binds a LogList to a QListWidget that keeps the newest line in sight. The right
// button asks the log for its context menu (the "Copy Log" popup).
class QtLogList : public QtControl {
    Q_OBJECT

  public:
    QtLogList(LogList& log, QListWidget* widget);

  protected:
    void OnChange(const ModelChange& change) override;

  private:
    void Rebuild();
    void ApplySelection();

    LogList& m_log;
    QListWidget* m_widget;
    bool m_applying = false;
};

}  // namespace marlin
