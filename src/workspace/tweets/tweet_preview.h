#pragma once

#include <string>

#include "platform/report_list.h"

namespace marlin {

// A row of the Tweets table as one text to read, for the strip under the table: who wrote
// the post and when, its whole text, its link and its counts. Padding is taken off the cells.
class TweetPreview {
  public:
    // Empty for a row the table does not hold (no row selected).
    static std::string Text(const ReportList& table, int row);
};

}  // namespace marlin
