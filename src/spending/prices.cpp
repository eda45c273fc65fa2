#include "spending/prices.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace marlin {

namespace {

struct PriceTag {
    const char* tag;
    Money Prices::*price;
    Money published;
};

constexpr PriceTag kTags[] = {
    {"PP-", &Prices::postRead, Prices::kPublishedPostRead},
    {"PU-", &Prices::userRead, Prices::kPublishedUserRead},
    {"PC-", &Prices::countsRecent, Prices::kPublishedCountsRecent},
    {"PF-", &Prices::countsAll, Prices::kPublishedCountsAll},
};

// Earlier versions wrote the post price as the shortest text of a double, which can be in
// exponent form ("5e-05"); the amount is read as they wrote it and rounded to a millionth.
std::optional<Money> Amount(std::string_view text) {
    if (std::optional<Money> plain = Money::Parse(text)) return plain;
    double dollars = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), dollars);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(dollars) || dollars < 0 ||
        dollars > 1e12)
        return std::nullopt;
    return Money::Micros(std::llround(dollars * 1e6));
}

}  // namespace

Money Prices::Of(ReadKind kind) const {
    switch (kind) {
        case ReadKind::Post:
            return postRead;
        case ReadKind::User:
            return userRead;
        case ReadKind::CountsRecent:
            return countsRecent;
        case ReadKind::CountsAll:
            return countsAll;
    }
    return postRead;
}

std::vector<std::string> Prices::PrefsLines() const {
    std::vector<std::string> lines;
    for (const PriceTag& entry : kTags)
        if (this->*entry.price != entry.published) lines.push_back(entry.tag + (this->*entry.price).Text());
    return lines;
}

bool Prices::TakePrefsLine(std::string_view line) {
    for (const PriceTag& entry : kTags) {
        if (!line.starts_with(entry.tag)) continue;
        if (const std::optional<Money> amount = Amount(line.substr(3))) this->*entry.price = *amount;
        return true;
    }
    return false;
}

}  // namespace marlin
