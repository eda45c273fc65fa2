#pragma once

#include <string>

#include "platform/report_list.h"

namespace marlin {

// A row of a user table as one text to read, for the strip under the table: the account,
// its description, its addresses and its counts. Padding is taken off the cells.
class UserPreview {
  public:
    // Empty for a row the table does not hold (no row selected).
    static std::string Text(const ReportList& table, int row);
};

}  // namespace marlin
