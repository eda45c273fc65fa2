#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/report_list.h"
#include "workspace/export/row_source.h"

namespace marlin {
class ArchiveReferences;
}

namespace marlin {

// The first counts researchers take of a Tweets table, per hour, day or ISO week (or over
// the whole table): how many tweets used each hashtag, named each user, were posted by each
// user and linked to each domain, with how many distinct authors did so; and per interval
// the tweets, those with links, hashtags and mentions, the retweets, the distinct authors
// and the mean Sent+ and Sent- (the chart's buckets as a table).
//
// Items are lower-cased as they are written in a tweet ("#data", "@bob"), so "#Data" and
// "#data" are one item, as names are one node in the network; a domain is the host of the
// expanded link without "www.". A tweet counts once for an item however often it names it.
// Rows without a readable DateTime are left out of every interval and counted in Undated.
// With words asked for, the words of the posts (PostWords) are counted too. Every item
// carries the mean Sent+ and Sent- of the scored posts behind it.
class TweetFrequencies {
  public:
    enum class Interval { Whole, Hour, Day, Week };
    enum class Kind { Hashtags, Mentions, Authors, Domains, Words };
    static constexpr std::size_t kKinds = 5;

    struct Item {
        std::string interval;
        std::string item;
        int count = 0;
        int users = 0;
        double meanPositive = 0, meanNegative = 0;  // over the scored posts; 0 when none is
    };
    struct Options {
        bool words = false;
        // The raw archive of the table's posts, for each post's language; null when none.
        const ArchiveReferences* archive = nullptr;
    };
    struct Summary {
        std::string interval;
        int tweets = 0, withLinks = 0, withHashtags = 0, withMentions = 0, retweets = 0, authors = 0;
        double meanPositive = 0, meanNegative = 0;  // over the scored tweets; 0 when none is
    };

    static TweetFrequencies FromTable(const ReportList& tweets, Interval by);
    static TweetFrequencies FromTable(const ReportList& tweets, Interval by, const Options& options);
    // The same counts of rows handed over one at a time (a table file read without holding
    // it): eachRow calls its sink with each row's cells and says whether it gave them all.
    // Nothing when it did not.
    using CellOf = std::function<std::string_view(int column)>;
    using RowSink = std::function<void(const CellOf&)>;
    using EachRow = std::function<bool(const RowSink&)>;
    static std::optional<TweetFrequencies> FromRows(const EachRow& eachRow, Interval by,
                                                    const Options& options);

    // Intervals in time order; within one, the most frequent items first, ties by item.
    const std::vector<Item>& Items(Kind kind) const { return m_items[static_cast<std::size_t>(kind)]; }
    const std::vector<Summary>& Summaries() const { return m_summaries; }
    int Undated() const { return m_undated; }
    bool HasWords() const { return m_words; }

    // The first `top` items of each interval.
    std::vector<Item> Top(Kind kind, int top) const;

    // "2014-08-27T13", "2014-08-27", "2014-W35", or "all" for the whole table.
    static std::string IntervalName(long long seconds, Interval by);
    // The hashtags of a text as written, each once, in order.
    static std::vector<std::string_view> Hashtags(std::string_view text);
    // "example.com" of "https://www.Example.com:8080/path"; empty when there is no host.
    static std::string Domain(std::string_view link);
    static std::string Lower(std::string_view text);
    // "@bob" of "Bob" (blanks around the name dropped).
    static std::string Handle(std::string_view name);

    static const char* KindName(Kind kind);  // "hashtags", "mentions", "authors", "domains", "words"

  private:
    std::vector<Item> m_items[kKinds];
    bool m_words = false;
    std::vector<Summary> m_summaries;
    int m_undated = 0;
};

}  // namespace marlin
