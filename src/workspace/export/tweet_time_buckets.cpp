#include "workspace/export/tweet_time_buckets.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "core/tweet_column.h"
#include "platform/blank_trim.h"
#include "workspace/tables/tweet_time.h"

namespace marlin {
namespace {

struct Sample {
    long long time;
    double positive, negative;
    bool scored;
};

bool Score(std::string_view cell, double& value) {
    const std::string_view text = TrimBlanks(cell);
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

long long Floor(long long value, long long width) {
    const long long q = value / width;
    return (value % width < 0 ? q - 1 : q) * width;
}

}  // namespace

TweetTimeBuckets TweetTimeBuckets::FromTable(const ReportList& tweets) {
    TweetTimeBuckets result;
    const int rows = tweets.RowCount();
    std::vector<Sample> samples;
    samples.reserve(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        const std::optional<long long> time = TweetTime::Seconds(tweets.Cell(row, TweetColumn::DateTime));
        if (!time) {
            ++result.m_undated;
            continue;
        }
        Sample sample{*time, 0, 0, false};
        sample.scored = Score(tweets.Cell(row, TweetColumn::SentPositive), sample.positive) &&
                        Score(tweets.Cell(row, TweetColumn::SentNegative), sample.negative);
        samples.push_back(sample);
    }
    if (samples.empty()) return result;

    const auto [earliest, latest] = std::minmax_element(
        samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.time < b.time; });
    result.m_width = latest->time - earliest->time > kHourlySpan ? kDay : kHour;
    const long long first = Floor(earliest->time, result.m_width);
    const std::size_t count =
        static_cast<std::size_t>((Floor(latest->time, result.m_width) - first) / result.m_width) + 1;

    struct Sums {
        double positive = 0, negative = 0;
        int scored = 0;
    };
    std::vector<Sums> sums(count);
    result.m_buckets.resize(count);
    for (std::size_t k = 0; k < count; ++k)
        result.m_buckets[k].start = first + static_cast<long long>(k) * result.m_width;
    for (const Sample& sample : samples) {
        const std::size_t k = static_cast<std::size_t>((sample.time - first) / result.m_width);
        ++result.m_buckets[k].count;
        if (!sample.scored) continue;
        sums[k].positive += sample.positive;
        sums[k].negative += sample.negative;
        ++sums[k].scored;
    }
    for (std::size_t k = 0; k < count; ++k) {
        if (sums[k].scored == 0) continue;
        result.m_buckets[k].meanPositive = sums[k].positive / sums[k].scored;
        result.m_buckets[k].meanNegative = sums[k].negative / sums[k].scored;
    }
    return result;
}

int TweetTimeBuckets::MaxCount() const {
    int most = 0;
    for (const Bucket& bucket : m_buckets) most = std::max(most, bucket.count);
    return most;
}

std::string TweetTimeBuckets::Label(const Bucket& bucket) const {
    const std::string local = TweetTime::Local(bucket.start);  // "dd/mm/yyyy hh:mm:ss"
    return Daily() ? local.substr(0, 10) : local.substr(0, 16);
}

std::string TweetTimeBuckets::Summary(const Bucket& bucket) const {
    char means[96];
    std::snprintf(means, sizeof means, "mean Sent+ %.2f, mean Sent- %.2f", bucket.meanPositive,
                  bucket.meanNegative);
    return Label(bucket) + ": " + std::to_string(bucket.count) +
           (bucket.count == 1 ? " tweet, " : " tweets, ") + means;
}

}  // namespace marlin
