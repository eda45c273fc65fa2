#include "core/skd_funcs.h"

#include "platform/blank_trim.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <limits>
#include <string_view>
#include <vector>

#include "core/code_page.h"

namespace marlin::SKDFuncs {

namespace {

constexpr std::array<const char*, 12> kMonths = {"January",   "February", "March",    "April",
                                                 "May",       "June",     "July",     "August",
                                                 "September", "October",  "November", "December"};
constexpr std::array<const char*, 7> kDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                              "Thursday", "Friday", "Saturday"};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Mid$ of the old string functions: up to `length` characters from 1-based `start`,
// shorter or empty past the end.
std::string Mid(const std::string& s, std::size_t start, std::size_t length) {
    if (start < 1 || start > s.size()) return {};
    return s.substr(start - 1, length);
}

// Codes 1-31 and 127. In a table cell a TAB shifts the columns and a CR or LF splits the
// row, so the program would then call its own saved file corrupt.
bool IsControlCode(unsigned code) {
    return (code >= 1 && code <= 31) || code == 127;
}

void ReplaceAll(std::string& text, std::string_view find, std::string_view with, std::size_t from = 0) {
    std::size_t hit = text.find(find, from);
    if (hit == std::string::npos) return;
    std::string out(text, 0, hit);
    out.reserve(text.size());
    std::size_t last = hit;
    while (hit != std::string::npos) {
        out.append(text, last, hit - last);
        out.append(with);
        last = hit + find.size();
        hit = text.find(find, last);
    }
    out.append(text, last, std::string::npos);
    text = std::move(out);
}

// A whole number in a 16-bit field of a date text, as the old integer conversion
// reads it: blanks around, an optional sign, digits.
int ToInt16(const std::string& field) {
    std::size_t b = field.find_first_not_of(' ');
    std::size_t e = field.find_last_not_of(' ');
    if (b == std::string::npos) throw ConversionError("empty number in a date text");
    std::string_view digits(field.data() + b, e - b + 1);
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || value < -32768 || value > 32767) {
        throw ConversionError("'" + field + "' is not a number");
    }
    return value;
}

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12).
long long DaysFromCivil(long long y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

int DaysInMonth(int year, int month) {
    static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

int WindowYear(int year, std::size_t digits) {
    if (digits > 2) return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

// A month given by number or by English name (full or three letters); 0 if neither.
int MonthField(std::string_view field) {
    if (field.empty()) return 0;
    if (IsDigit(field.front())) {
        int v = 0;
        const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), v);
        return error == std::errc() && end == field.data() + field.size() ? v : 0;
    }
    const std::string lower = Lower(field);
    for (int m = 0; m < 12; ++m) {
        const std::string name = Lower(kMonths[m]);
        if (lower == name || (lower.size() == 3 && name.compare(0, 3, lower) == 0)) return m + 1;
    }
    return 0;
}

// Digits only: a sign would let "-3:08" or "01/01/-1" pass for a date.
bool NumberField(std::string_view field, int& value) {
    if (field.empty() || field.size() > 4 || !IsDigit(field.front())) return false;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    return error == std::errc() && end == field.data() + field.size();
}

std::vector<std::string_view> Split(std::string_view text, std::string_view separators) {
    std::vector<std::string_view> parts;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t at = text.find_first_of(separators, from);
        const std::size_t end = at == std::string_view::npos ? text.size() : at;
        parts.push_back(text.substr(from, end - from));
        if (at == std::string_view::npos) break;
        from = at + 1;
    }
    return parts;
}

// h:mm[:ss] with an optional AM/PM (attached or as the next word).
bool ReadTime(std::string_view token, std::string_view meridiem, DateValue& value) {
    std::string lowered = Lower(token);
    std::string_view t(lowered);
    std::string ampm = Lower(meridiem);
    for (const char* suffix : {"am", "pm"}) {
        if (t.size() > 2 && t.ends_with(suffix)) {
            ampm = suffix;
            t.remove_suffix(2);
        }
    }
    if (!ampm.empty() && ampm != "am" && ampm != "pm") return false;
    const auto parts = Split(t, ":");
    if (parts.size() < 2 || parts.size() > 3) return false;
    int h = 0, m = 0, s = 0;
    if (!NumberField(parts[0], h) || !NumberField(parts[1], m)) return false;
    if (parts.size() == 3 && !NumberField(parts[2], s)) return false;
    if (!ampm.empty()) {
        if (h < 1 || h > 12) return false;
        h = (h % 12) + (ampm == "pm" ? 12 : 0);
    }
    if (h > 23 || m > 59 || s > 59) return false;
    value.hour = h, value.minute = m, value.second = s;
    return true;
}

