#pragma once

#include <optional>
#include <string>

#include "spending/money.h"
#include "spending/prices.h"
#include "spending/spending_limits.h"

namespace marlin {

// The rule that keeps a capture inside its limits: before a request goes out, the most it
// can cost is added to what is spent, and a request that could cross a limit is not sent.
class LimitCheck {
  public:
    // What is spent so far: by this run, on today's UTC day and in this calendar month (by
    // every run the ledger knows of).
    struct Spent {
        Money run;
        Money day;
        Money month;
    };

    enum class Scope { Run, Day, Month };
    struct Stop {
        Scope scope = Scope::Run;
        Money limit;
        Money spent;
        // "Stopped at the spending limit of $25.00 ($24.85 spent this run)"; a day's and a
        // month's limit say so ("the daily spending limit", "spent today (UTC)").
        std::string Message() const;
    };

    // The most one request can cost: `objects` (its max_results, or the ids it asks for)
    // times the price of a post or user read, or a counts request's price.
    static Money WorstCase(const Prices& prices, ReadKind kind, int objects);

    // Nothing when the request may go; else the first limit (run, day, month) it could cross.
    // A limit of 0 stops every request, whatever it costs.
    static std::optional<Stop> Before(const SpendingLimits& limits, const Spent& spent, Money worstCase);
};

}  // namespace marlin
