#include "workspace/ui/spending_bars.h"

#include <QPainter>

#include "platform/qt/qt_text.h"

namespace marlin {

SpendingBars::SpendingBars(QWidget* parent) : QWidget(parent) {
    setObjectName("SpendingBars");
    setMinimumHeight(fontMetrics().height() * 6);
}

void SpendingBars::Show(const SpendingOverview& overview) {
    m_overview = overview;
    update();
}

void SpendingBars::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int label = fontMetrics().height();
    const QRect area = rect().adjusted(4, label + 4, -4, -label - 4);
    const auto& rows = m_overview.rows;
    if (!rows.empty()) {
        const double slot = static_cast<double>(area.width()) / static_cast<double>(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const int height = static_cast<int>(m_overview.Share(rows[i].spent) * area.height());
            const int left = area.left() + static_cast<int>(slot * static_cast<double>(i));
            const QRect bar(left + 2, area.bottom() - height, std::max(1, static_cast<int>(slot) - 4),
                            height);
            const bool over = m_overview.limit && rows[i].spent > *m_overview.limit;
            painter.fillRect(bar, over ? QColor(192, 57, 43) : palette().color(QPalette::Highlight));
            painter.drawText(QRect(left, area.bottom() + 2, static_cast<int>(slot), label), Qt::AlignCenter,
                             ToQt(rows[i].period.substr(rows[i].period.size() > 7 ? 8 : 0)));
        }
    }
    if (m_overview.limit) {
        const int y = area.bottom() - static_cast<int>(m_overview.Share(*m_overview.limit) * area.height());
        painter.setPen(QPen(Qt::red, 2, Qt::DashLine));
        painter.drawLine(area.left(), y, area.right(), y);
        painter.drawText(QRect(area.left(), y - label - 2, area.width(), label), Qt::AlignRight,
                         ToQt(m_overview.LimitText()));
    }
}

}  // namespace marlin
