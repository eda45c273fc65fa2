#include "core/skd_funcs.h"

namespace marlin::SKDFuncs {

bool FileExists(const std::string&) {
    return false;
}
std::string ToLocalDateTime(const std::string& text) {
    return text;
}
std::string ToServiceDateTime(const std::string&) {
    return {};
}
std::string ToSPSSDateTime(const std::string&) {
    return {};
}
std::string DayName(const std::string&, bool) {
    return {};
}
std::string MonthName(std::string&, bool) {
    return {};
}
std::string MonthName(const std::string&, bool) {
    return {};
}
std::string MonthNumber(const std::string&) {
    return {};
}
std::string PadNumber(std::string& text, std::uint8_t) {
    return text;
}
std::string PadNumber(const std::string& text, std::uint8_t) {
    return text;
}
std::string UrlEncode(const std::string& text) {
    return text;
}
std::string UnicodePlaceholder(const std::string&) {
    return {};
}
std::string ReplaceEscapes(const std::string& text) {
    return text;
}
std::string ReplaceEscapes(const std::string& text, Toolkit&) {
    return text;
}
std::optional<DateValue> ReadDate(const std::string&) {
    return std::nullopt;
}
DateValue ToDate(const std::string&) {
    return {};
}
DateValue MakeDate(int year, int month, int day, int hour, int minute, int second) {
    return {year, month, day, hour, minute, second};
}
std::string FormatLocalDateTime(const DateValue&) {
    return {};
}
std::string FormatShortDate(const DateValue&) {
    return {};
}
DateValue Now() {
    return {};
}
int Weekday(const DateValue&) {
    return 1;
}
long long DayNumber(const DateValue&) {
    return 0;
}
long long SecondsNumber(const DateValue&) {
    return 0;
}
double LeadingNumber(const std::string&) {
    return 0;
}
std::int32_t RoundHalfEven(double) {
    return 0;
}

}  // namespace marlin::SKDFuncs
