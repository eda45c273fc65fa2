#pragma once

#include <QListWidget>

#include "platform/log_list.h"
#include "platform/qt/qt_list_widget_binding.h"

namespace marlin {

// Binds a LogList to a QListWidget that keeps the newest line in sight. The right
// button asks the log for its context menu (the "Copy Log" popup).
class QtLogList : public QtListWidgetBinding {
    Q_OBJECT

  public:
    QtLogList(LogList& log, QListWidget* widget);

  protected:
    int ModelCount() const override { return m_log.Count(); }
    int ModelSelectedIndex() const override { return m_log.SelectedIndex(); }
    void UserChoseRow(int row) override { m_log.SetSelectedIndex(row); }
    void Rebuild() override;
    void InsertRows(int first, int last) override;
    void ApplyRow(int row) override;
    void ApplyOther(ChangeKind kind) override;

  private:
    LogList& m_log;
};

}  // namespace marlin
