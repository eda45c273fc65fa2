#pragma once

#include <QDate>
#include <QDateEdit>

#include "platform/date_picker.h"
#include "platform/qt/qt_control.h"

namespace marlin {

// Binds a DatePicker to a QDateEdit limited to the picker's range, with a calendar
// popup and the day/month/year order of the program's short date.
class QtDatePicker : public QtControl {
    Q_OBJECT

  public:
    QtDatePicker(DatePicker& picker, QDateEdit* widget);

    static QDate ToQDate(std::chrono::year_month_day date);

  protected:
    void OnChange(const ModelChange& change) override;

  private:
    void ApplyDate();

    DatePicker& m_picker;
    QDateEdit* m_widget;
    bool m_applying = false;
};

}  // namespace marlin
