#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "spending/spending_forecast.h"
#include "workspace/engine/volume_estimate.h"
#include "workspace/main_window_state.h"

namespace marlin {

// Tools › "Estimate Search Volume…": the engine's count of the search frame's query, language and
// threshold date, as lines of the request log, as bars of the Chart tab and as a summary. Only
// the v2 dialect has counts.
class SearchVolumeEstimate {
  public:
    static constexpr const char* kTitle = "Estimate Search Volume";
    static constexpr const char* kNeedsV2 = VolumeEstimate::kNeedsV2;
    static constexpr const char* kFailed = VolumeEstimate::kFailed;
    static constexpr const char* kBadRunLimit =
        "The limit for this run must be an amount in dollars, such as 25 or 2.50, or nothing for none.";

    explicit SearchVolumeEstimate(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl);
    SearchVolumeEstimate(const SearchVolumeEstimate&) = delete;
    SearchVolumeEstimate& operator=(const SearchVolumeEstimate&) = delete;

    void mEstimateVolume_Click();
    // The estimate for the search frame's query back to the threshold date, its lines in the
    // request log; nothing in v1.1 mode or when the exchange failed (the reason logged).
    std::optional<VolumeEstimate> Estimate();

    // Called with each estimate's days; the window's Chart tab draws them.
    void SetChartAction(std::function<void(const std::vector<TweetCountDay>&)> action) {
        m_chart = std::move(action);
    }

    // One figure of an estimate as the panel shows it: its name and its value.
    struct Figure {
        std::string name;
        std::string value;
    };
    // The search an estimate counted and its figures: posts, search requests, quota windows,
    // time, cost, the posts read today already and the limit the search would reach.
    struct Shown {
        std::string search;  // "[query] back to dd/mm/yyyy"
        std::vector<Figure> figures;
    };
    // When set, an estimate is shown by this (the window's panel) instead of a message.
    void SetShowAction(std::function<void(const Shown&)> action) { m_show = std::move(action); }
    // The search that runs the estimated query back to the estimated date ("New").
    void SetSearchAction(std::function<void()> action) { m_search = std::move(action); }
    // "Capture" of the panel: the search frame gets the estimated query and date back (the
    // user may have typed since) and the search runs, held to the limit for this run.
    void Capture_Click();
    // The panel's "limit for this run" as typed, in dollars; empty for none. The figures are
    // shown again for it; false (and nothing changed) when it is no amount.
    bool SetRunLimit(const std::string& text);

    static Shown Show(const VolumeEstimate& estimate, const std::string& search,
                      const SpendingForecast& forecast, Money postRead);

  private:
    // What the ledger knows of today for the estimated query, and the limits; `spentBefore`
    // is what today had cost before the counts were asked for.
    SpendingForecast::Input ForecastInput(const VolumeEstimate& estimate,
                                          std::optional<Money> spentBefore) const;
    void ShowEstimate();

    MainWindowState& m_window;
    TweetControls& m_tweetCtl;
    UserControls& m_userCtl;
    std::function<void(const std::vector<TweetCountDay>&)> m_chart;
    std::function<void(const Shown&)> m_show;
    std::function<void()> m_search;
    std::string m_failure;  // the response code of the last estimate that got no counts
    // The query and the threshold date of the last estimate.
    std::string m_query;
    std::chrono::year_month_day m_backTo{};
    std::optional<VolumeEstimate> m_estimate;
    SpendingForecast::Input m_forecast;
    std::optional<Money> m_runLimit;
    bool m_runLimitBad = false;
};

}  // namespace marlin
