#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace marlin {

// The table id and the date of a post of the second service (Bluesky), whose posts have no number of
// their own: a post is named by its at:// URI, the author's DID and a record key (a TID, a 64-bit
// time-ordered number that is unique only within one account).
//
// The id is a decimal number of at most 63 bits, built like the first service's ids:
//   (sort time in milliseconds since 2022-11-01T00:00:00Z) << 22  |  the low 22 bits of the URI's hash
// The sort time is the post's date (the earlier of the record's createdAt and the service's indexedAt,
// as the service's own search orders posts), so ids sort in the order the service pages and the tables
// show; the low bits come from the author's DID and the record key, so two posts of one millisecond
// differ unless their keys meet (one chance in four million for such a pair). The same post gets the
// same id on every run, which is what Update, Continue Back, the duplicate checks and the archive need.
class BskyPostId {
  public:
    static constexpr int64_t kEpochMs =
        1667260800000;  // 2022-11-01T00:00:00Z: before the network's first post
    static constexpr int kKeyBits = 22;

    // Milliseconds since 1970 of an ISO 8601 date-time with a zone ("…Z", "…+01:00"); nothing when it is
    // not one.
    static std::optional<int64_t> ParseIso(std::string_view text);
    // The post's date: the earlier of createdAt and indexedAt. A createdAt that cannot be read, lies more
    // than five minutes past `nowMs` or before the network existed is set by a client that got it wrong
    // and counts as unreadable; the date is then indexedAt. Nothing when neither can be used.
    static std::optional<int64_t> SortAtMs(std::string_view createdAt, std::string_view indexedAt,
                                           int64_t nowMs);

    static std::string Id(int64_t sortAtMs, std::string_view uri);
    // The sort time an id holds; nothing for a text that is not such an id.
    static std::optional<int64_t> TimeOfId(std::string_view id);

    // The search bounds that go on from a table: posts of the oldest id's millisecond or before (the
    // search's until is exclusive) and of the newest id's millisecond or after (since is inclusive). The
    // posts of that millisecond already held come again and are known by their ids.
    static std::string UntilFor(std::string_view oldestId);
    static std::string SinceFor(std::string_view newestId);

    // "2026-12-09T08:28:09.123Z".
    static std::string Iso(int64_t ms);
    // "Wed Dec 09 08:28:09 +0000 2026", the form of the tables' DateTime.
    static std::string ServiceTime(int64_t ms);
};

}  // namespace marlin
