#pragma once

#include <QLabel>
#include <QProgressBar>

#include "platform/progress_bar.h"
#include "platform/qt/qt_control.h"

namespace marlin {

// Binds a ProgressBar to a container widget (for the status bar) that it fills with a
// QProgressBar ("<name>Bar") and the rate label ("<name>Rate").
class QtProgressBar : public QtControl {
    Q_OBJECT

  public:
    QtProgressBar(ProgressBar& model, QWidget* container);

    QProgressBar* bar() const { return m_bar; }
    QLabel* rate() const { return m_rate; }

  protected:
    void OnChange(const ModelChange& change) override;

  private:
    void Apply();

    ProgressBar& m_model;
    QProgressBar* m_bar;
    QLabel* m_rate;
};

}  // namespace marlin
