#include "core/user_set.h"

#include "core/exact_text.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>
#include <stdexcept>

#include "core/json_deserializer.h"
#include "core/record_page.h"
#include "core/skd_funcs.h"

namespace marlin {

namespace {

// A search that skips ahead: the page is full of the cursor's first letter.
bool Contains(std::string_view text, std::string_view needle) {
    const std::boyer_moore_horspool_searcher searcher(needle.begin(), needle.end());
    return std::search(text.begin(), text.end(), searcher) != text.end();
}

std::string WithoutBackslashes(std::string text) {
    std::erase(text, '\\');
    return SKDFuncs::BlankControlCharacters(std::move(text));
}

std::int32_t Number(const std::string& text) {
    return SKDFuncs::RoundHalfEven(SKDFuncs::LeadingNumber(text));
}

// "true" or "false" read as a Boolean; anything else (null) leaves the field as it is.
void ReadBoolean(const std::string& text, bool& field) {
    std::string lower = text;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "true") {
        field = true;
    } else if (lower == "false") {
        field = false;
    }
}

const char* TrueFalse(bool value) {
    return value ? "True" : "False";
}

// A url object of the profile's own website (entities.url.urls). Links in the
// description (entities.description.urls) are not the website, and other objects four
// levels down belong to the user's latest status (its entities, a retweeted tweet).
bool IsProfileLink(const JSONDeserializer& reader, int entry, int userEntry) {
    const int group = reader.ObjectParent(entry);
    if (group < 1 || reader.ObjectLevel(group) != 3 || !reader.ObjectNameIs(group, "url")) return false;
    const int entities = reader.ObjectParent(group);
    return entities >= 1 && reader.ObjectLevel(entities) == 2 && reader.ObjectNameIs(entities, "entities") &&
           reader.ObjectParent(entities) == userEntry;
}

}  // namespace

UserSet::UserSet(Yield yield) : m_yield(std::move(yield)), m_records(1) {}

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

void UserSet::SetData(const std::string& JSON, bool Append, bool IgnoreTopLevel) {
    JSONDeserializer reader(m_yield);
    const int users = RecordPage::Count(reader, JSON, IgnoreTopLevel).value_or(-1);
    if (users >= 0 && !Append) Clear();
    m_lastSetDataSize = std::max(users, 0);
    if (users < 0) return;  // unreadable as a page of users
    // The cursor of a readable page counts even when the page holds no users: the last
    // page of an account without followers says "0", and a list that kept asking for the
    // first page again would never end.
    if (Contains(JSON, "next_cursor_str")) {
        if (auto cursor = PageCursor(reader, users > 0, JSON))
            m_cursor = SKDFuncs::BlankControlCharacters(std::move(*cursor));
    }
    if (users == 0) {
        RecordPage::ReportEmpty(m_noticeSink);
        return;
    }

    const int oldCount = Count();
    m_records.resize(m_records.size() + users);
    const int entries = reader.ObjectCount();
    int i = oldCount;
    int userEntry = 0;
    for (int k = 1; k <= entries; ++k) {
        const std::uint8_t level = reader.ObjectLevel(k);
        if (level == 1) {
            if (++i > Count()) break;
            userEntry = k;
            FillRecord(m_records[i], reader, k);
        } else if (level == 4 && i > oldCount && IsProfileLink(reader, k, userEntry)) {
            // The last url object under the user's entities wins.
            m_records[i].URL = WithoutBackslashes(reader.GetElementInObject(k, "expanded_url"));
        }
        m_yield();
    }
}

// With IgnoreTopLevel the own text of entry 1 runs to the end of the response, so it
// holds the cursor that follows the users array. A page without users has no entry 1;
// its cursor is then read from the outermost object.
std::optional<std::string> UserSet::PageCursor(const JSONDeserializer& reader, bool hasUsers,
                                               const std::string& JSON) const {
    std::vector<std::string> slots;
    if (hasUsers) {
        slots = reader.GetAllElementsInObject(1, "next_cursor_str");
    } else {
        JSONDeserializer whole(m_yield);
        if (whole.ReadBorrowed(JSON, false)) slots = whole.GetAllElementsInObject(1, "next_cursor_str");
    }
    if (slots.size() < 2) return std::nullopt;
    return std::move(slots[1]);
}

UserSet::Record UserSet::ReadAuthor(const JSONDeserializer& reader, int entry) const {
    Record r;
    FillAuthorFields(r, reader, entry);
    return r;
}