bool ReadCalendarDate(const std::vector<std::string_view>& words, DateValue& value) {
    std::vector<std::string_view> fields;
    if (words.size() == 1) {
        fields = Split(words[0], "/-.");
    } else {
        fields = words;  // "27 Aug 2008"
    }
    int day = 0, month = 0, year = 0;
    std::size_t yearDigits = 4;
    if (fields.size() == 3 && fields[0].size() == 4 && IsDigit(fields[0][0])) {
        // yyyy-mm-dd
        if (!NumberField(fields[0], year) || !NumberField(fields[2], day)) return false;
        month = MonthField(fields[1]);
    } else if (fields.size() == 3 || fields.size() == 2) {
        if (!NumberField(fields[0], day)) return false;
        month = MonthField(fields[1]);
        if (fields.size() == 3) {
            if (!NumberField(fields[2], year)) return false;
            yearDigits = fields[2].size();
        } else {
            year = Now().year;
        }
    } else {
        return false;
    }
    year = WindowYear(year, yearDigits);
    if (month < 1 || month > 12 || year < 100 || year > 9999) return false;
    if (day < 1 || day > DaysInMonth(year, month)) return false;
    value.year = year, value.month = month, value.day = day;
    return true;
}

}  // namespace

// ---- Date values ----

DateValue MakeDate(int year, int month, int day, int hour, int minute, int second) {
    long long y = year + (month - 1) / 12;
    int m = (month - 1) % 12;
    if (m < 0) {
        m += 12;
        --y;
    }
    const long long days = DaysFromCivil(y, m + 1, 1) + (day - 1);
    long long seconds = days * 86400 + static_cast<long long>(hour) * 3600 + minute * 60LL + second;
    long long wholeDays = seconds / 86400;
    long long rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --wholeDays;
    }
    DateValue v;
    CivilFromDays(wholeDays, v.year, v.month, v.day);
    v.hour = static_cast<int>(rest / 3600);
    v.minute = static_cast<int>(rest / 60 % 60);
    v.second = static_cast<int>(rest % 60);
    return v;
}

long long DayNumber(const DateValue& v) {
    return DaysFromCivil(v.year, v.month, v.day);
}

long long SecondsNumber(const DateValue& v) {
    return DayNumber(v) * 86400 + v.hour * 3600LL + v.minute * 60LL + v.second;
}

int Weekday(const DateValue& v) {
    const long long days = DayNumber(v);
    return static_cast<int>(((days % 7) + 7 + 4) % 7) + 1;  // 1970-01-01 was a Thursday
}

DateValue Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

std::string FormatShortDate(const DateValue& v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d", v.day, v.month, v.year);
    return buffer;
}

std::string FormatLocalDateTime(const DateValue& v) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d %02d:%02d:%02d", v.day, v.month, v.year, v.hour,
                  v.minute, v.second);
    return buffer;
}

std::optional<DateValue> ReadDate(const std::string& text) {
    std::vector<std::string_view> words;
    for (std::string_view w : Split(text, " \t")) {
        if (!w.empty()) words.push_back(w);
    }
    if (words.empty()) return std::nullopt;
    DateValue value;
    // The time is the word with a colon, perhaps followed by AM or PM.
    std::size_t timeAt = words.size();
    for (std::size_t k = 0; k < words.size(); ++k) {
        if (words[k].find(':') != std::string_view::npos) {
            timeAt = k;
            break;
        }
    }
    if (timeAt < words.size()) {
        const std::size_t after = words.size() - timeAt - 1;
        if (after > 1) return std::nullopt;
        if (!ReadTime(words[timeAt], after == 1 ? words.back() : std::string_view(), value))
            return std::nullopt;
        words.resize(timeAt);
        if (words.empty()) return value;  // a time alone
    }
    if (words.size() != 1 && words.size() != 3) return std::nullopt;
    if (!ReadCalendarDate(words, value)) return std::nullopt;
    return value;
}

DateValue ToDate(const std::string& text) {
    const auto value = ReadDate(text);
    if (!value) throw ConversionError("'" + text + "' is not a date");
    return *value;
}

// ---- Date-time texts ----

