#include "workspace/tables/user_table.h"

namespace marlin {

const std::array<const char*, UserTable::kColumnCount> UserTable::kHeaders = {
    "ID",         "ScreenName",  "RealName",     "Description", "URL",        "Language",    "Location",
    "GeoEnabled", "TimeZone",    "UTC_Offset",   "Followers",   "Friends",    "StatusCount", "Favourites",
    "CreatedAt",  "Verified",    "Protected",    "Image",       "Banner",     "Background",  "FF Ratio",
    "TwtDay",     "Prf_TwtSamp", "Prf_BDayTwts", "Prf_Gender",  "Prf_Age",    "Prf_Conf",    "TL_TwtDay",
    "TL_PctRT",   "TL_AvRT",     "TL_PctGeo",    "Tw_NoTwts",   "Tw_AvSent+", "Tw_AvSent-",  "Tw_PctRT",
    "Tw_AvRT",    "Tw_MaxRT"};

void UserTable::CreateColumns(ReportList& rows) {
    // Numbers and flags sit on the right, texts on the left.
    static constexpr std::array<bool, kColumnCount> kRight = {
        false, false, false, false, false, false, false, true, false, true,  true,  true, true,
        true,  true,  true,  true,  false, false, false, true, true,  false, false, true, true,
        true,  true,  true,  true,  true,  true,  true,  true, true,  true,  true};
    rows.ClearColumns();
    for (int k = 0; k < kColumnCount; ++k)
        rows.AddColumn(kHeaders[k], 1000, kRight[k] ? Alignment::Right : Alignment::Left);
    rows.SetCheckBoxes(true);
}

}  // namespace marlin
