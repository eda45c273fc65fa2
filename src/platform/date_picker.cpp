#include "platform/date_picker.h"

#include <ctime>

namespace marlin {
namespace {

std::chrono::year_month_day LocalToday() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return std::chrono::year_month_day{std::chrono::year{local.tm_year + 1900},
                                       std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
                                       std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
}

std::chrono::year_month_day Clamp(std::chrono::year_month_day date) {
    using days = std::chrono::sys_days;
    if (days{date} < days{DatePicker::kMinDate}) return DatePicker::kMinDate;
    if (days{date} > days{DatePicker::kMaxDate}) return DatePicker::kMaxDate;
    return date;
}

}  // namespace

DatePicker::DatePicker() : m_value(Clamp(LocalToday())) {}

bool DatePicker::SetValue(std::chrono::year_month_day date) {
    if (!date.ok()) return false;
    date = Clamp(date);
    if (date == m_value) return true;
    m_value = date;
    Notify(ChangeKind::Properties);
    if (m_change) m_change();
    return true;
}

bool DatePicker::SetValue(int year, unsigned month, unsigned day) {
    return SetValue(std::chrono::year_month_day{std::chrono::year{year}, std::chrono::month{month},
                                                std::chrono::day{day}});
}

}  // namespace marlin