// Within the user's own braces: the first user of a page read with IgnoreTopLevel would
// otherwise find a key it lacks (profile_banner_url) in the users after it. No text of a
// record may hold a control character (a TAB or line break would shift or split the
// table's row), whether it passes through ReplaceEscapes or not.
void UserSet::FillRecord(Record& r, const JSONDeserializer& reader, int entry) const {
    auto element = [&](const char* name) {
        return SKDFuncs::BlankControlCharacters(reader.GetElementWithinObject(entry, name));
    };
    r.CreatedAt = element("created_at");
    r.Id = element("id_str");
    FillAuthorFields(r, reader, entry);
    r.URL = WithoutBackslashes(element("url"));
    ReadBoolean(element("protected"), r.Protected);
    r.Favourites = Number(element("favourites_count"));
    r.TimeZone = element("time_zone");
    ReadBoolean(element("geo_enabled"), r.GeoEnabled);
    ReadBoolean(element("verified"), r.Verified);
    r.ListedCount = Number(element("listed_count"));
    r.Lang = element("lang");
    // Without "_normal" the address is that of the full-size image.
    std::string image = element("profile_image_url");
    for (std::size_t at; (at = image.find("_normal")) != std::string::npos;) image.erase(at, 7);
    r.ProfileImage = WithoutBackslashes(image);
    r.ProfileBackgroundImage = WithoutBackslashes(element("profile_background_image_url"));
    r.ProfileBanner = WithoutBackslashes(element("profile_banner_url")) + "/web";
}

void UserSet::FillAuthorFields(Record& r, const JSONDeserializer& reader, int entry) const {
    auto element = [&](const char* name) {
        return SKDFuncs::BlankControlCharacters(reader.GetElementWithinObject(entry, name));
    };
    auto text = [&](const char* name) {
        return SKDFuncs::ReplaceEscapes(reader.GetTextWithinObject(entry, name), m_yield);
    };
    r.RealName = text("name");
    r.ScreenName = element("screen_name");
    r.Location = text("location");
    r.Description = text("description");
    if (m_exactTexts) {
        const std::string own = reader.OwnText(entry);
        r.RealName = ExactText::StringElement(own, "name").value_or(std::string());
        r.Location = ExactText::StringElement(own, "location").value_or(std::string());
        r.Description = ExactText::StringElement(own, "description").value_or(std::string());
    }
    r.Followers = Number(element("followers_count"));
    r.Friends = Number(element("friends_count"));
    r.UTC_Offset = SKDFuncs::RoundHalfEven(SKDFuncs::LeadingNumber(element("utc_offset")) / 3600.0);
    r.StatusCount = Number(element("statuses_count"));
}

void UserSet::Clear() {
    m_records.resize(1);
    m_lastSetDataSize = 0;
    m_cursor = "-1";
}

void UserSet::KeepFirst(int count) {
    if (count < 0 || count >= Count()) return;
    m_records.resize(static_cast<std::size_t>(count) + 1);
}

bool UserSet::TrimToDateRange(const std::string& Earliest, std::string& Latest) {
    if (Latest.empty()) Latest = SKDFuncs::FormatLocalDateTime(SKDFuncs::Now());
    if (Count() == 0) throw std::logic_error("TrimToDateRange on an empty user set");
    const SKDFuncs::DateValue earliest = SKDFuncs::ToDate(Earliest);
    const SKDFuncs::DateValue latest = SKDFuncs::ToDate(Latest);
    // Every date is read before anything is dropped, so a bad one changes nothing.
    std::vector<bool> keep(m_records.size(), false);
    for (int i = 1; i <= Count(); ++i) {
        const SKDFuncs::DateValue t = SKDFuncs::ToDate(SKDFuncs::ToLocalDateTime(m_records[i].CreatedAt));
        keep[i] = earliest <= t && t <= latest;
    }
    const int oldCount = Count();
    std::vector<Record> kept(1);
    for (int i = 1; i <= oldCount; ++i) {
        if (keep[i]) kept.push_back(std::move(m_records[i]));
    }
    m_records = std::move(kept);
    return Count() != oldCount;
}

bool UserSet::TrimToDateRange(const std::string& Earliest, const std::string& Latest) {
    std::string latest = Latest;
    return TrimToDateRange(Earliest, latest);
}

void UserSet::ToClipboard(const std::function<void(const std::string& text)>& replaceClipboard) const {
    std::string text =
        "UserId\tScreenName\tRealName\tDescription\tCreatedAt\tFollowers\tFriends\tFavourites\tStatusCount\t"
        "Location\tUTC_Offset\tGeoEnabled\tLanguage\tProfileImage\tVerified\r\n";
    for (int i = 1; i <= Count(); ++i) {
        const Record& r = m_records[i];
        text += r.Id + '\t' + r.ScreenName + '\t' + r.RealName + '\t' + r.Description + '\t' + r.CreatedAt +
                '\t' + std::to_string(r.Followers) + '\t' + std::to_string(r.Friends) + '\t' +
                std::to_string(r.Favourites) + '\t' + std::to_string(r.StatusCount) + '\t' + r.Location +
                '\t' + std::to_string(r.UTC_Offset) + '\t' + TrueFalse(r.GeoEnabled) + '\t' + r.Lang + '\t' +
                r.ProfileImage + '\t' + TrueFalse(r.Verified) + "\r\n";
    }
    replaceClipboard(text);
}

int UserSet::FindUserIndex(const std::string& ScreenName, const std::string& UserID) const {
    for (int i = 1; i <= Count(); ++i) {
        if (m_records[i].ScreenName == ScreenName || m_records[i].Id == UserID) return i;
    }
    return 0;
}

}  // namespace marlin
