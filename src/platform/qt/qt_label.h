#pragma once

#include <QLabel>

#include "platform/label.h"
#include "platform/qt/qt_control.h"

namespace marlin {

// Binds a Label to a QLabel: caption and text colour.
class QtLabel : public QtControl {
    Q_OBJECT

  public:
    QtLabel(Label& label, QLabel* widget);

  protected:
    void OnChange(const ModelChange& change) override;

  private:
    void Apply();

    Label& m_label;
    QLabel* m_widget;
    QPalette m_formPalette;  // the colours the form gave, for a label whose colour is cleared
};

}  // namespace marlin
