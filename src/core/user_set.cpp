#include "core/user_set.h"

#include "core/json_deserializer.h"

namespace marlin {

UserSet::UserSet(Toolkit& toolkit) : m_toolkit(toolkit), m_records(1) {}
const UserSet::Record& UserSet::Item(int index) const {
    return (index < 1 || index > Count()) ? m_records[0] : m_records[index];
}
std::string UserSet::CreatedAt(int i) const {
    return Item(i).CreatedAt;
}
std::string UserSet::Description(int i) const {
    return Item(i).Description;
}
std::int32_t UserSet::Favourites(int i) const {
    return Item(i).Favourites;
}
std::int32_t UserSet::Followers(int i) const {
    return Item(i).Followers;
}
std::int32_t UserSet::Friends(int i) const {
    return Item(i).Friends;
}
bool UserSet::GeoEnabled(int i) const {
    return Item(i).GeoEnabled;
}
std::string UserSet::Id(int i) const {
    return Item(i).Id;
}
std::string UserSet::Lang(int i) const {
    return Item(i).Lang;
}
std::int32_t UserSet::ListedCount(int i) const {
    return Item(i).ListedCount;
}
std::string UserSet::Location(int i) const {
    return Item(i).Location;
}
std::string UserSet::RealName(int i) const {
    return Item(i).RealName;
}
bool UserSet::Protected(int i) const {
    return Item(i).Protected;
}
std::string UserSet::ScreenName(int i) const {
    return Item(i).ScreenName;
}
std::int32_t UserSet::StatusCount(int i) const {
    return Item(i).StatusCount;
}
std::string UserSet::TimeZone(int i) const {
    return Item(i).TimeZone;
}
std::string UserSet::URL(int i) const {
    return Item(i).URL;
}
bool UserSet::Verified(int i) const {
    return Item(i).Verified;
}
std::int32_t UserSet::UTC_Offset(int i) const {
    return Item(i).UTC_Offset;
}
std::string UserSet::ProfileImage(int i) const {
    return Item(i).ProfileImage;
}
std::string UserSet::ProfileBackgroundImage(int i) const {
    return Item(i).ProfileBackgroundImage;
}
std::string UserSet::ProfileBanner(int i) const {
    return Item(i).ProfileBanner;
}
void UserSet::SetData(const std::string&, bool, bool) {}
void UserSet::Clear() {
    m_records.resize(1);
    m_lastSetDataSize = 0;
    m_cursor = "-1";
}
bool UserSet::TrimToDateRange(const std::string&, std::string&) {
    return false;
}
bool UserSet::TrimToDateRange(const std::string&, const std::string&) {
    return false;
}
void UserSet::ToClipboard() {}
int UserSet::FindUserIndex(const std::string&, const std::string&) const {
    return 0;
}
void UserSet::FillRecord(Record&, const JSONDeserializer&, int) const {}

}  // namespace marlin
