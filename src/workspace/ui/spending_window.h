#pragma once

#include <QDialog>

#include "workspace/costs/spending_commands.h"

class QComboBox;
class QLabel;
class QTableWidget;

namespace marlin {

class SpendingBars;

// Tools › "Spending…": the ledger per day of a month or per month, as a table and as bars
// with the limit drawn, and the service's own count of today's posts on demand.
class SpendingWindow : public QDialog {
    Q_OBJECT

  public:
    SpendingWindow(SpendingCommands& commands, QWidget* parent);
    // Reads the ledger again and shows it.
    void Open();

  private:
    void ShowPeriod();

    SpendingCommands& m_commands;
    QComboBox* m_period;
    QTableWidget* m_table;
    SpendingBars* m_bars;
    QLabel* m_problem;
    QLabel* m_usage;
};

}  // namespace marlin
