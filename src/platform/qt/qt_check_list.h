#pragma once

#include <QListWidget>

#include "platform/check_list.h"
#include "platform/qt/qt_control.h"

namespace marlin {

// Binds a CheckList to a QListWidget: items with check boxes (when the list has them),
// the selected item, the bold switch. The user's check clicks, item choice and double
// click go back to the list; the right button asks for its context menu.
class QtCheckList : public QtControl {
    Q_OBJECT

  public:
    QtCheckList(CheckList& list, QListWidget* widget);

  protected:
    void OnChange(const ModelChange& change) override;

  private:
    void Rebuild();
    void ApplyItem(int index);
    void AppendItems(int first, int last);
    void ApplySelection();
    void ApplyBold();

    CheckList& m_list;
    QListWidget* m_widget;
    bool m_applying = false;
    bool m_clickMovedSelection = false;  // the press of the click being made changed the row
};

}  // namespace marlin
