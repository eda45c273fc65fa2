#pragma once

#include <QWidget>

#include "platform/label.h"
#include "platform/qt/qt_control.h"

namespace marlin {

// Binds a Label model to a window: its caption is the window title, and disabling it
// blocks every command in the window until it is enabled again. Binding neither shows
// nor hides the window.
class QtWindow : public QtControl {
    Q_OBJECT

  public:
    QtWindow(Label& window, QWidget* widget);

  protected:
    void OnChange(const ModelChange& change) override;

  private:
    Label& m_window;
};

}  // namespace marlin
