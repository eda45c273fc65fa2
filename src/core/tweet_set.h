#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/skd_funcs.h"
#include "core/yield.h"

namespace marlin {

class JSONDeserializer;
class UserSet;

// The tweets of one or more response pages, in response order (newest first). Records
// are numbered from 1 to Count(). Index 0 gives an empty text or 0; an index beyond
// Count() (or below 0) throws std::out_of_range.
class TweetSet {
  public:
    // One tweet as the rest of the system sees it; fields in table order.
    struct Record {
        std::string DateTime;
        std::string ScreenName;
        std::string Text;
        std::string TweetID;
        std::string RealName;
        std::int32_t Followers = 0;
        std::int32_t Following = 0;
        std::string Location;
        std::int32_t UTC_Offset = 0;
        std::string GeoCoords;
        std::string UserTweets;
        std::int32_t Retweeted = 0;
        std::string LinkURL;
        std::string Description;
        // The extra columns (ExtraColumns), each cell followed by a TAB, when the set reads
        // them; empty otherwise.
        std::string Extra;
    };

    explicit TweetSet(Yield yield);
    ~TweetSet();
    TweetSet(const TweetSet&) = delete;
    TweetSet& operator=(const TweetSet&) = delete;

    // The number of tweets the last SetData counted (0 when its text was unreadable).
    int LastSetDataSize() const { return m_lastSetDataSize; }
    bool VBDateTimes() const { return m_vbDateTimes; }
    // The TweetID of the last record; with Dec, that id minus one in decimal ("1000"
    // gives "0999"). Empty on an empty set.
    std::string OldestTweetId(bool Dec) const;
    int Count() const { return static_cast<int>(m_records.size()) - 1; }

    std::string DateTime(int Index) const;
    std::string ScreenName(int Index) const;
    std::string Text(int Index) const;
    std::string TweetID(int Index) const;
    std::string RealName(int Index) const;
    std::int32_t Followers(int Index) const;
    std::int32_t Following(int Index) const;
    std::string Location(int Index) const;
    std::string UTC_Offset(int Index) const;  // whole hours, in decimal
    std::string GeoCoords(int Index) const;
    std::int32_t UserTweets(int Index) const;
    std::int32_t Retweeted(int Index) const;
    std::string LinkURL(int Index) const;
    std::string Description(int Index) const;

    // Adds (Append) or puts (not Append) the tweets of one response page. IgnoreTopLevel
    // is true for search pages (an object holding "statuses" and "search_metadata"),
    // false for timeline pages (an array of tweets). An unreadable text changes nothing
    // but LastSetDataSize; a readable one without tweets shows "JSON response contained
    // no records".
    void SetData(const std::string& JSON, bool Append, bool IgnoreTopLevel);

    // The record's DateTime as "dd/mm/yy hh:mm:ss", read from the service layout by
    // position; the stored text itself once SetVBDateTimes has run.
    std::string GetVBDateTime(int Index) const;
    void SetVBDateTimes();
    void Clear();
    // Keeps records 1..count and drops those after them (a page a loop will not use).
    void KeepFirst(int count);
    // Drops, of the records after record `count`, those `drop` picks; the rest keep their order.
    void DropAfter(int count, const std::function<bool(const Record&)>& drop);
    // Keeps, in order, the tweets whose time lies within Earliest..Latest (inclusive,
    // both read as local date-time texts). An empty Latest becomes now and is written
    // back. True when records were removed. A record whose DateTime is not a date is
    // kept. Throws SKDFuncs::ConversionError when a bound is not a date (the records are
    // then unchanged).
    bool TrimToDateRange(const std::string& Earliest, std::string& Latest);
    bool TrimToDateRange(const std::string& Earliest, const std::string& Latest);
    // The records the last trim kept because their DateTime could not be read.
    int UndatedCount() const;
    // Dates outside first..last (local date-times) are taken as unreadable from now on: a
    // post dated before the service existed, or after the capture began, is a date the
    // service got wrong, and read as one it would end a capture at its threshold.
    void SetReadableDates(const SKDFuncs::DateValue& first, const SKDFuncs::DateValue& last);
    // The distinct screen names in order of first appearance. The list is 1-based like
    // the records: slot 0 is empty, slots 1..n hold the names. Throws std::logic_error
    // on an empty set.
    std::vector<std::string> GetUserArr() const;

    // The whole record (Index 1..Count()).
    const Record& Item(int Index) const;

    // Where the note that a response held no records goes; the owner decides how it is
    // shown (none: it is dropped).
    void SetNoticeSink(std::function<void(const std::string&)> sink) { m_noticeSink = std::move(sink); }

    // Texts as the service sent them: "full_text" where the page has it (a request in
    // tweet_mode=extended), every character kept (ExactText), for the tweet's author too.
    void SetExactTexts(bool on);
    bool ExactTexts() const { return m_exactTexts; }

    // The records of one page read elsewhere (the v2 dialect's answers), taken as SetData
    // takes those of a page it reads: an unreadable page changes nothing but
    // LastSetDataSize, a readable one without records shows the note.
    struct Page {
        bool readable = false;
        std::vector<Record> records;
    };
    void SetPage(Page page, bool Append);

    // Whether each tweet also gets its extra columns (Record::Extra): its conversation, the
    // post and user it replies to, the post it quotes or reposts, and its counts.
    void SetExtraFields(bool on) { m_extraFields = on; }
    bool ExtraFields() const { return m_extraFields; }

  private:
    const Record& At(int index) const;
    void FillPage(const JSONDeserializer& reader, int oldCount);
    void FillTweet(Record& record, const JSONDeserializer& reader, int entry);
    void FillUser(Record& record, const JSONDeserializer& reader, int entry);
    static std::string ExtraCells(const JSONDeserializer& reader, int entry);
    std::string ExactTweetText(const JSONDeserializer& reader, int entry) const;

    Yield m_yield;
    std::function<void(const std::string&)> m_noticeSink;
    std::vector<Record> m_records;  // slot 0 is an empty record
    int m_lastSetDataSize = 0;
    bool m_exactTexts = false;
    bool m_extraFields = false;
    bool m_vbDateTimes = false;
    std::unique_ptr<UserSet> m_tweetUser;  // parses the user object of each tweet
    // The DateTime of records 1..m_timesRead read as dates (slot i for record i). A
    // retrieval trims the whole set after every page; reading every date text again each
    // time made a long retrieval quadratic. Pages only add records at the end, so what was
    // read stays right until Clear or SetVBDateTimes rewrites the records.
    std::vector<std::optional<SKDFuncs::DateValue>> m_times;  // empty: unreadable
    int m_timesRead = 0;
    // Records 1..m_trimmedThrough were all kept by the last trim, whose bounds these are.
    std::string m_trimEarliest;
    std::string m_trimLatest;
    int m_trimmedThrough = 0;
    std::optional<SKDFuncs::DateValue> m_firstReadable;
    std::optional<SKDFuncs::DateValue> m_lastReadable;
};

}  // namespace marlin
