#include "spending/spending_report.h"

namespace marlin {

std::optional<std::string> SpendingReport::Csv(Ledger& ledger, const std::optional<std::string>& month) {
    const std::optional<std::vector<Tally>> rows = month ? ledger.Days(*month) : ledger.Months();
    if (!rows) return std::nullopt;
    std::string csv = month ? "day" : "month";
    csv += ",posts_read,users_read,counts_requests,repeats_not_charged,dollars\n";
    for (const Tally& row : *rows) {
        csv += row.period + "," + std::to_string(row.posts) + "," + std::to_string(row.users) + "," +
               std::to_string(row.counts) + "," + std::to_string(row.repeats) + "," + row.spent.Text() + "\n";
    }
    return csv;
}

}  // namespace marlin
