#include "workspace/tables/profile_rows.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "workspace/tables/user_table.h"

namespace marlin {

std::string ProfileRows::FormatFixed(double value, int decimals) {
    if (!std::isfinite(value)) return {};
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(value * scale) / scale;
    if (rounded == 0) rounded = 0;  // no "-0.0"
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, rounded);
    return buffer;
}

std::string ProfileRows::FormatPadded(double value, int decimals, int width) {
    return SKDFuncs::PadNumber(FormatFixed(value, decimals), static_cast<std::uint8_t>(width));
}

std::string ProfileRows::Padded(long long value, int width) {
    return SKDFuncs::PadNumber(std::to_string(value), static_cast<std::uint8_t>(width));
}

std::vector<std::string> ProfileRows::Cells(const UserSet& users, int index,
                                            const SKDFuncs::DateValue& today) {
    const UserSet::Record& r = users.Item(index);
    std::vector<std::string> cells(UserTable::kColumnCount);
    cells[0] = r.Id;
    cells[1] = r.ScreenName;
    cells[2] = r.RealName;
    cells[3] = r.Description;
    cells[4] = r.URL;
    cells[5] = r.Lang;
    cells[6] = r.Location;
    cells[7] = TrueFalse(r.GeoEnabled);
    cells[8] = r.TimeZone;
    cells[9] = Padded(r.UTC_Offset, 2);
    cells[10] = Padded(r.Followers, 8);
    cells[11] = Padded(r.Friends, 8);
    cells[12] = Padded(r.StatusCount, 8);
    cells[13] = Padded(r.Favourites, 5);
    cells[14] = r.CreatedAt;
    cells[15] = TrueFalse(r.Verified);
    cells[16] = TrueFalse(r.Protected);
    cells[17] = r.ProfileImage;
    cells[18] = r.ProfileBanner;
    cells[19] = r.ProfileBackgroundImage;
    // A ratio or rate that cannot be computed leaves its cell empty.
    if (r.Friends != 0)
        cells[UserTable::kFFRatio] = FormatPadded(static_cast<double>(r.Followers) / r.Friends, 1, 7);
    cells[UserTable::kTwtDay] = TwtDayCell(r, today);
    return cells;
}

std::string ProfileRows::TwtDayCell(const UserSet::Record& r, const SKDFuncs::DateValue& today) {
    std::optional<SKDFuncs::DateValue> created;
    try {
        created = SKDFuncs::ReadDate(SKDFuncs::ToLocalDateTime(r.CreatedAt));
    } catch (const SKDFuncs::ConversionError&) {
    }
    if (!created) return {};  // an unreadable creation date only costs this cell
    const long long days = SKDFuncs::DayNumber(today) - SKDFuncs::DayNumber(*created) + 1;
    if (days == 0) return {};
    return FormatPadded(static_cast<double>(r.StatusCount) / days, 1, 5);
}

}  // namespace marlin
