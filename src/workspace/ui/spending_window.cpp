#include "workspace/ui/spending_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/qt/qt_text.h"
#include "workspace/ui/spending_bars.h"

namespace marlin {

SpendingWindow::SpendingWindow(SpendingCommands& commands, QWidget* parent)
    : QDialog(parent),
      m_commands(commands),
      m_period(new QComboBox(this)),
      m_table(new QTableWidget(this)),
      m_bars(new SpendingBars(this)),
      m_problem(new QLabel(this)),
      m_usage(new QLabel(this)) {
    setObjectName("SpendingWindow");
    setWindowTitle(ToQt(SpendingCommands::kSpendingTitle));
    m_period->setObjectName("SpendingPeriod");
    m_table->setObjectName("SpendingTable");
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->verticalHeader()->setVisible(false);
    m_problem->setObjectName("SpendingProblem");
    m_usage->setObjectName("SpendingUsage");
    m_usage->setWordWrap(true);
    m_usage->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(m_period, &QComboBox::currentIndexChanged, this, [this] { ShowPeriod(); });

    auto* compare = new QPushButton(tr("Compare with the Service"), this);
    compare->setObjectName("SpendingCompare");
    compare->setAutoDefault(false);
    compare->setToolTip(
        tr("Ask the service for its own count of today's posts and hold it against the ledger"));
    connect(compare, &QPushButton::clicked, this,
            [this] { m_usage->setText(ToQt(m_commands.CompareUsage_Click())); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);

    auto* top = new QHBoxLayout;
    top->addWidget(m_period);
    top->addStretch(1);
    top->addWidget(compare);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_bars, 1);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_problem);
    layout->addWidget(m_usage);
    layout->addWidget(buttons);
}

void SpendingWindow::Open() {
    const QSignalBlocker quiet(m_period);
    m_period->clear();
    m_period->addItem(tr("By month"));
    for (const std::string& month : m_commands.Months())
        m_period->addItem(tr("Days of %1").arg(ToQt(month)), ToQt(month));
    m_period->setCurrentIndex(1);
    ShowPeriod();
    show();
    raise();
    activateWindow();
}

void SpendingWindow::ShowPeriod() {
    const QString month = m_period->currentData().toString();
    const SpendingOverview overview =
        m_commands.Overview(month.isEmpty() ? std::nullopt : std::optional<std::string>(FromQt(month)));
    m_table->clear();
    m_table->setColumnCount(static_cast<int>(overview.columns.size()));
    m_table->setRowCount(static_cast<int>(overview.rows.size()));
    QStringList headers;
    for (const std::string& column : overview.columns) headers << ToQt(column);
    m_table->setHorizontalHeaderLabels(headers);
    for (int r = 0; r < m_table->rowCount(); ++r) {
        const auto& cells = overview.rows[static_cast<std::size_t>(r)].cells;
        for (int c = 0; c < m_table->columnCount(); ++c) {
            auto* item = new QTableWidgetItem(ToQt(cells[static_cast<std::size_t>(c)]));
            if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(r, c, item);
        }
    }
    m_table->resizeColumnsToContents();
    m_bars->Show(overview);
    m_problem->setText(ToQt(overview.problem.empty() ? overview.LimitText() : overview.problem));
}

}  // namespace marlin
