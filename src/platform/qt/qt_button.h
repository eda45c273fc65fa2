#pragma once

#include <QAbstractButton>

#include "platform/button.h"
#include "platform/qt/qt_control.h"

namespace marlin {

// Binds a Button to a QPushButton (any QAbstractButton): caption, enabled, and the
// click, press and release of the user.
class QtButton : public QtControl {
    Q_OBJECT

  public:
    QtButton(Button& button, QAbstractButton* widget);

  protected:
    void OnChange(const ModelChange& change) override;

  private:
    Button& m_button;
    QAbstractButton* m_widget;
};

}  // namespace marlin
