#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace marlin {

// The service's calendar: a repeat read is free within one UTC day, whatever the local
// time zone, and the ledger's months are made of those days.
class UtcDate {
  public:
    static std::string Day(std::time_t seconds);    // "2026-12-31"
    static std::string Month(std::time_t seconds);  // "2026-12"
    // True for a month written as "YYYY-MM" (the command line's --month).
    static bool IsMonth(std::string_view text);
    // Milliseconds since 1970 of an ISO 8601 UTC time ("2026-12-09T08:28:09.000Z"); 0 when
    // the text is not one.
    static long long Milliseconds(std::string_view iso);
};

}  // namespace marlin
