#include "workspace/session/service_settings.h"

namespace marlin {

ServiceSettings::ServiceSettings(MainWindowState& window, TweetControls& tweetCtl)
    : m_window(window), m_tweetCtl(tweetCtl) {
    TweetControls& t = tweetCtl;
    t.mServiceApi.SetCaption("Service API");
    t.mApiV11.SetCaption("v1.1");
    t.mApiV2.SetCaption("v2");
    t.mFullArchive.SetCaption("Full-Archive Search (v2)");
    t.mApiV11.SetAction([this] { SetApiV2(false); });
    t.mApiV2.SetAction([this] { SetApiV2(true); });
    t.mFullArchive.SetAction([this] { SetFullArchiveSearch(!m_window.Settings.FullArchiveSearch); });
    SetApiV2(false);
    SetFullArchiveSearch(false);
}

void ServiceSettings::SetApiV2(bool on) {
    MainWindowState& w = m_window;
    w.Settings.ApiV2 = on;
    m_tweetCtl.mApiV11.SetChecked(!on);
    m_tweetCtl.mApiV2.SetChecked(on);
    const ApiVersion version = on ? ApiVersion::V2 : ApiVersion::V1_1;
    w.Engine.Client().SetApiVersion(version);
    w.TableEngine.Client().SetApiVersion(version);
    ShowServiceInUse();
}

void ServiceSettings::ShowServiceInUse() {
    const WindowSettings& settings = m_window.Settings;
    ServiceInUse.SetCaption(!settings.ApiV2              ? "Twitter API v1.1"
                            : settings.FullArchiveSearch ? "Twitter API v2, full archive"
                                                         : "Twitter API v2");
}

void ServiceSettings::SetFullArchiveSearch(bool on) {
    MainWindowState& w = m_window;
    w.Settings.FullArchiveSearch = on;
    m_tweetCtl.mFullArchive.SetChecked(on);
    w.Engine.Client().SetFullArchiveSearch(on);
    w.TableEngine.Client().SetFullArchiveSearch(on);
    ShowServiceInUse();
}

bool ServiceSettings::ApplyPrefsLine(const Preferences::Line& line) {
    switch (line.tag) {
        case Preferences::Tag::ServiceApi:
            SetApiV2(line.value == "2");
            return true;
        case Preferences::Tag::FullArchive:
            SetFullArchiveSearch(line.value == "1");
            return true;
        case Preferences::Tag::PricePerPost:
            m_window.Settings.prices.TakePrefsLine("PP-" + line.value);
            return true;
        case Preferences::Tag::Spending:
            if (!m_window.Settings.spendingLimits.TakePrefsLine(line.value))
                m_window.Settings.prices.TakePrefsLine(line.value);
            return true;
        default:
            return false;
    }
}

void ServiceSettings::FillSwitches(Preferences::Switches& switches) const {
    const WindowSettings& s = m_window.Settings;
    switches.apiV2 = s.ApiV2;
    switches.fullArchive = s.FullArchiveSearch;
    // Only a changed price and a limit that is set leave a line.
    switches.spendingLines = s.spendingLimits.PrefsLines();
    for (std::string& line : s.prices.PrefsLines()) switches.spendingLines.push_back(std::move(line));
}

}  // namespace marlin
