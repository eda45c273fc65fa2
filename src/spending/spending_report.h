#pragma once

#include <optional>
#include <string>

#include "spending/ledger.h"

namespace marlin {

// The ledger as CSV, as Tools › "Spending…" shows it and `spending [--month YYYY-MM]`
// prints it: one line per month of the whole ledger, or per day of one month.
//   month,posts_read,users_read,counts_requests,repeats_not_charged,dollars
//   2026-12,27000,310,4,12,138.18
// Reads counted include the repeats; dollars are what was charged.
class SpendingReport {
  public:
    // Nothing when the ledger cannot be read (its Problem() says why).
    static std::optional<std::string> Csv(Ledger& ledger, const std::optional<std::string>& month);
};

}  // namespace marlin
