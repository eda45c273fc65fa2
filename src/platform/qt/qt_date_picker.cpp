#include "platform/qt/qt_date_picker.h"

#include <QScopedValueRollback>

namespace marlin {

QtDatePicker::QtDatePicker(DatePicker& picker, QDateEdit* widget)
    : QtControl(picker, widget), m_picker(picker), m_widget(widget) {
    m_widget->setDateRange(ToQDate(DatePicker::kMinDate), ToQDate(DatePicker::kMaxDate));
    m_widget->setCalendarPopup(true);
    m_widget->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    connect(m_widget, &QDateEdit::dateChanged, this, [this](QDate date) {
        if (m_applying || !ModelAlive() || !date.isValid()) return;
        QScopedValueRollback<bool> guard(m_applying, true);
        m_picker.SetValue(date.year(), static_cast<unsigned>(date.month()),
                          static_cast<unsigned>(date.day()));
    });
    ApplyDate();
}

QDate QtDatePicker::ToQDate(std::chrono::year_month_day date) {
    return QDate(static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
                 static_cast<int>(static_cast<unsigned>(date.day())));
}

void QtDatePicker::OnChange(const ModelChange& change) {
    QtControl::OnChange(change);
    if (change.kind == ChangeKind::Properties || change.kind == ChangeKind::Reset) ApplyDate();
}

void QtDatePicker::ApplyDate() {
    if (m_applying) return;
    QScopedValueRollback<bool> guard(m_applying, true);
    const QDate date = ToQDate(m_picker.Value());
    if (m_widget->date() != date) m_widget->setDate(date);
}

}  // namespace marlin
