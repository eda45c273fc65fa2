#include "workspace/tables/tweet_time.h"

#include <cstdio>

#include "core/skd_funcs.h"
#include "platform/blank_trim.h"

namespace marlin {
namespace {

constexpr long long kDay = 86400;

bool Digits(std::string_view text, std::size_t at, std::size_t count, int& value) {
    if (at + count > text.size()) return false;
    value = 0;
    for (std::size_t k = at; k < at + count; ++k) {
        const char c = text[k];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

std::optional<long long> FromFields(int year, int month, int day, int hour, int minute, int second) {
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    return SKDFuncs::SecondsNumber(SKDFuncs::DateValue{year, month, day, hour, minute, second});
}

int MonthOf(std::string_view name) {
    static constexpr std::string_view kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
    for (int m = 0; m < 12; ++m)
        if (kMonths.substr(static_cast<std::size_t>(m) * 3, 3) == name) return m + 1;
    return 0;
}

// The date and time of a second count, as SecondsNumber counts them.
SKDFuncs::DateValue DateOf(long long seconds) {
    long long days = seconds / kDay;
    long long rest = seconds % kDay;
    if (rest < 0) {
        rest += kDay;
        --days;
    }
    return SKDFuncs::MakeDate(1970, 1, 1 + static_cast<int>(days), 0, 0, static_cast<int>(rest));
}

}  // namespace

std::optional<long long> TweetTime::Seconds(std::string_view cell) {
    cell = TrimBlanks(cell);
    if (cell.empty()) return std::nullopt;
    // The two forms a table usually holds are read by position: a 200,000-row table is read
    // whole on every redraw of the chart.
    if (auto value = ServiceForm(cell)) return value;
    if (auto value = LocalForm(cell)) return value;
    try {
        const auto date = SKDFuncs::ReadDate(SKDFuncs::ToLocalDateTime(std::string(cell)));
        if (date) return SKDFuncs::SecondsNumber(*date);
    } catch (const SKDFuncs::ConversionError&) {
    }
    return std::nullopt;
}

std::optional<long long> TweetTime::ServiceForm(std::string_view cell) {
    // "Wed Aug 27 13:08:45 +0000 2008", or without the plus sign.
    const std::size_t yearAt = cell.size() >= 30 && cell[20] == '+' ? 26 : 25;
    if (cell.size() != yearAt + 4 || cell[3] != ' ' || cell[7] != ' ' || cell[13] != ':') return std::nullopt;
    int day = 0, hour = 0, minute = 0, second = 0, year = 0;
    const int month = MonthOf(cell.substr(4, 3));
    if (month == 0 || !Digits(cell, 8, 2, day) || !Digits(cell, 11, 2, hour) ||
        !Digits(cell, 14, 2, minute) || !Digits(cell, 17, 2, second) || !Digits(cell, yearAt, 4, year))
        return std::nullopt;
    return FromFields(year, month, day, hour, minute, second);
}

std::optional<long long> TweetTime::LocalForm(std::string_view cell) {
    // "27/08/2008 13:08:45"
    if (cell.size() != 19 || cell[2] != '/' || cell[5] != '/' || cell[10] != ' ') return std::nullopt;
    int day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
    if (!Digits(cell, 0, 2, day) || !Digits(cell, 3, 2, month) || !Digits(cell, 6, 4, year) ||
        !Digits(cell, 11, 2, hour) || !Digits(cell, 14, 2, minute) || !Digits(cell, 17, 2, second))
        return std::nullopt;
    return FromFields(year, month, day, hour, minute, second);
}

std::string TweetTime::Iso(long long seconds) {
    const SKDFuncs::DateValue date = DateOf(seconds);
    if (date.year < 0 || date.year > 9999) return "0000-00-00T00:00:00";
    // By hand rather than by snprintf: a large graph writes two of these per edge.
    std::string text = "0000-00-00T00:00:00";
    const auto put = [&text](std::size_t at, int value, int digits) {
        for (int k = digits - 1; k >= 0; --k, value /= 10)
            text[at + static_cast<std::size_t>(k)] = static_cast<char>('0' + value % 10);
    };
    put(0, date.year, 4);
    put(5, date.month, 2);
    put(8, date.day, 2);
    put(11, date.hour, 2);
    put(14, date.minute, 2);
    put(17, date.second, 2);
    return text;
}

std::string TweetTime::Local(long long seconds) {
    const SKDFuncs::DateValue date = DateOf(seconds);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d %02d:%02d:%02d", date.day, date.month, date.year,
                  date.hour, date.minute, date.second);
    return buffer;
}

}  // namespace marlin