bool FileExists(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(std::filesystem::u8path(path), error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

std::string ToLocalDateTime(const std::string& text) {
    if (text.empty()) return {};
    std::string s = text;
    std::erase(s, '+');
    if (s.empty()) return s;
    if (static_cast<unsigned char>(s[0]) > 'A') {
        // A service date-time text, "Wed Aug 27 13:08:45 0000 2008" once the plus is gone.
        const int day = ToInt16(Mid(s, 9, 2));
        const int month = ToInt16(MonthNumber(Mid(s, 5, 3)));
        const int year = ToInt16(Mid(s, 26, 4));
        const int hour = ToInt16(Mid(s, 12, 2));
        const int minute = ToInt16(Mid(s, 15, 2));
        const int second = ToInt16(Mid(s, 18, 2));
        if (year < 100 || year > 9999) throw ConversionError("'" + text + "' has no four-digit year");
        return FormatLocalDateTime(MakeDate(year, month, day, hour, minute, second));
    }
    if (s.size() >= 3 && s[2] == '-') return FormatLocalDateTime(ToDate(s));
    return s;
}

std::string ToServiceDateTime(const std::string& text) {
    const std::string s = ToLocalDateTime(text);
    if (s.find(':') == std::string::npos) return {};
    const DateValue v = ToDate(s);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3s %.3s %02d %02d:%02d:%02d 0000 %04d", kDays[Weekday(v) - 1],
                  kMonths[v.month - 1], v.day, v.hour, v.minute, v.second, v.year);
    return buffer;
}

std::string ToSPSSDateTime(const std::string& text) {
    const std::string s = ToLocalDateTime(text);
    if (s.find(':') == std::string::npos) return {};
    const DateValue v = ToDate(s);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02d-%.3s-%04d %02d:%02d:%02d", v.day, kMonths[v.month - 1], v.year,
                  v.hour, v.minute, v.second);
    return buffer;
}

std::string DayName(const std::string& dateText, bool abbreviate) {
    const auto value = ReadDate(dateText);
    if (!value) return {};
    const std::string name = kDays[Weekday(*value) - 1];
    return abbreviate ? name.substr(0, 3) : name;
}

std::string MonthName(std::string& monthText, bool abbreviate) {
    // Rewritten as two digits first, as the callers expect of the text they pass.
    if (!monthText.empty() && monthText.size() <= 9 &&
        monthText.find_first_not_of("0123456789") == std::string::npos) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%02d", std::stoi(monthText));
        monthText = buffer;
    }
    if (monthText.size() != 2 || !IsDigit(monthText[0]) || !IsDigit(monthText[1])) return {};
    const int month = (monthText[0] - '0') * 10 + (monthText[1] - '0');
    if (month < 1 || month > 12) return {};
    const std::string name = kMonths[month - 1];
    return abbreviate ? name.substr(0, 3) : name;
}

std::string MonthName(const std::string& monthText, bool abbreviate) {
    std::string copy = monthText;
    return MonthName(copy, abbreviate);
}

std::string MonthNumber(const std::string& abbreviation) {
    for (int m = 0; m < 12; ++m) {
        if (abbreviation.size() == 3 && std::string_view(kMonths[m]).substr(0, 3) == abbreviation) {
            char buffer[4];
            std::snprintf(buffer, sizeof buffer, "%02d", m + 1);
            return buffer;
        }
    }
    return {};
}

// ---- Numbers and queries ----

std::string PadNumber(std::string& text, std::uint8_t width) {
    text = Trimmed(text);
    const bool numeric = text == "0" || (!text.empty() && text[0] >= '1' && text[0] <= '9');
    const std::size_t length = CharacterCount(text);
    if (numeric && length < width) return std::string(width - length, ' ') + text;
    return text;
}

std::string PadNumber(const std::string& text, std::uint8_t width) {
    std::string copy = text;
    return PadNumber(copy, width);
}

std::string UrlEncode(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        const bool kept =
            c <= 31 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (kept) {
            out += ch;
        } else {
            // The service reads non-ASCII text as percent-encoded UTF-8.
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

double LeadingNumber(const std::string& text) {
    std::size_t i = text.find_first_not_of(" \t\r\n");
    if (i == std::string::npos) return 0;
    std::string number;
    if (text[i] == '+' || text[i] == '-') number += text[i++];
    bool digits = false;
    while (i < text.size() && IsDigit(text[i])) number += text[i++], digits = true;
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        while (i < text.size() && IsDigit(text[i])) number += text[i++], digits = true;
    }
    if (!digits) return 0;
    if (i + 1 < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (text[j] == '+' || text[j] == '-') exponent += text[j++];
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) exponent += text[j++];
            number += exponent;
        }
    }
    if (number.front() == '+') number.erase(0, 1);
    double value = 0;
    std::from_chars(number.data(), number.data() + number.size(), value);
    return value;
}

