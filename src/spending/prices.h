#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "spending/money.h"
#include "spending/read_kind.h"

namespace marlin {

// What the service charges, as Settings › "Prices…" holds it: the published prices of the
// pay-per-use plan unless the user changed them. Only a changed price is kept in prefs, so a
// prefs file follows the published prices until its owner says otherwise.
struct Prices {
    static constexpr Money kPublishedPostRead = Money::Micros(5000);      // $0.005
    static constexpr Money kPublishedUserRead = Money::Micros(10000);     // $0.010
    static constexpr Money kPublishedCountsRecent = Money::Micros(5000);  // $0.005 a request
    static constexpr Money kPublishedCountsAll = Money::Micros(10000);    // $0.010 a request

    Money postRead = kPublishedPostRead;
    Money userRead = kPublishedUserRead;
    Money countsRecent = kPublishedCountsRecent;
    Money countsAll = kPublishedCountsAll;

    Money Of(ReadKind kind) const;

    // One prefs line per changed price: "PP-" (the post read, the tag earlier versions wrote),
    // "PU-" (user read), "PC-" (a recent counts request), "PF-" (a full-archive counts request),
    // then the amount ("PP-0.006").
    std::vector<std::string> PrefsLines() const;
    // Takes one prefs line if it is a price's; false for any other line. A price line whose
    // amount cannot be read leaves the price as it was.
    bool TakePrefsLine(std::string_view line);

    bool operator==(const Prices&) const = default;
};

}  // namespace marlin
