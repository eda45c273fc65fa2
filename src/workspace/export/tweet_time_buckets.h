#pragma once

#include <string>
#include <vector>

#include "platform/report_list.h"

namespace marlin {

// The tweets of a Tweets table counted per hour, or per day when they span more than seven
// days, with the mean Sent+ and Sent- of each bucket: what the chart draws. Buckets run
// without gaps from the first tweet's to the last one's, so quiet hours show as empty.
class TweetTimeBuckets {
  public:
    static constexpr long long kHour = 3600;
    static constexpr long long kDay = 86400;
    static constexpr long long kHourlySpan = 7 * kDay;

    struct Bucket {
        long long start = 0;  // seconds since 1970-01-01, as the table's times stand
        int count = 0;
        double meanPositive = 0;  // 0 for a bucket without scored tweets
        double meanNegative = 0;
    };

    static TweetTimeBuckets FromTable(const ReportList& tweets);

    const std::vector<Bucket>& Buckets() const { return m_buckets; }
    bool Daily() const { return m_width == kDay; }
    // Rows whose DateTime holds no date (left out of the buckets).
    int Undated() const { return m_undated; }
    int MaxCount() const;

    // "27/08/2008 13:00" per hour, "27/08/2008" per day.
    std::string Label(const Bucket& bucket) const;
    // The label under the time axis: Label without the year ("27/08 13:00", "27/08") when
    // every bucket lies in one year, which the axis then names once, so that more fit.
    std::string AxisLabel(const Bucket& bucket) const;
    // "2008" when every bucket lies in that year; empty when they span more than one.
    std::string Year() const;
    // What hovering a bucket shows: its label, its count and the two means.
    std::string Summary(const Bucket& bucket) const;

  private:
    std::vector<Bucket> m_buckets;
    long long m_width = kHour;
    int m_undated = 0;
};

}  // namespace marlin
