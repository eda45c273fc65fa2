#include "spending/money.h"

namespace marlin {

namespace {

constexpr int kPlaces = 6;
constexpr std::int64_t kMostDollars = 1000000000000;

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// The digits of text as a number; nothing when any is not a digit or there are none.
std::optional<std::int64_t> Digits(std::string_view text) {
    if (text.empty() || text.size() > 13) return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::optional<Money> Money::Parse(std::string_view text) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '$') text.remove_prefix(1);
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    std::string_view places = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (places.size() > kPlaces || (whole.empty() && places.empty())) return std::nullopt;
    const std::optional<std::int64_t> dollars = whole.empty() ? 0 : Digits(whole);
    std::string fraction(places);
    fraction.resize(kPlaces, '0');
    const std::optional<std::int64_t> micros = Digits(fraction);
    if (!dollars || !micros || *dollars > kMostDollars) return std::nullopt;
    return Money(*dollars * kMicrosPerDollar + *micros);
}

std::string Money::Text() const {
    const std::int64_t magnitude = m_micros < 0 ? -m_micros : m_micros;
    std::string places = std::to_string(magnitude % kMicrosPerDollar);
    places.insert(0, kPlaces - places.size(), '0');
    while (places.size() > 2 && places.back() == '0') places.pop_back();
    std::string text = m_micros < 0 ? "-" : "";
    text += std::to_string(magnitude / kMicrosPerDollar);
    text += '.';
    return text + places;
}

std::string Money::Shown() const {
    // Built in two steps: GCC 12 warns of a false overlap when a literal is joined to a
    // returned string in one expression.
    std::string shown = "$";
    shown += Text();
    return shown;
}

}  // namespace marlin
