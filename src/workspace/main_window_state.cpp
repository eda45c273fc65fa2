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

CaptureRequest MainWindowState::Request(CaptureKind kind) const {
    CaptureRequest request;
    request.kind = kind;
    request.query = Tweets.SearchQuery.Text();
    request.backTo = Tweets.EarlyDate.Value();
    request.language = Settings.SearchLang;
    request.dialect = Settings.ApiV2 ? CaptureDialect::V2 : CaptureDialect::V1_1;
    request.fullArchive = Settings.FullArchiveSearch;
    request.exactTexts = Settings.ExactTexts;
    request.archive.keepRaw = Settings.KeepRawResponses;
    request.archive.file = Settings.ArchiveFile;
    request.archive.lookupName = Users.CurrentTable().Name();
    request.limits.waitForQuota = Settings.WaitForQuota;
    request.limits.retryDelays = Settings.RetryDelays;
    request.limits.windowMilliseconds = Settings.QuotaWindowMilliseconds;
    request.pricePerPostRead = Settings.PricePerPostRead;
    return request;
}

UserControls::UserControls() {
    UTList.SetCheckBoxes(false);
    UserTables.push_back(std::make_unique<UserTable>("Tweets"));
}

std::string MainWindowState::ThresholdDateText() const {
    const std::chrono::year_month_day date = Tweets.EarlyDate.Value();
    SKDFuncs::DateValue value;
    value.year = static_cast<int>(date.year());
    value.month = static_cast<int>(static_cast<unsigned>(date.month()));
    value.day = static_cast<int>(static_cast<unsigned>(date.day()));
    return SKDFuncs::FormatShortDate(value);
}

std::time_t MainWindowState::ThresholdTime() const {
    const std::chrono::year_month_day date = Tweets.EarlyDate.Value();
    std::tm local{};
    local.tm_year = static_cast<int>(date.year()) - 1900;
    local.tm_mon = static_cast<int>(static_cast<unsigned>(date.month())) - 1;
    local.tm_mday = static_cast<int>(static_cast<unsigned>(date.day()));
    local.tm_isdst = -1;
    return std::mktime(&local);
}

void MainWindowState::SetTitle(bool unsaved) {
    Window.SetCaption(std::string(kApplicationTitle) + " [" + TweetsTable.File() + (unsaved ? "*]" : "]"));
}

void MainWindowState::SetExactTexts(bool on) {
    Settings.ExactTexts = on;
    Tweets.mExactTexts.SetChecked(on);
    TweetsTable.SetUtf8(on);
    for (const auto& table : Users.UserTables) table->SetUtf8(on);
    Engine.SetExactTexts(on);
    TableEngine.SetExactTexts(on);
}

void MainWindowState::ShowTweetCount() {
    InfoBar.SetPanel(1, std::to_string(TweetsTable.Count()) + " tweets displayed");
}

}  // namespace marlin
