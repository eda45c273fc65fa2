#pragma once

#include <cstdint>
#include <ctime>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/tweet_set.h"
#include "core/v2_page.h"
#include "service/translated_records.h"

namespace marlin {

// Turns answers of the service's v2 API into the pages v1.1 gives for the same posts and
// users, so the record sets read them as they read v1.1 and every record comes out the
// same. Only what the record sets read is written, in the order v1.1 writes it, and every
// value is copied as the service sent it (the same escapes, the same digits). A field v2
// does not carry is written as v1.1 writes an absent value (null).
//
// Every value is read by the type the service documents for it: a value of another type
// is never copied (a JSON object pasted where a text belongs would add members, even
// records, to the page) but left out as absent, and an entry of `data` that is not an
// object is no post. Each such value is counted by kind (SkippedKinds).
class V2Translator {
  public:
    struct Count {
        std::string date;  // yyyy-mm-dd
        int64_t posts = 0;
    };
    // One entry of the partial errors of a page: what could not be given (a requested post, a
    // referenced one) and the service's reason.
    struct PartialError {
        std::string value;  // the id or name concerned
        std::string title;  // "Not Found Error", "Authorization Error"
        std::string detail;
    };

    // reading: PerObject reads the answer as it always was, object by object (the reference
    // the whole-body reading is held to).
    explicit V2Translator(V2Page::Reading reading = V2Page::Reading::Indexed) : m_page(reading) {}

    // A page of posts: a search page ({"statuses":[…],"search_metadata":{…}}) or a timeline
    // page ([…]). Nothing when the body is not a JSON object.
    std::optional<std::string> TweetPage(std::string_view body, bool searchLayout);
    // The records TweetSet::SetData takes from TweetPage's page, made without writing it and
    // reading it again (exactTexts: as a set that keeps texts exactly reads them). Nothing
    // when that page has to be read after all: the body is no JSON object, or a post would
    // meet one of the reader's odd corners (TranslatedRecords). Everything else this class
    // tells of the last page read is told as after TweetPage.
    std::optional<TweetSet::Page> TweetRecords(std::string_view body, bool searchLayout, bool exactTexts);
    // A page of users: a look-up page ([…]) or a list page ({"users":[…],"next_cursor_str":…},
    // the cursor being the v2 pagination token, "0" after the last page).
    std::optional<std::string> UserPage(std::string_view body, bool listLayout);
    // The days of a count answer; the next page's token goes to nextToken ("" at the end).
    // Nothing when the body is not a JSON object; a day whose count is not a whole number
    // from 0 to kMaxDayPosts makes the answer unreadable, *problem saying why.
    std::optional<std::vector<Count>> Counts(std::string_view body, std::string& nextToken,
                                             std::string* problem = nullptr);
    // More posts than the service has ever had in a day, by orders of magnitude; a sum of
    // such days over any span the counts reach cannot overflow.
    static constexpr int64_t kMaxDayPosts = 10'000'000'000;
    // The id of a user answer (GET /2/users/by/username/…); empty when it holds none.
    std::string UserId(std::string_view body);

    // The partial errors of the last page read, one line per kind: "3 x Not Found Error (tweet)".
    const std::vector<std::string>& ErrorKinds() const { return m_errorKinds; }
    // The values of the last page left out for their type, one line per kind:
    // "2 x created_at given as an object, not a text".
    std::vector<std::string> SkippedKinds() const;
    // Why the last page of a paged list (search, timeline, follower list) cannot be taken:
    // `data` that is not a list, no `data` and no `meta`, or no readable record while
    // `meta.next_token` says more follow. Nothing for a good page, the last one included.
    // accountErrors: a page of only errors is the service's word on the account asked
    // for (a protected or suspended one), not a page gone wrong.
    std::optional<std::string> ListPageProblem(bool accountErrors);
    // The last page's meta.next_token is there but is not a text: the paging cannot go on.
    bool NextTokenUnreadable() const { return m_tokenUnreadable; }
    // The partial errors of the last page read, each whole.
    std::vector<PartialError> PartialErrors();
    // The meta.next_token of the last page read; empty after the last page and when it is
    // not a text (NextTokenUnreadable then says so).
    std::string NextToken();
    // Whether the posts written also carry what the extra columns of the Tweets table read:
    // conversation_id, in_reply_to_status_id_str, in_reply_to_user_id_str,
    // quoted_status_id_str, retweeted_status_id_str, reply_count, quote_count and
    // favorite_count. Off, a page is written as it always was.
    void SetExtraFields(bool on) { m_extraFields = on; }
    // The ids of the posts the last TweetPage wrote, in order (views into the page read).
    const std::vector<std::string_view>& PostIds() const { return m_postIds; }
    // What an error answer says: "title: detail" and the messages of its errors; empty
    // when the body says nothing readable.
    std::string ErrorAnswer(std::string_view body);

