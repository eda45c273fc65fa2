// The desktop program: the Qt application, the toolkit, the main window and its
// credentials dialog, against the service named by MARLIN_API_BASE.
#include <QApplication>
#include <QDir>
#include <cstdlib>
#include <string>

#include "platform/qt/guarded_application.h"
#include "platform/qt/qt_toolkit.h"
#include "service/curl_http_request.h"
#include "service/twitter_api.h"
#include "workspace/frm_main.h"
#include "workspace/ui/main_window.h"

int main(int argc, char** argv) {
    marlin::GuardedApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Marlin Skimmer Desktop Edition"));

    // The service's base address; the demo and the tests point it at the local emulator.
    const char* base = std::getenv("MARLIN_API_BASE");
    const std::string apiBase = base && *base ? base : marlin::TwitterAPI::kDefaultApiBase;
    // prefs, appcred and the scorer's files live beside the program.
    const std::string appFolder = QDir::toNativeSeparators(QApplication::applicationDirPath()).toStdString();

    marlin::QtToolkit toolkit;
    marlin::frmMain form(toolkit, marlin::CurlHttpRequest::Factory(), apiBase, appFolder);
    marlin::MainWindow window(form);
    toolkit.SetWindow(&window);
    window.Start();
    return QApplication::exec();
}
