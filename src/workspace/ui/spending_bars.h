#pragma once

#include <QWidget>

#include "workspace/costs/spending_overview.h"

namespace marlin {

// The bars of Tools › "Spending…": one a row of the overview, as high as its share of the
// scale, and the limit as a line across them.
class SpendingBars : public QWidget {
    Q_OBJECT

  public:
    explicit SpendingBars(QWidget* parent = nullptr);
    void Show(const SpendingOverview& overview);
    QSize sizeHint() const override { return {360, 160}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    SpendingOverview m_overview;
};

}  // namespace marlin
