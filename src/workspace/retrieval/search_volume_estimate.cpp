#include "workspace/retrieval/search_volume_estimate.h"

#include <algorithm>
#include <ctime>

#include "spending/ledger.h"
#include "spending/utc_date.h"

namespace marlin {

namespace {

// The threshold date of a search back to that day.
CaptureRequest BackTo(std::chrono::year_month_day day) {
    CaptureRequest request;
    request.backTo = day;
    return request;
}

// The ledger of the program folder when there is one: an estimate makes none of its own.
std::unique_ptr<Ledger> OpenLedger(const std::filesystem::path& appFolder) {
    const std::filesystem::path file = appFolder / Ledger::kFileName;
    std::error_code error;
    if (!std::filesystem::exists(file, error)) return nullptr;
    std::string problem;
    return Ledger::Open(file, &problem);
}

}  // namespace

SearchVolumeEstimate::SearchVolumeEstimate(MainWindowState& window, TweetControls& tweetCtl,
                                           UserControls& userCtl)
    : m_window(window), m_tweetCtl(tweetCtl), m_userCtl(userCtl) {
    m_tweetCtl.mEstimateVolume.SetCaption("Estimate Search Volume…");
    m_tweetCtl.mEstimateVolume.SetAction([this] { mEstimateVolume_Click(); });
}

std::optional<VolumeEstimate> SearchVolumeEstimate::Estimate() {
    const CaptureResult result =
        m_window.Engine.Capture(m_window.Request(CaptureKind::Count, m_tweetCtl, m_userCtl));
    m_failure = result.last.responseCode;
    if (result.estimate && m_chart) m_chart(result.estimate->days);
    return result.estimate;
}

void SearchVolumeEstimate::mEstimateVolume_Click() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    std::optional<Money> spentBefore;
    if (std::unique_ptr<Ledger> ledger = OpenLedger(w.AppFolder))
        spentBefore = ledger->SpentOn(UtcDate::Day(std::time(nullptr)));
    m_query = m_tweetCtl.SearchQuery.Text();
    m_backTo = m_tweetCtl.EarlyDate.Value();
    m_estimate = Estimate();
    if (!w.Settings.ApiV2) {
        w.Tk.MessageBox(kNeedsV2, kTitle, MsgButtons::OK, MsgIcon::Information);
    } else if (!m_estimate) {
        w.Tk.MessageBox(kFailed + m_failure, kTitle, MsgButtons::OK, MsgIcon::Exclamation);
    } else {
        m_forecast = ForecastInput(*m_estimate, spentBefore);
        ShowEstimate();
    }
}

void SearchVolumeEstimate::ShowEstimate() {
    MainWindowState& w = m_window;
    SpendingForecast::Input input = m_forecast;
    input.limits.perRun = m_runLimit;
    const SpendingForecast forecast = SpendingForecast::Of(input);
    const std::string search =
        "[" + m_query + "] back to " + BackTo(m_backTo).ThresholdDateText();
    const Shown shown = Show(*m_estimate, search, forecast, input.postRead);
    if (m_show) {
        m_show(shown);
        return;
    }
    std::string text =
        search + ": " + m_estimate->Summary(static_cast<double>(input.postRead.micros()) / 1e6);
    for (std::size_t i = 4; i < shown.figures.size(); ++i)
        text += "\n" + shown.figures[i].name + ": " + shown.figures[i].value;
    w.Tk.MessageBox(text, kTitle, MsgButtons::OK, MsgIcon::Information);
}

SpendingForecast::Input SearchVolumeEstimate::ForecastInput(const VolumeEstimate& estimate,
                                                            std::optional<Money> spentBefore) const {
    const WindowSettings& s = m_window.Settings;
    SpendingForecast::Input input;
    input.postRead = s.prices.postRead;
    input.limits = s.spendingLimits;
    input.counts = s.FullArchiveSearch ? s.prices.countsAll : s.prices.countsRecent;
    const std::time_t now = std::time(nullptr);
    const std::string today = UtcDate::Day(now);
    std::unique_ptr<Ledger> ledger = OpenLedger(m_window.AppFolder);
    const long long thresholdMs =
        static_cast<long long>(BackTo(m_backTo).ThresholdTime()) * 1000;
    for (const TweetCountDay& day : estimate.days) {
        SpendingForecast::Day counted{day.date, day.posts, 0};
        // The posts of that UTC day from the threshold on, read by this query today.
        const long long from = std::max(thresholdMs, UtcDate::Milliseconds(day.date + "T00:00:00.000Z"));
        const long long to = UtcDate::Milliseconds(day.date + "T00:00:00.000Z") + 86400LL * 1000;
        if (ledger) counted.readToday = ledger->PostsReadOn(today, m_query, from, to).value_or(0);
        input.days.push_back(counted);
    }
    if (!ledger) return input;
    input.spentToday = ledger->SpentOn(today).value_or(Money());
    input.spentThisMonth = ledger->SpentIn(UtcDate::Month(now)).value_or(Money());
    // What the counts cost, as the ledger took it; several pages of counts cost several requests.
    if (spentBefore && input.spentToday >= *spentBefore) input.counts = input.spentToday - *spentBefore;
    return input;
}

bool SearchVolumeEstimate::SetRunLimit(const std::string& text) {
    const bool none = text.find_first_not_of(' ') == std::string::npos;
    const std::optional<Money> limit = none ? std::nullopt : Money::Parse(text);
    m_runLimitBad = !none && !limit;
    if (m_runLimitBad) return false;
    m_runLimit = limit;
    if (m_estimate) ShowEstimate();
    return true;
}

void SearchVolumeEstimate::Capture_Click() {
    MainWindowState& w = m_window;
    if (m_query.empty() || !m_search || !w.CanStartRetrieval()) return;
    if (m_runLimitBad) {
        w.Tk.MessageBox(kBadRunLimit, kTitle, MsgButtons::OK, MsgIcon::Exclamation);
        return;
    }
    m_tweetCtl.SearchQuery.SetText(m_query);
    m_tweetCtl.EarlyDate.SetValue(m_backTo);
    // The run's limit belongs to this one run.
    w.Settings.spendingLimits.perRun = m_runLimit;
    m_search();
    w.Settings.spendingLimits.perRun.reset();
}

SearchVolumeEstimate::Shown SearchVolumeEstimate::Show(const VolumeEstimate& estimate,
                                                       const std::string& search,
                                                       const SpendingForecast& forecast, Money postRead) {
    const std::string index = estimate.fullArchive ? " (full archive)" : " (recent index)";
    return {search,
            {{"Posts", std::to_string(estimate.posts)},
             {"Search requests", std::to_string(estimate.requests) + " of 100 posts"},
             {"Quota windows", std::to_string(estimate.windows) + index},
             {"Time", "about " + std::to_string(estimate.minutes) + " minutes"},
             {"Cost", forecast.CostText(postRead)},
             {"Read today already", forecast.ReadTodayText()},
             {"Spending limits", forecast.ReachText()}}};
}

}  // namespace marlin
