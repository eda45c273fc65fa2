#pragma once

#include <string>
#include <vector>

#include "core/skd_funcs.h"
#include "core/user_set.h"

namespace marlin {

// The cells of a user table row made from a profile the service returned: the profile's
// own fields, the followers-to-friends ratio and the statuses per day since the account
// was made, in the number formats of the table.
class ProfileRows {
  public:
    // The profile cells of one record (positions 0 to 21; the rest empty) as of `today`.
    static std::vector<std::string> Cells(const UserSet& users, int index, const SKDFuncs::DateValue& today);

    // value with `decimals` decimals, halves rounded away from zero; empty when the
    // value is not a number (a division by zero).
    static std::string FormatFixed(double value, int decimals);
    // FormatFixed followed by PadNumber.
    static std::string FormatPadded(double value, int decimals, int width);
    // A whole number padded so that the text sort orders it as a number.
    static std::string Padded(long long value, int width);
    // "True" or "False".
    static std::string TrueFalse(bool value) { return value ? "True" : "False"; }

  private:
    // Statuses per day since the account was made, counted in calendar days.
    static std::string TwtDayCell(const UserSet::Record& record, const SKDFuncs::DateValue& today);
};

}  // namespace marlin
