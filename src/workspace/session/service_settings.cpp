#include "workspace/session/service_settings.h"

#include <charconv>
#include <cmath>

namespace marlin {

ServiceSettings::ServiceSettings(MainWindowState& window, TweetControls& tweetCtl)
    : m_window(window), m_tweetCtl(tweetCtl) {
    TweetControls& t = tweetCtl;
    t.mServiceApi.SetCaption("Service");
    t.mApiV11.SetCaption("X (v1.1)");
    t.mApiV2.SetCaption("X (v2)");
    t.mServiceBluesky.SetCaption("Bluesky");
    t.mServiceBluesky.SetAction([this] { SetBluesky(true); });
    t.mFullArchive.SetCaption("Full-Archive Search (v2)");
    t.mPricePerPost.SetCaption("Price per Post Read…");
    t.mApiV11.SetAction([this] { SetApiV2(false); });
    t.mApiV2.SetAction([this] { SetApiV2(true); });
    t.mFullArchive.SetAction([this] { SetFullArchiveSearch(!m_window.Settings.FullArchiveSearch); });
    t.mPricePerPost.SetAction([this] { mPricePerPost_Click(); });
    SetApiV2(false);
    SetFullArchiveSearch(false);
}

void ServiceSettings::SetApiV2(bool on) {
    MainWindowState& w = m_window;
    w.Settings.ApiV2 = on;
    w.Settings.Bluesky = false;
    m_tweetCtl.mApiV11.SetChecked(!on);
    m_tweetCtl.mApiV2.SetChecked(on);
    m_tweetCtl.mServiceBluesky.SetChecked(false);
    const ApiVersion version = on ? ApiVersion::V2 : ApiVersion::V1_1;
    w.Engine.Client().SetApiVersion(version);
    w.TableEngine.Client().SetApiVersion(version);
    ShowServiceInUse();
}

void ServiceSettings::SetBluesky(bool on) {
    if (!on) {
        SetApiV2(m_window.Settings.ApiV2);
        return;
    }
    m_window.Settings.Bluesky = true;
    m_tweetCtl.mApiV11.SetChecked(false);
    m_tweetCtl.mApiV2.SetChecked(false);
    m_tweetCtl.mServiceBluesky.SetChecked(true);
    ShowServiceInUse();
}

void ServiceSettings::ShowServiceInUse() {
    const WindowSettings& settings = m_window.Settings;
    ServiceInUse.SetCaption(settings.Bluesky             ? "Bluesky"
                            : !settings.ApiV2            ? "Twitter API v1.1"
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

void ServiceSettings::SetPricePerPostRead(double dollars) {
    m_window.Settings.PricePerPostRead = dollars;
}

std::optional<double> ServiceSettings::ParsePrice(const std::string& text) {
    std::size_t begin = text.find_first_not_of(" $");
    std::size_t end = text.find_last_not_of(' ');
    if (begin == std::string::npos || end < begin) return std::nullopt;
    double value = -1;
    const auto [stop, error] = std::from_chars(text.data() + begin, text.data() + end + 1, value);
    if (error != std::errc() || stop != text.data() + end + 1 || !std::isfinite(value) || value < 0)
        return std::nullopt;
    return value;
}

void ServiceSettings::mPricePerPost_Click() {
    MainWindowState& w = m_window;
    char current[32];
    const auto written = std::to_chars(current, current + sizeof current, w.Settings.PricePerPostRead);
    const std::string answer = w.Tk.InputBox(kPricePrompt, kPriceTitle, std::string(current, written.ptr));
    if (answer.empty()) return;  // cancelled
    if (const std::optional<double> price = ParsePrice(answer))
        SetPricePerPostRead(*price);
    else
        w.Tk.MessageBox(kBadPrice, kPriceTitle, MsgButtons::OK, MsgIcon::Exclamation);
}

bool ServiceSettings::ApplyPrefsLine(const Preferences::Line& line) {
    switch (line.tag) {
        case Preferences::Tag::ServiceApi:
            if (line.value == "bluesky")
                SetBluesky(true);
            else
                SetApiV2(line.value == "2");
            return true;
        case Preferences::Tag::FullArchive:
            SetFullArchiveSearch(line.value == "1");
            return true;
        case Preferences::Tag::PricePerPost:
            if (const std::optional<double> price = ParsePrice(line.value)) SetPricePerPostRead(*price);
            return true;
        case Preferences::Tag::Spending:
            KeepSpendingLine(line.value);
            return true;
        default:
            return false;
    }
}

// The window has no say in these yet; it writes them back as read, one line a tag, so a
// limit set in prefs is not lost when the window saves its own settings.
void ServiceSettings::KeepSpendingLine(const std::string& line) {
    std::erase_if(m_spendingLines,
                  [&](const std::string& kept) { return kept.compare(0, 3, line, 0, 3) == 0; });
    m_spendingLines.push_back(line);
}

void ServiceSettings::FillSwitches(Preferences::Switches& switches) const {
    const WindowSettings& s = m_window.Settings;
    switches.apiV2 = s.ApiV2;
    switches.bluesky = s.Bluesky;
    switches.fullArchive = s.FullArchiveSearch;
    if (s.PricePerPostRead != kPublishedPricePerPost) switches.pricePerPost = s.PricePerPostRead;
    switches.spendingLines = m_spendingLines;
}

}  // namespace marlin
