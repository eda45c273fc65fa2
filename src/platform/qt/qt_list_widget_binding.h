#pragma once

#include <QListWidget>

#include "platform/qt/qt_control.h"

namespace marlin {

// What the bindings of a list model to a QListWidget share: one selected row that
// follows the model both ways, and the model's row changes handed to the list's own
// hooks. While the binding writes to the widget, the widget's signals are not taken
// for the user's.
class QtListWidgetBinding : public QtControl {
    Q_OBJECT

  public:
    QtListWidgetBinding(ControlModel& model, QListWidget* widget);

  protected:
    void OnChange(const ModelChange& change) override;

    virtual int ModelCount() const = 0;
    virtual int ModelSelectedIndex() const = 0;
    // The user made this row current.
    virtual void UserChoseRow(int row) = 0;
    virtual void Rebuild() = 0;
    virtual void InsertRows(int first, int last) = 0;
    virtual void ApplyRow(int row) = 0;
    // A change other than rows and selection (scrolling, properties).
    virtual void ApplyOther(ChangeKind) {}

    void ApplySelection();

    QListWidget* m_widget;
    bool m_applying = false;
};

}  // namespace marlin
