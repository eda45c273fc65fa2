#pragma once

#include <optional>
#include <string>
#include <vector>

#include "workspace/main_window_state.h"
#include "workspace/session/preferences.h"

namespace marlin {

// Settings › "Service API" (the radio items "v1.1" and "v2") and "Full-Archive Search (v2)": the
// dialect both service clients speak and where their v2 searches look (v1.1 and the recent index by
// default). The prices and the spending limits are kept in prefs beside them.
class ServiceSettings {
  public:
    explicit ServiceSettings(MainWindowState& window, TweetControls& tweetCtl);
    ServiceSettings(const ServiceSettings&) = delete;
    ServiceSettings& operator=(const ServiceSettings&) = delete;

    void SetApiV2(bool on);
    void SetFullArchiveSearch(bool on);

    // A prefs line of these settings; false when the line is none of theirs.
    bool ApplyPrefsLine(const Preferences::Line& line);
    // These settings' part of the prefs switches.
    void FillSwitches(Preferences::Switches& switches) const;

    // The service and the API the captures speak, beside the status panels.
    Label ServiceInUse;

  private:
    // The status bar's word on the service and API in use.
    void ShowServiceInUse();

    MainWindowState& m_window;
    TweetControls& m_tweetCtl;
};

}  // namespace marlin
