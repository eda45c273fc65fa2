#include "workspace/engine/volume_estimate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "workspace/engine/capture_run.h"
#include "workspace/engine/capture_texts.h"

namespace marlin {

namespace {

constexpr std::time_t kRecentSeconds = 7 * 86400;
// Counts end a little before the present, as the service's own default does.
constexpr std::time_t kCountsLag = 30;

int64_t CeilDiv(int64_t a, int64_t b) {
    return (a + b - 1) / b;
}

std::string Dollars(double amount, const char* format) {
    char text[48];
    std::snprintf(text, sizeof text, format, amount);
    return text;
}

// Half a cent goes up, as a bill rounds it; the binary fraction would otherwise round it either way.
double Cents(double dollars) {
    return std::round(dollars * 100 + 1e-6) / 100;
}

std::string Plural(int64_t n, const std::string& word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

}  // namespace

VolumeEstimate VolumeEstimate::From(std::vector<TweetCountDay> days, bool fullArchive, double pricePerPost) {
    VolumeEstimate e;
    e.days = std::move(days);
    e.fullArchive = fullArchive;
    for (const TweetCountDay& day : e.days) e.posts += day.posts;
    // Even an empty result takes the one request that finds it empty.
    e.requests = std::max<int64_t>(1, CeilDiv(e.posts, kPostsPerRequest));
    e.windows = CeilDiv(e.requests, fullArchive ? kArchiveRequestsPerWindow : kRecentRequestsPerWindow);
    e.minutes = e.windows * kWindowMinutes;
    e.cost = static_cast<double>(e.posts) * pricePerPost;
    return e;
}

std::string VolumeEstimate::Summary(double pricePerPost) const {
    return Plural(posts, "post") + ", " + Plural(requests, "search request") + ", " +
           Plural(windows, "quota window") + " (" + std::to_string(minutes) + " minutes), " +
           CostText(pricePerPost);
}

std::string VolumeEstimate::CostText(double pricePerPost) const {
    return Dollars(Cents(cost), "$%.2f") + " at " + Dollars(pricePerPost, "$%g") + " a post read";
}

std::optional<VolumeEstimate> VolumeEstimate::Capture(CaptureRun& run) {
    const CaptureRequest& request = run.Request();
    CaptureEvents& events = run.Events();
    if (request.dialect != CaptureDialect::V2) {
        events.Log(kNeedsV2);
        return std::nullopt;
    }
    const std::time_t end = std::time(nullptr) - kCountsLag;
    std::time_t start = request.ThresholdTime();
    // Recent counts reach back seven days; a threshold before that is counted from there.
    if (!request.fullArchive) start = std::max(start, end + kCountsLag - kRecentSeconds + 60);
    events.Log("Estimate initiated @" + CaptureTexts::NowText() + " for [" + request.query + "]");
    TwitterAPI::Counts counts = run.Client().GetTweetCounts(request.query, request.language, start, end);
    run.Remember(counts.outcome);
    if (counts.days.empty() && !counts.outcome.Answered()) {
        events.Log(kFailed + counts.outcome.responseCode);
        return std::nullopt;
    }
    if (!counts.stopLine.empty()) {
        events.Log(std::string(kStoppedEarly) + counts.stopLine);
        run.State().Record(CaptureOutcome::StoppedEarly);
    }
    VolumeEstimate estimate = From(std::move(counts.days), request.fullArchive, request.pricePerPostRead);
    estimate.stoppedEarly = !counts.stopLine.empty();
    for (const TweetCountDay& day : estimate.days)
        events.Log(day.date + ": " + std::to_string(day.posts) + " posts");
    events.Log("Estimate: " + estimate.Summary(request.pricePerPostRead));
    return estimate;
}

}  // namespace marlin
