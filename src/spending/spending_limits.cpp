#include "spending/spending_limits.h"

namespace marlin {

namespace {
constexpr std::string_view kDayTag = "LD-";
constexpr std::string_view kMonthTag = "LM-";
}  // namespace

std::vector<std::string> SpendingLimits::PrefsLines() const {
    std::vector<std::string> lines;
    if (perDay) lines.push_back(std::string(kDayTag) + perDay->Text());
    if (perMonth) lines.push_back(std::string(kMonthTag) + perMonth->Text());
    return lines;
}

bool SpendingLimits::TakePrefsLine(std::string_view line) {
    std::optional<Money>* limit = line.starts_with(kDayTag)     ? &perDay
                                  : line.starts_with(kMonthTag) ? &perMonth
                                                                : nullptr;
    if (!limit) return false;
    if (const std::optional<Money> amount = Money::Parse(line.substr(kDayTag.size()))) *limit = amount;
    return true;
}

}  // namespace marlin
