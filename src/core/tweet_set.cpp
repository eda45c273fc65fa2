#include "core/tweet_set.h"

#include "core/exact_text.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <unordered_set>

#include "core/json_deserializer.h"
#include "core/record_page.h"
#include "core/skd_funcs.h"
#include "core/user_set.h"

namespace marlin {

namespace {

std::optional<SKDFuncs::DateValue> ReadRecordDate(const std::string& dateTime) {
    try {
        return SKDFuncs::ToDate(SKDFuncs::ToLocalDateTime(dateTime));
    } catch (const SKDFuncs::ConversionError&) {
        return std::nullopt;
    }
}

// A tweet's whole text from its own text: "full_text" in tweet_mode=extended, else "text".
std::optional<std::string> WholeText(const std::string& own) {
    std::optional<std::string> text = ExactText::StringElement(own, "full_text");
    if (!text) text = ExactText::StringElement(own, "text");
    return text;
}

// The entry's direct child of that name, or 0.
int ChildNamed(const JSONDeserializer& reader, int entry, std::string_view name) {
    const int last = reader.LastChild(entry);
    for (int k = entry + 1; k <= last; ++k)
        if (reader.ObjectParent(k) == entry && reader.ObjectNameIs(k, name)) return k;
    return 0;
}

// The service cuts a retweet's own text to the classic length ("RT @name: " and the start
// of the original, ending in "…") even in tweet_mode=extended, while the whole original
// comes with it: a retweet's exact text is built from that. Nothing when it is no retweet
// or the original lacks its author or text.
std::optional<std::string> WholeRetweetText(const JSONDeserializer& reader, int entry) {
    const int original = ChildNamed(reader, entry, "retweeted_status");
    const int author = original > 0 ? ChildNamed(reader, original, "user") : 0;
    if (author == 0) return std::nullopt;
    const std::optional<std::string> name = ExactText::StringElement(reader.OwnText(author), "screen_name");
    const std::optional<std::string> text = WholeText(reader.OwnText(original));
    if (!name || !text) return std::nullopt;
    return "RT @" + *name + ": " + *text;
}

std::string Mid(const std::string& s, std::size_t start, std::size_t length) {
    if (start < 1 || start > s.size()) return {};
    return s.substr(start - 1, length);
}

void CopyUser(TweetSet::Record& r, const UserSet::Record& user) {
    r.ScreenName = user.ScreenName;
    r.RealName = user.RealName;
    r.Followers = user.Followers;
    r.Following = user.Friends;
    r.Location = user.Location;
    r.UTC_Offset = user.UTC_Offset;
    r.UserTweets = std::to_string(user.StatusCount);
    r.Description = user.Description;
}

}  // namespace

TweetSet::TweetSet(Yield yield)
    : m_yield(yield), m_records(1), m_tweetUser(std::make_unique<UserSet>(yield)) {}

TweetSet::~TweetSet() = default;

const TweetSet::Record& TweetSet::At(int index) const {
    if (index < 0 || index > Count()) {
        throw std::out_of_range("tweet index " + std::to_string(index) + " outside 0.." +
                                std::to_string(Count()));
    }
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
std::int32_t TweetSet::UserTweets(int i) const {
    return SKDFuncs::RoundHalfEven(SKDFuncs::LeadingNumber(At(i).UserTweets));
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

std::string TweetSet::OldestTweetId(bool Dec) const {
    if (Count() == 0) return {};
    std::string id = m_records[Count()].TweetID;
    if (!Dec) return id;
    // Ids are decimal texts too long for a number: subtract one digit by digit.
    const std::size_t last = id.find_last_not_of('0');
    if (last == std::string::npos) return id;  // nothing below zero to go to
    id[last] = static_cast<char>(id[last] - 1);
    for (std::size_t k = last + 1; k < id.size(); ++k) id[k] = '9';
    return id;
}

void TweetSet::SetData(const std::string& JSON, bool Append, bool IgnoreTopLevel) {
    JSONDeserializer reader(m_yield);
    const int tweets = RecordPage::Count(reader, JSON, IgnoreTopLevel).value_or(-1);
    if (tweets >= 0 && !Append) Clear();
    m_lastSetDataSize = std::max(tweets, 0);
    if (tweets < 0) return;  // unreadable as a page of tweets
    if (tweets == 0) {
        RecordPage::ReportEmpty(m_noticeSink);
        return;
    }

    const int oldCount = Count();
    m_records.resize(m_records.size() + tweets);
    try {
        FillPage(reader, oldCount);
    } catch (...) {
        // A page that could not be read whole (memory ran out) adds nothing, so that a
        // retried page is not added on top of a half-filled one.
        KeepFirst(oldCount);
        m_lastSetDataSize = 0;
        throw;
    }
}

void TweetSet::SetPage(Page page, bool Append) {
    const int tweets = page.readable ? static_cast<int>(page.records.size()) : -1;
    if (tweets >= 0 && !Append) Clear();
    m_lastSetDataSize = std::max(tweets, 0);
    if (tweets < 0) return;
    if (tweets == 0) {
        RecordPage::ReportEmpty(m_noticeSink);
        return;
    }
    for (Record& record : page.records) {
        m_records.push_back(std::move(record));
        m_yield();
    }
}

void TweetSet::FillPage(const JSONDeserializer& reader, int oldCount) {
    const int entries = reader.ObjectCount();
    int i = oldCount;
    for (int k = 1; k <= entries; ++k) {
        const std::uint8_t level = reader.ObjectLevel(k);
        if (level == 1) {
            // In a search page the search_metadata object after the statuses ends the walk.
            if (++i > Count()) break;
            FillTweet(m_records[i], reader, k);
        } else if (i > oldCount && level == 2 && reader.ObjectNameIs(k, "user")) {
            FillUser(m_records[i], reader, k);
        } else if (i > oldCount && level == 3 && reader.ObjectNameIs(k, "urls")) {
            // The tweet's own links; those of a retweeted or quoted tweet lie deeper.
            m_records[i].LinkURL =
                SKDFuncs::ReplaceEscapes(reader.GetElementInObject(k, "expanded_url"), m_yield);
        }
        m_yield();
    }
}

void TweetSet::FillTweet(Record& r, const JSONDeserializer& reader, int entry) {
    // Searches stay within the tweet's braces: the first tweet of a search page would
    // otherwise find a key it lacks in the tweets after it.
    // No text of a record may hold a control character (a TAB or line break would shift or
    // split the table's row); ReplaceEscapes blanks them in the texts it cleans.
    auto element = [&](const char* name) {
        return SKDFuncs::BlankControlCharacters(reader.GetElementWithinObject(entry, name));
    };
    r.DateTime = element("created_at");
    r.Text = m_exactTexts ? ExactTweetText(reader, entry)
                          : SKDFuncs::ReplaceEscapes(reader.GetTextWithinObject(entry, "text"), m_yield);
    r.TweetID = element("id_str");
    // The first "coordinates" is that of the geo object (latitude first) when present.
    r.GeoCoords = element("coordinates");
    // A quoted tweet (with a count of its own) comes before the tweet's own count, which
    // is always the last in the tweet's text.
    r.Retweeted = SKDFuncs::RoundHalfEven(
        SKDFuncs::LeadingNumber(reader.GetLastElementInObject(entry, "retweet_count")));
    if (m_extraFields) r.Extra = ExtraCells(reader, entry);
}

std::string TweetSet::ExtraCells(const JSONDeserializer& reader, int entry) {
    // An id the service gives as null is no id; the nested objects (the user, a reposted
    // or quoted post) come after the post's own fields, whose first occurrence is its own.
    // The counts close the post, after every nested object: the last of each is the post's.
    auto cell = [](std::string value) {
        if (value == "null") value.clear();
        return SKDFuncs::BlankControlCharacters(value) + '\t';
    };
    const int reposted = ChildNamed(reader, entry, "retweeted_status");
    std::string cells;
    cells += cell(reader.GetElementWithinObject(entry, "conversation_id"));
    cells += cell(reader.GetElementWithinObject(entry, "in_reply_to_status_id_str"));
    cells += cell(reader.GetElementWithinObject(entry, "in_reply_to_user_id_str"));
    cells += cell(reader.GetElementWithinObject(entry, "quoted_status_id_str"));
    // v1.1 nests the reposted post; a v2 page names it (retweeted_status_id_str).
    std::string repostedId = reposted > 0 ? reader.GetElementWithinObject(reposted, "id_str") : std::string();
    if (repostedId.empty()) repostedId = reader.GetElementWithinObject(entry, "retweeted_status_id_str");
    cells += cell(repostedId);
    for (const char* count : {"reply_count", "retweet_count", "quote_count", "favorite_count"})
        cells += cell(reader.GetLastElementInObject(entry, count));
    return cells;
}

void TweetSet::SetExactTexts(bool on) {
    m_exactTexts = on;
    m_tweetUser->SetExactTexts(on);
}

std::string TweetSet::ExactTweetText(const JSONDeserializer& reader, int entry) const {
    if (std::optional<std::string> retweet = WholeRetweetText(reader, entry)) return *retweet;
    // The tweet's own text: the texts of a retweeted or quoted tweet are its children's.
    return WholeText(reader.OwnText(entry)).value_or(std::string());
}

void TweetSet::FillUser(Record& r, const JSONDeserializer& reader, int entry) {
    if (reader.ObjectClosed(entry)) {
        CopyUser(r, m_tweetUser->ReadAuthor(reader, entry));
        return;
    }
    // A page cut off inside the user object: its text runs to the page's end, and read as
    // a page of its own it is closed where that page's braces close it.
    m_tweetUser->Clear();
    m_tweetUser->SetData("{\"Users\":[{" + reader.ObjectText(entry) + "}]}", false, true);
    CopyUser(r, m_tweetUser->Item(1));
}

std::string TweetSet::GetVBDateTime(int Index) const {
    const Record& r = At(Index);
    if (m_vbDateTimes || r.DateTime.empty()) return r.DateTime;
    const std::string& d = r.DateTime;  // "Wed Aug 27 13:08:45 +0000 2008"
    return Mid(d, 9, 2) + "/" + SKDFuncs::MonthNumber(Mid(d, 5, 3)) + "/" + Mid(d, 29, 2) + " " +
           Mid(d, 12, 2) + ":" + Mid(d, 15, 2) + ":" + Mid(d, 18, 2);
}

void TweetSet::SetVBDateTimes() {
    for (int i = 1; i <= Count(); ++i) m_records[i].DateTime = GetVBDateTime(i);
    m_timesRead = 0;
    m_trimmedThrough = 0;
    m_vbDateTimes = true;
}

void TweetSet::Clear() {
    m_records.resize(1);
    m_lastSetDataSize = 0;
    m_times.clear();
    m_timesRead = 0;
    m_trimmedThrough = 0;
}

int TweetSet::UndatedCount() const {
    int undated = 0;
    for (int i = 1; i <= m_timesRead; ++i) undated += m_times[i] ? 0 : 1;
    return undated;
}

void TweetSet::SetReadableDates(const SKDFuncs::DateValue& first, const SKDFuncs::DateValue& last) {
    m_firstReadable = first;
    m_lastReadable = last;
    m_timesRead = 0;  // read again within the new bounds
    m_trimmedThrough = 0;
}

void TweetSet::KeepFirst(int count) {
    if (count < 0 || count >= Count()) return;
    m_records.resize(static_cast<std::size_t>(count) + 1);
    m_timesRead = std::min(m_timesRead, count);
    m_trimmedThrough = std::min(m_trimmedThrough, count);
}

void TweetSet::DropAfter(int count, const std::function<bool(const Record&)>& drop) {
    if (count < 0 || count >= Count()) return;
    const auto first = m_records.begin() + count + 1;
    m_records.erase(std::remove_if(first, m_records.end(), drop), m_records.end());
    m_timesRead = std::min(m_timesRead, count);
    m_trimmedThrough = std::min(m_trimmedThrough, count);
}

bool TweetSet::TrimToDateRange(const std::string& Earliest, std::string& Latest) {
    if (Latest.empty()) Latest = SKDFuncs::FormatLocalDateTime(SKDFuncs::Now());
    if (Count() == 0) return false;
    const SKDFuncs::DateValue earliest = SKDFuncs::ToDate(Earliest);
    const SKDFuncs::DateValue latest = SKDFuncs::ToDate(Latest);
    // Every date is read before anything is dropped. A record whose date cannot be read
    // is kept: one odd tweet must not cost the retrieval its other records.
    std::vector<bool> keep(m_records.size(), false);
    m_times.resize(m_records.size());
    for (int i = m_timesRead + 1; i <= Count(); ++i) {
        m_times[i] = ReadRecordDate(m_records[i].DateTime);
        if (m_times[i] && ((m_firstReadable && *m_times[i] < *m_firstReadable) ||
                           (m_lastReadable && *m_lastReadable < *m_times[i])))
            m_times[i].reset();
        m_timesRead = i;
    }
    // The records a trim by the same bounds kept before stay kept: a retrieval trims after
    // every page by the same bounds, and only the new page needs a look.
    const bool sameBounds = Earliest == m_trimEarliest && Latest == m_trimLatest;
    const int known = sameBounds ? std::min(m_trimmedThrough, Count()) : 0;
    m_trimEarliest = Earliest;
    m_trimLatest = Latest;
    bool keepAll = true;
    for (int i = 1; i <= Count(); ++i) {
        keep[i] = i <= known || !m_times[i] || (earliest <= *m_times[i] && *m_times[i] <= latest);
        keepAll = keepAll && keep[i];
    }
    if (keepAll) {
        m_trimmedThrough = Count();
        return false;
    }
    const int oldCount = Count();
    std::vector<Record> kept(1);
    std::vector<std::optional<SKDFuncs::DateValue>> keptTimes(1);
    kept.reserve(m_records.size());
    keptTimes.reserve(m_records.size());
    for (int i = 1; i <= oldCount; ++i) {
        if (!keep[i]) continue;
        kept.push_back(std::move(m_records[i]));
        keptTimes.push_back(m_times[i]);
    }
    m_times = std::move(keptTimes);
    m_timesRead = static_cast<int>(kept.size()) - 1;
    m_records = std::move(kept);
    m_trimmedThrough = Count();
    return Count() != oldCount;
}

bool TweetSet::TrimToDateRange(const std::string& Earliest, const std::string& Latest) {
    std::string latest = Latest;
    return TrimToDateRange(Earliest, latest);
}

std::vector<std::string> TweetSet::GetUserArr() const {
    if (Count() == 0) throw std::logic_error("GetUserArr on an empty tweet set");
    std::vector<std::string> names(1);
    std::unordered_set<std::string> seen;
    for (int i = 1; i <= Count(); ++i) {
        if (seen.insert(m_records[i].ScreenName).second) names.push_back(m_records[i].ScreenName);
    }
    return names;
}

}  // namespace marlin
