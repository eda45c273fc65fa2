#include "core/tweet_set.h"

#include <stdexcept>

#include "core/user_set.h"

namespace marlin {

TweetSet::TweetSet(Toolkit& toolkit)
    : m_toolkit(toolkit), m_records(1), m_tweetUser(std::make_unique<UserSet>(toolkit)) {}
TweetSet::~TweetSet() = default;
std::string TweetSet::OldestTweetId(bool) const {
    return {};
}
const TweetSet::Record& TweetSet::At(int index) const {
    if (index < 0 || index > Count()) throw std::out_of_range("tweet index");
    return m_records[index];
}
const TweetSet::Record& TweetSet::Item(int Index) const {
    return At(Index);
}
std::string TweetSet::DateTime(int i) const {
    return At(i).DateTime;
}
std::string TweetSet::ScreenName(int i) const {
    return At(i).ScreenName;
}
std::string TweetSet::Text(int i) const {
    return At(i).Text;
}
std::string TweetSet::TweetID(int i) const {
    return At(i).TweetID;
}
std::string TweetSet::RealName(int i) const {
    return At(i).RealName;
}
std::int32_t TweetSet::Followers(int i) const {
    return At(i).Followers;
}
std::int32_t TweetSet::Following(int i) const {
    return At(i).Following;
}
std::string TweetSet::Location(int i) const {
    return At(i).Location;
}
std::string TweetSet::UTC_Offset(int i) const {
    return std::to_string(At(i).UTC_Offset);
}
std::string TweetSet::GeoCoords(int i) const {
    return At(i).GeoCoords;
}
std::int32_t TweetSet::UserTweets(int) const {
    return 0;
}
std::int32_t TweetSet::Retweeted(int i) const {
    return At(i).Retweeted;
}
std::string TweetSet::LinkURL(int i) const {
    return At(i).LinkURL;
}
std::string TweetSet::Description(int i) const {
    return At(i).Description;
}
void TweetSet::SetData(const std::string&, bool, bool) {}
std::string TweetSet::GetVBDateTime(int) const {
    return {};
}
void TweetSet::SetVBDateTimes() {
    m_vbDateTimes = true;
}
void TweetSet::Clear() {
    m_records.resize(1);
    m_lastSetDataSize = 0;
}
bool TweetSet::TrimToDateRange(const std::string&, std::string&) {
    return false;
}
bool TweetSet::TrimToDateRange(const std::string&, const std::string&) {
    return false;
}
std::vector<std::string> TweetSet::GetUserArr() const {
    return {};
}

}  // namespace marlin
