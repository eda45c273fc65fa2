#pragma once

#include <QListWidget>

#include "platform/check_list.h"
#include "platform/qt/qt_list_widget_binding.h"

namespace marlin {

// Binds a CheckList to a QListWidget: items with check boxes (when the list has them),
// the selected item, the bold switch. The user's check clicks, item choice and double
// click go back to the list; the right button asks for its context menu.
class QtCheckList : public QtListWidgetBinding {
    Q_OBJECT

  public:
    QtCheckList(CheckList& list, QListWidget* widget);

  protected:
    int ModelCount() const override { return m_list.Count(); }
    int ModelSelectedIndex() const override { return m_list.SelectedIndex(); }
    void UserChoseRow(int row) override;
    void Rebuild() override;
    void InsertRows(int first, int last) override;
    void ApplyRow(int row) override;
    void ApplyOther(ChangeKind kind) override;

  private:
    void ApplyBold();

    CheckList& m_list;
    bool m_clickMovedSelection = false;  // the press of the click being made changed the row
};

}  // namespace marlin
