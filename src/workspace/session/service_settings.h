#pragma once

#include <optional>
#include <string>
#include <vector>

#include "workspace/main_window_state.h"
#include "workspace/session/preferences.h"

namespace marlin {

// Settings › "Service" (the radio items "X (v1.1)", "X (v2)" and "Bluesky"), "Full-Archive Search (v2)"
// and "Price per Post Read…": the service the captures go to and the dialect both clients of the first
// speak, where their v2 searches look, and the price the search volume estimate counts with. X v1.1,
// the recent index and the published price are the defaults.
class ServiceSettings {
  public:
    static constexpr double kPublishedPricePerPost = 0.005;
    static constexpr const char* kPricePrompt = "Price per post read, in dollars:";
    static constexpr const char* kPriceTitle = "Price per Post Read";
    static constexpr const char* kBadPrice = "The price must be a number from 0 up, such as 0.005.";

    explicit ServiceSettings(MainWindowState& window, TweetControls& tweetCtl);
    ServiceSettings(const ServiceSettings&) = delete;
    ServiceSettings& operator=(const ServiceSettings&) = delete;

    // X in this dialect.
    void SetApiV2(bool on);
    // Bluesky, or X again in the dialect chosen last.
    void SetBluesky(bool on);
    void SetFullArchiveSearch(bool on);
    void SetPricePerPostRead(double dollars);
    void mPricePerPost_Click();

    // A prefs line of these settings; false when the line is none of theirs.
    bool ApplyPrefsLine(const Preferences::Line& line);
    // These settings' part of the prefs switches.
    void FillSwitches(Preferences::Switches& switches) const;

    // The service and the API the captures speak, beside the status panels.
    Label ServiceInUse;

    // A price as typed ("0.005", "$0.01"); nothing when it is no number from 0 up.
    static std::optional<double> ParsePrice(const std::string& text);

  private:
    // The status bar's word on the service and API in use.
    void ShowServiceInUse();
    void KeepSpendingLine(const std::string& line);

    MainWindowState& m_window;
    TweetControls& m_tweetCtl;
    std::vector<std::string> m_spendingLines;
};

}  // namespace marlin
