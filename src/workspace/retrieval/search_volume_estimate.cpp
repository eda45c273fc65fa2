#include "workspace/retrieval/search_volume_estimate.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "workspace/retrieval/retrieval_steps.h"

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
           Dollars(Cents(cost), "$%.2f") + " at " + Dollars(pricePerPost, "$%g") + " a post read";
}

SearchVolumeEstimate::SearchVolumeEstimate(MainWindowState& window) : m_window(window) {
    window.Tweets.mEstimateVolume.SetCaption("Estimate Search Volume…");
    window.Tweets.mEstimateVolume.SetAction([this] { mEstimateVolume_Click(); });
}

std::optional<VolumeEstimate> SearchVolumeEstimate::Estimate() {
    return Estimate(m_window.Tweets.SearchQuery.Text());
}

std::optional<VolumeEstimate> SearchVolumeEstimate::Estimate(const std::string& query) {
    MainWindowState& w = m_window;
    if (!w.Settings.ApiV2) {
        w.Events().Log(kNeedsV2);
        return std::nullopt;
    }
    const std::time_t end = std::time(nullptr) - kCountsLag;
    std::time_t start = w.ThresholdTime();
    // Recent counts reach back seven days; a threshold before that is counted from there.
    if (!w.Settings.FullArchiveSearch) start = std::max(start, end + kCountsLag - kRecentSeconds + 60);
    w.Events().Log("Estimate initiated @" + RetrievalSteps::NowText() + " for [" + query + "]");
    std::optional<std::vector<TweetCountDay>> days =
        w.Twitter.GetTweetCounts(query, w.Settings.SearchLang, start, end);
    if (!days) {
        w.Events().Log(kFailed + w.Twitter.LastResponseCode());
        w.Progress.ScrollToLast();
        return std::nullopt;
    }
    VolumeEstimate estimate =
        VolumeEstimate::From(std::move(*days), w.Settings.FullArchiveSearch, w.Settings.PricePerPostRead);
    for (const TweetCountDay& day : estimate.days)
        w.Events().Log(day.date + ": " + std::to_string(day.posts) + " posts");
    w.Events().Log("Estimate: " + estimate.Summary(w.Settings.PricePerPostRead));
    w.Progress.ScrollToLast();
    if (m_chart) m_chart(estimate.days);
    return estimate;
}

void SearchVolumeEstimate::mEstimateVolume_Click() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    const std::optional<VolumeEstimate> estimate = Estimate();
    if (!w.Settings.ApiV2) {
        w.Tk.MessageBox(kNeedsV2, kTitle, MsgButtons::OK, MsgIcon::Information);
    } else if (!estimate) {
        w.Tk.MessageBox(kFailed + w.Twitter.LastResponseCode(), kTitle, MsgButtons::OK, MsgIcon::Exclamation);
    } else {
        w.Tk.MessageBox("[" + w.Tweets.SearchQuery.Text() + "] back to " + w.ThresholdDateText() + ": " +
                            estimate->Summary(w.Settings.PricePerPostRead),
                        kTitle, MsgButtons::OK, MsgIcon::Information);
    }
}

}  // namespace marlin
