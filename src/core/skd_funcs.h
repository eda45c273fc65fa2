#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/toolkit.h"

// Shared helpers: the file check, the conversions between the three date-time text
// forms, number padding, query encoding and the clean-up of service texts.
//
// Locale: the short date is dd/mm/yyyy, the time hh:mm:ss on a 24-hour clock, month and
// weekday names are English, and "now" is the local time of the system time zone.
namespace marlin::SKDFuncs {

// Raised where a text that must be a date (or a number inside one) is not.
class ConversionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A calendar date and clock time, as read from or written to the date-time texts.
struct DateValue {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;

    auto operator<=>(const DateValue&) const = default;
};

bool FileExists(const std::string& path);

// To the local date-time text "dd/mm/yyyy hh:mm:ss". A service date-time text is read by
// its fixed positions, a text whose third character is "-" as a date in the locale's
// conventions (so an SPSS text qualifies); anything else is returned as it stands, less
// any "+". Throws ConversionError when a service or "-" text is not a date.
std::string ToLocalDateTime(const std::string& text);
// To "Wed Aug 27 13:08:45 0000 2008" (no plus sign); empty when the local form holds no ":".
std::string ToServiceDateTime(const std::string& text);
// To "27-Aug-2008 13:08:45"; empty when the local form holds no ":".
std::string ToSPSSDateTime(const std::string& text);

// The English weekday of a date text ("Sun" or "Sunday"...); empty when it is not a date.
std::string DayName(const std::string& dateText, bool abbreviate);
// The English name of month "01".."12". The argument is rewritten as two digits first
// ("8" becomes "08"). Empty for anything else.
std::string MonthName(std::string& monthText, bool abbreviate);
std::string MonthName(const std::string& monthText, bool abbreviate);
// "Jan".."Dec" (exact) to "01".."12"; empty for anything else.
std::string MonthNumber(const std::string& abbreviation);

// Trims blanks from the text (in place) and, when it reads as a plain number ("0", or a
// first character 1-9) shorter than width, right-aligns it with blanks so that the
// tables' text sort orders it as a number.
std::string PadNumber(std::string& text, std::uint8_t width);
std::string PadNumber(const std::string& text, std::uint8_t width);

// Percent-encodes a query: letters, digits and control characters stay, every other
// ASCII character becomes %XX, and each byte of a non-ASCII character's UTF-8 form
// becomes %XX.
std::string UrlEncode(const std::string& text);

// Every control character (codes 1-31 and 127) becomes one blank, so that no text of a
// record can split a table row or shift its columns.
std::string BlankControlCharacters(std::string text);

// The replacement of one "\uXXXX" code: a character, a bracketed placeholder such as
// "[<3]" or "[cyr]", one blank for a control character, or the empty text.
std::string UnicodePlaceholder(const std::string& code);

// Cleans a text as the service sent it, in one pass: each JSON escape is decoded once
// ("\uXXXX" to its placeholder, "\n", "\r" and "\t" to one blank, "\\" to one backslash,
// "\"" to a quote, "\/" to a slash), a backslash before any other character is dropped
// (the reader leaves one from each escaped quote), "&amp;" becomes "&" and every control
// character becomes one blank. The toolkit, when given, is let to process pending events
// once per distinct code replaced.
std::string ReplaceEscapes(const std::string& text);
std::string ReplaceEscapes(const std::string& text, Toolkit& toolkit);

// ---- Date values behind the texts above ----

// Reads a date-time text in the locale's conventions: a day-first date with "/", "-" or
// "." between day, month (number or English name) and year (two digits follow the
// window 00-29 = 2000s, 30-99 = 1900s), optionally followed by h:mm[:ss] [AM|PM]; also
// yyyy-mm-dd, and a time alone (on 30/12/1899). Nothing when it is not a date.
std::optional<DateValue> ReadDate(const std::string& text);
// Like ReadDate, but throws ConversionError.
DateValue ToDate(const std::string& text);
// A date built from fields that may run over ("day 32" runs into the next month).
DateValue MakeDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// "dd/mm/yyyy hh:mm:ss"
std::string FormatLocalDateTime(const DateValue& value);
// "dd/mm/yyyy"
std::string FormatShortDate(const DateValue& value);
// The local date and time now.
DateValue Now();
// 1 = Sunday .. 7 = Saturday.
int Weekday(const DateValue& value);
// Whole days since 1970-01-01 of the date part (negative before), for day differences.
long long DayNumber(const DateValue& value);
// Seconds since 1970-01-01 00:00:00 of date and time taken as they stand (no time zone).
long long SecondsNumber(const DateValue& value);

// The value of the number a text starts with (blanks before it skipped; sign, decimals
// and exponent allowed); 0 when it starts with none.
double LeadingNumber(const std::string& text);
// Rounds to the nearest integer, halves going to the even neighbour; saturates at the
// 32-bit limits.
std::int32_t RoundHalfEven(double value);

}  // namespace marlin::SKDFuncs
