#include "workspace/costs/spending_overview.h"

#include <algorithm>

#include "spending/ledger.h"

namespace marlin {

SpendingOverview SpendingOverview::FromLedger(const std::filesystem::path& appFolder,
                                              const std::optional<std::string>& month,
                                              const SpendingLimits& limits) {
    const std::filesystem::path file = appFolder / Ledger::kFileName;
    std::error_code error;
    // No ledger: nothing was read, and looking makes none.
    if (!std::filesystem::exists(file, error)) {
        SpendingOverview empty = Of({}, month, limits);
        empty.problem = kNoLedger;
        return empty;
    }
    std::string problem;
    std::unique_ptr<Ledger> ledger = Ledger::Open(file, &problem);
    std::optional<std::vector<Tally>> tallies;
    if (ledger) {
        tallies = month ? ledger->Days(*month) : ledger->Months();
        if (!tallies) problem = ledger->Problem();
    }
    SpendingOverview overview = Of(tallies.value_or(std::vector<Tally>{}), month, limits);
    if (!tallies) overview.problem = "The spending ledger " + file.string() + " cannot be read: " + problem;
    return overview;
}

SpendingOverview SpendingOverview::Of(const std::vector<Tally>& tallies,
                                      const std::optional<std::string>& month, const SpendingLimits& limits) {
    SpendingOverview o;
    o.month = month.value_or("");
    o.limit = month ? limits.perDay : limits.perMonth;
    o.columns = {month ? "Day (UTC)" : "Month", "Posts read", "Users read", "Counts requests",
                 "Repeats not charged",         "Spent"};
    for (const Tally& t : tallies)
        o.rows.push_back({t.period,
                          {t.period, std::to_string(t.posts), std::to_string(t.users),
                           std::to_string(t.counts), std::to_string(t.repeats), t.spent.Shown()},
                          t.spent});
    return o;
}

Money SpendingOverview::Top() const {
    Money top = limit.value_or(Money());
    for (const Row& row : rows) top = std::max(top, row.spent);
    return top;
}

double SpendingOverview::Share(Money amount) const {
    const Money top = Top();
    if (top == Money()) return 0;
    return std::clamp(static_cast<double>(amount.micros()) / static_cast<double>(top.micros()), 0.0, 1.0);
}

std::string SpendingOverview::LimitText() const {
    const char* per = month.empty() ? "month" : "day";
    if (!limit) return std::string("No limit per ") + per;
    return "Limit: " + limit->Shown() + " a " + per;
}

}  // namespace marlin
