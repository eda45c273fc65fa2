// Renders the main window after a search into a PNG:
//   marlin-screenshot OUTPUT.png [QUERY [TAB]]
// TAB names the bottom tab to show (its objectName, e.g. "Chart"); "SavedChart" writes what
// the Chart tab's "Save Chart As…" writes instead of the window. An empty QUERY is the
// emulator's common one.
// The window runs against the emulator in-process, from a temporary program folder that
// holds the scorer stand-in copied from beside this program.
#include <QApplication>
#include <QPixmap>
#include <QSplitter>
#include <QTabWidget>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "emulator/emulator.h"
#include "platform/qt/qt_toolkit.h"
#include "service/app_cred_file.h"
#include "service/curl_http_request.h"
#include "workspace/frm_main.h"
#include "workspace/ui/main_window.h"
#include "workspace/ui/tweet_chart_view.h"

namespace fs = std::filesystem;

namespace {

// Nobody is there to answer: questions are printed and take their first button.
class UnattendedToolkit : public marlin::QtToolkit {
  protected:
    marlin::MsgResult ShowMessageBox(const std::string& text, const std::string& title,
                                     marlin::MsgButtons buttons, marlin::MsgIcon) override {
        std::fprintf(stderr, "[%s] %s\n", title.c_str(), text.c_str());
        const bool yes = buttons == marlin::MsgButtons::YesNo || buttons == marlin::MsgButtons::YesNoCancel;
        return yes ? marlin::MsgResult::Yes : marlin::MsgResult::OK;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png [QUERY]\n", argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    const fs::path built = fs::path(QApplication::applicationDirPath().toStdString());

    marlin::emulator::Emulator service;
    service.Start();
    const std::string query = argc > 2 && argv[2][0] != 0 ? argv[2] : service.Queries().common;

    char pattern[] = "/tmp/marlin-screenshot-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const fs::path folder = pattern;
    fs::create_directories(folder / "bin");
    fs::copy_file(built / "bin" / "support.dll", folder / "bin" / "support.dll");
    fs::copy(built / "SentiStrengthData", folder / "SentiStrengthData", fs::copy_options::recursive);
    const auto& c = service.Config();
    marlin::AppCredFile::InFolder(folder).Write({c.appName, c.consumerKey, c.consumerSecret});

    int status = 1;
    {
        UnattendedToolkit toolkit;
        marlin::frmMain form(toolkit, marlin::CurlHttpRequest::Factory(), service.BaseUrl(), folder);
        marlin::MainWindow window(form);
        toolkit.SetWindow(&window);
        // A laptop's screen, the size the README's pictures show.
        window.resize(1366, 768);
        window.Start();
        form.About().cmdOK.Click();

        form.State().Tweets.SearchQuery.SetText(query);
        form.GetSrch_Click();
        form.mGetUFT_Click();
        if (form.State().Users.UserList.Count() > 2) {
            form.State().Users.UserList.SetChecked(0, true);
            form.State().Users.UserList.SetChecked(2, true);
            form.State().Users.UserList.SetSelectedIndex(0);
        }
        form.State().TweetsTable.Rows().SetSelectedIndex(1);
        form.Session().Timer1.Tick();
        // The Frequencies tab counts when asked, as the Tools menu asks it; it and the Network
        // tab get the room to show their lists.
        const std::string tab = argc > 3 ? argv[3] : "";
        const bool savedChart = tab == "SavedChart";
        if (tab == "Frequencies") form.State().Tweets.mFrequencies.Click();
        if (tab == "Frequencies" || tab == "Network")
            if (auto* panes = window.findChild<QSplitter*>("LowerSplitter"))
                panes->setSizes({panes->width() / 2, panes->width() / 2});
        if (argc > 3) {
            auto* tabs = window.findChild<QTabWidget*>("BottomTabs");
            const QString name = savedChart ? QStringLiteral("Chart") : QString::fromLocal8Bit(argv[3]);
            if (QWidget* tab = window.findChild<QWidget*>(name); tabs && tab) tabs->setCurrentWidget(tab);
        }
        for (int i = 0; i < 50; ++i) {
            QApplication::processEvents();
            QThread::msleep(10);
        }
        const QString output = QString::fromLocal8Bit(argv[1]);
        if (savedChart) {
            auto* chart = window.findChild<marlin::TweetChartView*>();
            status = chart && chart->SaveTo(output) ? 0 : 1;
        } else {
            status = window.grab().save(output, "PNG") ? 0 : 1;
        }
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return status;
}
