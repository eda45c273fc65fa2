#include "spending/limit_check.h"

namespace marlin {

namespace {

bool Crosses(const std::optional<Money>& limit, Money spent, Money worstCase) {
    return limit && (*limit == Money() || spent + worstCase > *limit);
}

}  // namespace

Money LimitCheck::WorstCase(const Prices& prices, ReadKind kind, int objects) {
    if (ChargedPerRequest(kind)) return prices.Of(kind);
    return prices.Of(kind) * (objects > 0 ? objects : 0);
}

std::optional<LimitCheck::Stop> LimitCheck::Before(const SpendingLimits& limits, const Spent& spent,
                                                   Money worstCase) {
    if (Crosses(limits.perRun, spent.run, worstCase)) return Stop{Scope::Run, *limits.perRun, spent.run};
    if (Crosses(limits.perDay, spent.day, worstCase)) return Stop{Scope::Day, *limits.perDay, spent.day};
    if (Crosses(limits.perMonth, spent.month, worstCase))
        return Stop{Scope::Month, *limits.perMonth, spent.month};
    return std::nullopt;
}

std::string LimitCheck::Stop::Message() const {
    switch (scope) {
        case Scope::Day:
            return "Stopped at the daily spending limit of " + limit.Shown() + " (" + spent.Shown() +
                   " spent today (UTC))";
        case Scope::Month:
            return "Stopped at the monthly spending limit of " + limit.Shown() + " (" + spent.Shown() +
                   " spent this month)";
        case Scope::Run:
            break;
    }
    return "Stopped at the spending limit of " + limit.Shown() + " (" + spent.Shown() + " spent this run)";
}

}  // namespace marlin
