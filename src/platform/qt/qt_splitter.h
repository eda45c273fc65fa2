#pragma once

#include <QSplitter>

#include "platform/qt/qt_control.h"
#include "platform/splitter.h"

namespace marlin {

// Binds a Splitter to a QSplitter: a handle the user drags gives the model the new
// sizes, and sizes the program sets (one per pane) are shown. Sizes for another number
// of panes are left alone, as are the widget's own sizes while the model has none.
class QtSplitter : public QtControl {
    Q_OBJECT

  public:
    QtSplitter(Splitter& splitter, QSplitter* widget);

    // Shows the model's sizes again, as after the window was first laid out.
    void Apply();

  protected:
    void OnChange(const ModelChange& change) override;

  private:
    Splitter& m_splitter;
    QSplitter* m_widget;
    bool m_applying = false;
};

}  // namespace marlin
