#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace marlin {

// The moment a Tweets table row was posted, read from its DateTime cell in whichever of the
// three forms the table holds it (the service's "Wed Aug 27 13:08:45 +0000 2008", the local
// "27/08/2008 13:08:45" or the SPSS "27-Aug-2008 13:08:45"), as seconds since 1970-01-01
// taken as they stand (no time-zone shift, as everywhere in the table).
class TweetTime {
  public:
    // Nothing when the cell holds no date and time.
    static std::optional<long long> Seconds(std::string_view cell);
    // "2008-08-27T13:08:45", the form graph and spreadsheet programs read as a date.
    static std::string Iso(long long seconds);
    // "27/08/2008 13:08:45"
    static std::string Local(long long seconds);

  private:
    static std::optional<long long> ServiceForm(std::string_view cell);
    static std::optional<long long> LocalForm(std::string_view cell);
};

}  // namespace marlin
