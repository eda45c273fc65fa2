#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "spending/money.h"
#include "spending/spending_limits.h"
#include "spending/tally.h"

namespace marlin {

// What Tools › "Spending…" shows: the ledger per day of one month or per month of the whole
// ledger, as rows of a table and as bars, with the day's or the month's limit drawn across
// them. The window only draws these figures.
struct SpendingOverview {
    static constexpr const char* kNoLedger = "Nothing has been read from the service yet.";

    struct Row {
        std::string period;              // "2026-12-08" or "2026-12"
        std::vector<std::string> cells;  // as the columns name them
        Money spent;
    };

    std::string month;  // the month whose days are shown; empty for the months
    std::vector<std::string> columns;
    std::vector<Row> rows;
    std::optional<Money> limit;  // the daily limit for days, the monthly one for months
    std::string problem;         // why the ledger could not be read; empty when it was

    // The ledger of the program folder; a folder without one gives no rows and kNoLedger.
    static SpendingOverview FromLedger(const std::filesystem::path& appFolder,
                                       const std::optional<std::string>& month, const SpendingLimits& limits);
    static SpendingOverview Of(const std::vector<Tally>& tallies, const std::optional<std::string>& month,
                               const SpendingLimits& limits);

    // The top of the bars' scale: the most spent in a row, or the limit when it is higher.
    Money Top() const;
    // How high a bar of this amount stands, as a share of Top() (0..1).
    double Share(Money amount) const;
    // "Limit: $25.00 a day" / "No monthly limit"
    std::string LimitText() const;
};

}  // namespace marlin
