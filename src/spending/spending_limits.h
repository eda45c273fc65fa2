#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "spending/money.h"

namespace marlin {

// The most a capture may spend: per run (--max-cost, or asked with the estimate), per UTC
// day and per calendar month (Settings › "Spending Limits…"). No limit where none is set;
// a limit of 0 allows nothing.
struct SpendingLimits {
    std::optional<Money> perRun;
    std::optional<Money> perDay;
    std::optional<Money> perMonth;

    bool Any() const { return perRun || perDay || perMonth; }

    // The lines prefs keeps for the day and month limits that are set: "LD-25.00", "LM-300.00".
    // The run's limit belongs to the run and is never kept.
    std::vector<std::string> PrefsLines() const;
    // Takes one prefs line if it is a limit's; false for any other line.
    bool TakePrefsLine(std::string_view line);

    bool operator==(const SpendingLimits&) const = default;
};

}  // namespace marlin
