#pragma once

#include <chrono>
#include <functional>

#include "platform/control_model.h"

namespace marlin {

// A date picker whose date stays within 1 January 2006 to 31 December 2030.
class DatePicker : public ControlModel {
  public:
    static constexpr std::chrono::year_month_day kMinDate{std::chrono::year{2006}, std::chrono::January,
                                                          std::chrono::day{1}};
    static constexpr std::chrono::year_month_day kMaxDate{std::chrono::year{2030}, std::chrono::December,
                                                          std::chrono::day{31}};

    DatePicker();

    std::chrono::year_month_day Value() const { return m_value; }
    // A date outside the range is moved to its nearer end; an impossible date (30
    // February) changes nothing and returns false.
    bool SetValue(std::chrono::year_month_day date);
    bool SetValue(int year, unsigned month, unsigned day);

    // Any change of the date, by the user or the program.
    void SetChangeAction(std::function<void()> action) { m_change = std::move(action); }

  private:
    std::chrono::year_month_day m_value;
    std::function<void()> m_change;
};

}  // namespace marlin
