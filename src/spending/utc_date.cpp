#include "spending/utc_date.h"

#include <cctype>

namespace marlin {

namespace {

std::string Format(std::time_t seconds, const char* layout) {
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[16];
    std::strftime(text, sizeof text, layout, &utc);
    return text;
}

bool Digits(std::string_view text) {
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return !text.empty();
}

}  // namespace

std::string UtcDate::Day(std::time_t seconds) {
    return Format(seconds, "%Y-%m-%d");
}

std::string UtcDate::Month(std::time_t seconds) {
    return Format(seconds, "%Y-%m");
}

bool UtcDate::IsMonth(std::string_view text) {
    if (text.size() != 7 || text[4] != '-' || !Digits(text.substr(0, 4)) || !Digits(text.substr(5)))
        return false;
    const int month = (text[5] - '0') * 10 + (text[6] - '0');
    return month >= 1 && month <= 12;
}

long long UtcDate::Milliseconds(std::string_view iso) {
    // YYYY-MM-DDTHH:MM:SS, then fractions and a Z that do not change the second.
    if (iso.size() < 19 || iso[4] != '-' || iso[7] != '-' || iso[10] != 'T' || iso[13] != ':' ||
        iso[16] != ':')
        return 0;
    std::tm parts{};
    auto number = [&](std::size_t at, std::size_t length) {
        int value = 0;
        for (std::size_t k = at; k < at + length; ++k) {
            if (!std::isdigit(static_cast<unsigned char>(iso[k]))) return -1;
            value = value * 10 + (iso[k] - '0');
        }
        return value;
    };
    parts.tm_year = number(0, 4) - 1900;
    parts.tm_mon = number(5, 2) - 1;
    parts.tm_mday = number(8, 2);
    parts.tm_hour = number(11, 2);
    parts.tm_min = number(14, 2);
    parts.tm_sec = number(17, 2);
    if (parts.tm_year < 0 || parts.tm_mon < 0 || parts.tm_mday < 1 || parts.tm_hour < 0 || parts.tm_min < 0 ||
        parts.tm_sec < 0)
        return 0;
    return static_cast<long long>(timegm(&parts)) * 1000;
}

}  // namespace marlin