    // "2026-12-09T08:28:09.000Z" as the v1.1 service time "Wed Dec 09 08:28:09 +0000 2026";
    // a text that is not such a time stays as it is.
    static std::string ServiceTime(std::string_view iso);
    // Seconds since 1970 UTC as "2026-12-09T08:28:09Z".
    static std::string IsoTime(std::time_t utcSeconds);
    // A decimal id plus one, of any length ("0999" gives "1000").
    static std::string IdPlusOne(const std::string& id);
    // A raw JSON value in the form v1.1 sends it: in a string "/" as "\/" and every
    // character beyond ASCII as \u escapes (a pair of them beyond the first plane), the
    // escapes v2 sent kept as they are; any other value as it stands.
    static void AppendV11(std::string& out, std::string_view value);

  private:
    using Type = V2Page::Type;

    bool Read(std::string_view body);
    // The named fields of an object, each kept only when it has the type given beside it.
    std::vector<std::string_view> Fields(std::string_view object,
                                         std::initializer_list<std::string_view> names,
                                         std::initializer_list<Type> types);
    // The value when it has the type wanted; otherwise counted as skipped and empty.
    std::string_view Typed(std::string_view value, Type wanted, std::string_view name);
    void Skip(std::string_view name, Type type, Type wanted);
    // The raw meta.next_token, read and checked once a page.
    std::string_view TokenValue();
    int WrittenRecords() const { return m_written; }
    // The values a post or user of the v1.1 page is written from, their types checked.
    TranslatedRecords::Post GatherPost(std::string_view post);
    TranslatedRecords::User GatherUser(std::string_view user);
    std::vector<TranslatedRecords::Url> GatherUrls(std::string_view urls, bool skipMedia);
    void GatherGeo(TranslatedRecords::Post& post, std::string_view geo);
    void GatherRetweeted(TranslatedRecords::Post& post, std::string_view references);
    // The author's values, gathered once a page; null when includes lacks the author.
    const TranslatedRecords::User* Author(std::string_view authorId);
    void WritePost(std::string& out, std::string_view post);
    void WriteUser(std::string& out, std::string_view user);
    static void WriteUser(std::string& out, const TranslatedRecords::User& user);
    static void WriteUrls(std::string& out, const std::vector<TranslatedRecords::Url>& urls);
    // A post's whole text: its note's where it has one (a long post), else its text.
    std::string_view WholeText(std::string_view text, std::string_view noteTweet);
    // The extra columns' fields after every other, as v1.1 names them.
    void WriteExtraFields(std::string& out, std::string_view post);
    void CollectErrorKinds();

    V2Page m_page;
    std::unordered_map<std::string_view, std::optional<TranslatedRecords::User>> m_authors;  // of this page
    std::deque<std::string> m_quotedIds;  // numeric ids of this page as texts
    std::vector<std::string> m_errorKinds;
    std::vector<std::string_view> m_postIds;
    std::map<std::string, int> m_skipped;  // kind of value left out: how often
    bool m_tokenUnreadable = false;
    bool m_extraFields = false;
    int m_written = 0;  // records the last page gave
};

}  // namespace marlin
