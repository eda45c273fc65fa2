#include "workspace/main_window_state.h"

namespace marlin {

MainWindowState::MainWindowState(Toolkit& toolkit, HttpRequestFactory requestFactory, std::string apiBase,
                                 std::filesystem::path appFolder)
    : Tk(toolkit),
      AppFolder(std::move(appFolder)),
      Window(kApplicationTitle),
      Engine({requestFactory, apiBase, AppFolder}, m_windowEvents),
      TableEngine({requestFactory, apiBase, AppFolder}, m_windowEvents, Engine.State()),
      Run(Engine.State()) {
    // A Linux build of the visualiser carries no ".exe"; the user can point elsewhere.
    Settings.LMPATH = (AppFolder / "Lumen").string();
}

void MainWindowState::SetEvents(CaptureEvents* events) {
    m_events = events ? events : &m_windowEvents;
    Engine.SetEvents(*m_events);
    TableEngine.SetEvents(*m_events);
}

CaptureRequest MainWindowState::Request(CaptureKind kind, const TweetControls& search,
                                        const UserControls& users) const {
    CaptureRequest request;
    request.kind = kind;
    request.query = search.SearchQuery.Text();
    request.backTo = search.EarlyDate.Value();
    request.language = Settings.SearchLang;
    request.service = Settings.Bluesky ? CaptureService::Bluesky : CaptureService::Twitter;
    request.dialect = Settings.ApiV2 ? CaptureDialect::V2 : CaptureDialect::V1_1;
    request.fullArchive = Settings.FullArchiveSearch;
    request.exactTexts = Settings.ExactTexts;
    request.extraColumns = Settings.ExtraColumns;
    request.archive.keepRaw = Settings.KeepRawResponses;
    request.archive.file = Settings.ArchiveFile;
    request.archive.lookupName = users.CurrentTable().Name();
    request.limits.waitForQuota = Settings.WaitForQuota;
    request.limits.retryDelays = Settings.RetryDelays;
    request.limits.windowMilliseconds = Settings.QuotaWindowMilliseconds;
    request.prices = Settings.prices;
    request.spendingLimits = Settings.spendingLimits;
    request.pricePerPostRead = static_cast<double>(Settings.prices.postRead.micros()) / 1e6;
    return request;
}

void MainWindowState::SetTitle(bool unsaved) {
    Window.SetCaption(std::string(kApplicationTitle) + " [" + TweetsTable.File() + (unsaved ? "*]" : "]"));
}

void MainWindowState::SetExactTexts(bool on) {
    Settings.ExactTexts = on;
    TweetsTable.SetUtf8(on);
    Engine.SetExactTexts(on);
    TableEngine.SetExactTexts(on);
}

void MainWindowState::ShowTweetCount() {
    InfoBar.SetPanel(1, std::to_string(TweetsTable.Count()) + " tweets displayed");
}

}  // namespace marlin
