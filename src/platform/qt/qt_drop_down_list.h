#pragma once

#include <QComboBox>

#include "platform/drop_down_list.h"
#include "platform/qt/qt_control.h"

namespace marlin {

// Binds a DropDownList to a QComboBox. The user's choice, even of the entry already
// shown, goes to the list's SetSelectedIndex and so runs its open action.
class QtDropDownList : public QtControl {
    Q_OBJECT

  public:
    QtDropDownList(DropDownList& list, QComboBox* combo);

  protected:
    void OnChange(const ModelChange& change) override;

  private:
    void Rebuild();
    void ApplySelection();

    DropDownList& m_list;
    QComboBox* m_combo;
    bool m_applying = false;
};

}  // namespace marlin