std::int32_t RoundHalfEven(double value) {
    if (std::isnan(value)) return 0;
    const double rounded = std::nearbyint(value);  // the default rounding mode sends halves to even
    if (rounded >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (rounded <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(rounded);
}

// ---- Service texts ----

std::string BlankControlCharacters(std::string text) {
    for (char& c : text)
        if (IsControlCode(static_cast<unsigned char>(c))) c = ' ';
    return text;
}

std::string UnicodePlaceholder(const std::string& code) {
    const std::string_view digits =
        code.size() >= 4 ? std::string_view(code).substr(code.size() - 4) : std::string_view(code);
    unsigned v = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), v, 16);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) v = 0;

    if (v == 0) return {};
    if (IsControlCode(v)) return " ";
    if (v <= 0xFF) {
        std::string out;
        CodePage::AppendUtf8(out, CodePage::CodePointOf(static_cast<unsigned char>(v)));
        return out;
    }
    struct Range {
        unsigned low, high;
        const char* text;
    };
    static constexpr Range kTable[] = {
        {0x2010, 0x2015, "[-]"},     {0x2018, 0x201B, "[']"},  {0x201C, 0x201D, "\""},
        {0x2026, 0x2026, "[...]"},   {0x203C, 0x203C, "[!!]"}, {0x2661, 0x2661, "[<3]"},
        {0x2665, 0x2665, "[<3]"},    {0x263A, 0x263B, "[:)]"}, {0x2639, 0x2639, "[:(]"},
        {0x2708, 0x2708, "[plane]"}, {0x270C, 0x270C, "[V]"},  {0x2713, 0x2714, "[/]"},
        {0x2715, 0x2718, "[X]"},     {0x2719, 0x2720, "[+]"},  {0x2721, 0x2743, "[*]"},
        {0x2764, 0x2765, "[<3]"},    {0x0370, 0x03FF, "[el]"}, {0x0400, 0x04FF, "[cyr]"},
        {0x0590, 0x05FF, "[he]"},    {0x0600, 0x06FF, "[ar]"}, {0x0E00, 0x0E7F, "[th]"},
    };
    for (const Range& r : kTable) {
        if (v >= r.low && v <= r.high) return r.text;
    }
    if (v <= 0x27BF) return "[?]";
    if (v <= 0x7FFF) return {};
    // 8000-FFFF, the surrogate halves of emoji among them: shown as unknown, so an
    // emoji becomes "[?][?]" and a reader still sees that something was there.
    return "[?]";
}

namespace {

// The replacement of a one-character JSON escape: the control codes become one blank, as
// every other control character does; anything else is the character itself, which also
// drops the backslash the JSON reader leaves from an escaped quote.
char EscapedCharacter(char c) {
    switch (c) {
        case 'n':
        case 'r':
        case 't':
        case 'b':
        case 'f':
            return ' ';
        default:
            return c;
    }
}

// Codes already replaced in one text, so that the window is yielded to once per code
// however often the code recurs.
class SeenCodes {
  public:
    bool FirstTime(const char* code) {
        unsigned v = 0;
        const auto [end, error] = std::from_chars(code + 2, code + 6, v, 16);
        if (error != std::errc() || end != code + 6) return true;
        if (m_seen.empty()) m_seen.resize(kCodes / 64);
        std::uint64_t& word = m_seen[v / 64];
        const std::uint64_t bit = std::uint64_t{1} << (v % 64);
        const bool first = (word & bit) == 0;
        word |= bit;
        return first;
    }

  private:
    static constexpr unsigned kCodes = 0x10000;
    std::vector<std::uint64_t> m_seen;
};

// One pass from left to right: each escape is decoded once, so that what it yields is
// never read as the start of another.
std::string DecodeEscapes(std::string_view text, Toolkit* toolkit) {
    std::string out;
    out.reserve(text.size());
    SeenCodes seen;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find('\\', from);
        out.append(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
        if (at == std::string_view::npos) break;
        if (at + 1 == text.size()) break;  // a lone backslash at the end goes
        const char next = text[at + 1];
        if (next == 'u' && text.size() - at >= 6) {
            const std::string code(text.substr(at, 6));
            out += UnicodePlaceholder(code);
            if (toolkit != nullptr && seen.FirstTime(code.data())) toolkit->DoEvents();
            from = at + 6;
        } else {
            out += EscapedCharacter(next);
            from = at + 2;
        }
    }
    return out;
}

std::string CleanEscapes(const std::string& text, Toolkit* toolkit) {
    std::string s = DecodeEscapes(text, toolkit);
    ReplaceAll(s, "&amp;", "&");
    return BlankControlCharacters(std::move(s));
}

}  // namespace

std::string ReplaceEscapes(const std::string& text) {
    return CleanEscapes(text, nullptr);
}

std::string ReplaceEscapes(const std::string& text, Toolkit& toolkit) {
    return CleanEscapes(text, &toolkit);
}

}  // namespace marlin::SKDFuncs
