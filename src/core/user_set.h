#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/yield.h"

namespace marlin {

class JSONDeserializer;

// The user profiles of one or more response pages (users/lookup, friends/list,
// followers/list, or one user object wrapped by the tweet set), and the paging cursor
// of cursored lists. Records are numbered from 1 to Count(); an index outside that
// range gives an empty text, 0 or false.
class UserSet {
  public:
    struct Record {
        std::string CreatedAt;
        std::string Description;
        std::int32_t Favourites = 0;
        std::int32_t Followers = 0;
        std::int32_t Friends = 0;
        bool GeoEnabled = false;
        std::string Id;
        std::string Lang;
        std::int32_t ListedCount = 0;
        std::string Location;
        std::string RealName;
        bool Protected = false;
        std::string ScreenName;
        std::int32_t StatusCount = 0;
        std::string TimeZone;
        std::string URL;
        bool Verified = false;
        std::int32_t UTC_Offset = 0;  // whole hours
        std::string ProfileImage;
        std::string ProfileBanner;
        std::string ProfileBackgroundImage;
    };

    explicit UserSet(Yield yield);

    std::string CreatedAt(int index) const;
    std::string Description(int index) const;
    std::int32_t Favourites(int index) const;
    std::int32_t Followers(int index) const;
    std::int32_t Friends(int index) const;
    bool GeoEnabled(int index) const;
    std::string Id(int index) const;
    std::string Lang(int index) const;
    std::int32_t ListedCount(int index) const;
    std::string Location(int index) const;
    std::string RealName(int index) const;
    bool Protected(int index) const;
    std::string ScreenName(int index) const;
    std::int32_t StatusCount(int index) const;
    std::string TimeZone(int index) const;
    std::string URL(int index) const;
    bool Verified(int index) const;
    std::int32_t UTC_Offset(int index) const;
    std::string ProfileImage(int index) const;
    std::string ProfileBackgroundImage(int index) const;
    std::string ProfileBanner(int index) const;

    int Count() const { return static_cast<int>(m_records.size()) - 1; }
    int LastSetDataSize() const { return m_lastSetDataSize; }
    // "-1" in a new or cleared set, empty after ResetCursor, else the last
    // next_cursor_str read ("0" after the last page).
    std::string NextCursor() const { return m_cursor; }
    void ResetCursor() { m_cursor.clear(); }

    // Adds (Append) or puts (not Append) the users of one response page. An unreadable
    // text changes nothing but LastSetDataSize; a readable one without users shows
    // "JSON response contained no records".
    void SetData(const std::string& JSON, bool Append, bool IgnoreTopLevel);
    void Clear();
    // Keeps records 1..count and drops those after them (a page a loop will not use).
    void KeepFirst(int count);
    // Keeps, in order, the users whose CreatedAt lies within Earliest..Latest (inclusive).
    // An empty Latest becomes now and is written back. True when records were removed.
    // Throws std::logic_error on an empty set and SKDFuncs::ConversionError when a date
    // cannot be read.
    bool TrimToDateRange(const std::string& Earliest, std::string& Latest);
    bool TrimToDateRange(const std::string& Earliest, const std::string& Latest);
    // Puts a tab-separated table of the users (with a header line) on the clipboard.
    void ToClipboard(const std::function<void(const std::string& text)>& replaceClipboard) const;
    // The first user whose ScreenName or Id matches exactly, or 0.
    int FindUserIndex(const std::string& ScreenName, const std::string& UserID) const;

    // The fields a tweet shows of its author (names, location, description, counts and
    // offset) from the user object at `entry` of a tweet page, as a page holding only that
    // user would give them; the other fields stay empty and the set is left as it is.
    Record ReadAuthor(const JSONDeserializer& reader, int entry) const;

    // The whole record (index 1..Count()); an empty record outside that range.
    const Record& Item(int index) const;

    // Where the note that a response held no records goes; the owner decides how it is
    // shown (none: it is dropped).
    void SetNoticeSink(std::function<void(const std::string&)> sink) { m_noticeSink = std::move(sink); }

    // Names, locations and descriptions with every character kept (ExactText) instead of
    // the documented clean-up.
    void SetExactTexts(bool on) { m_exactTexts = on; }

  private:
    std::optional<std::string> PageCursor(const JSONDeserializer& reader, bool hasUsers,
                                          const std::string& JSON) const;
    void FillRecord(Record& record, const JSONDeserializer& reader, int entry) const;
    void FillAuthorFields(Record& record, const JSONDeserializer& reader, int entry) const;

    Yield m_yield;
    bool m_exactTexts = false;
    std::function<void(const std::string&)> m_noticeSink;
    std::vector<Record> m_records;  // slot 0 is an empty record
    int m_lastSetDataSize = 0;
    std::string m_cursor = "-1";
};

}  // namespace marlin
