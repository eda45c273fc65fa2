#include "workspace/main_window_state.h"

namespace marlin {

MainWindowState::MainWindowState(Toolkit& toolkit, HttpRequestFactory requestFactory, std::string apiBase,
                                 std::filesystem::path appFolder)
    : Tk(toolkit),
      AppFolder(std::move(appFolder)),
      Twitter(toolkit, requestFactory, apiBase),
      UTwitter(toolkit, requestFactory, apiBase),
      Window(kApplicationTitle) {
    // A Linux build of the visualiser carries no ".exe"; the user can point elsewhere.
    Settings.LMPATH = (AppFolder / "Lumen").string();
    for (TwitterAPI* client : {&Twitter, &UTwitter}) {
        client->SetErrorLog([this](const std::string& line) {
            Events().Log(line);
            Progress.ScrollToLast();
        });
        // "Cancel " (or closing the window) while a page is on its way drops that page.
        client->SetCancelCheck([this] { return Run.Cancelled(); });
        client->SetWaitWatch([this](bool waiting) {
            if (waiting) {
                RetrievalBar.RequestWaiting();
            } else {
                RetrievalBar.RequestAnswered();
            }
        });
    }
}

UserControls::UserControls() {
    UTList.SetCheckBoxes(false);
    UserTable.push_back(std::make_unique<ReportList>());
    UserTableName.emplace_back("Tweets");
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
    Window.SetCaption(std::string(kApplicationTitle) + " [" + TweetsFN + (unsaved ? "*]" : "]"));
}

void MainWindowState::SetExactTexts(bool on) {
    Settings.ExactTexts = on;
    Tweets.mExactTexts.SetChecked(on);
    Twitter.SetExactTexts(on);
    UTwitter.SetExactTexts(on);
}

void MainWindowState::ShowTweetCount() {
    InfoBar.SetPanel(1, std::to_string(OutTable.RowCount()) + " tweets displayed");
}

}  // namespace marlin
