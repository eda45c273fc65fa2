// The desktop program: the Qt application, the toolkit, the main window and its
// credentials dialog, against the service named by MARLIN_API_BASE.
#include <QApplication>
#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/command_line.h"
#include "platform/process_signals.h"
#include "platform/program_folder.h"
#include "platform/qt/guarded_application.h"
#include "platform/qt/qt_toolkit.h"
#include "service/curl_http_request.h"
#include "service/twitter_api.h"
#include "workspace/frm_main.h"
#include "workspace/headless/headless_main.h"
#include "workspace/ui/main_window.h"

namespace {

// The service's base address; the demo and the tests point it at the local emulator.
std::string ApiBase() {
    const char* base = std::getenv("MARLIN_API_BASE");
    return base && *base ? base : marlin::TwitterAPI::kDefaultApiBase;
}

int OpenWindow(int argc, char** argv, const marlin::ProgramFolder& folder) {
    if (const std::error_code error = folder.Create())
        std::cerr << "marlin-skimmer: cannot create the program folder " << folder.Path().string() << ": "
                  << error.message() << "\n";

    marlin::GuardedApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Marlin Skimmer Desktop Edition"));
    QApplication::setDesktopFileName(QStringLiteral("marlin-skimmer"));

    const std::string apiBase = ApiBase();

    marlin::QtToolkit toolkit;
    marlin::frmMain form(toolkit, marlin::CurlHttpRequest::Factory(), apiBase, folder.Path());
    form.State().Settings.InstalledScorerFolder = folder.InstalledDataFolder();
    marlin::MainWindow window(form);
    toolkit.SetWindow(&window);
    window.Start();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    marlin::ProcessSignals::IgnoreFileSizeLimit();
    const marlin::ProgramFolder folder = marlin::ProgramFolder::OfThisProgram();
    const marlin::CommandLine commandLine = marlin::CommandLine::FromMain(argc, argv);
    switch (commandLine.Requested()) {
        case marlin::CommandLine::Action::PrintVersion:
            std::cout << marlin::CommandLine::VersionText(MARLIN_VERSION, folder);
            return 0;
        case marlin::CommandLine::Action::PrintHelp:
            std::cout << marlin::CommandLine::HelpText();
            return 0;
        case marlin::CommandLine::Action::RunHeadless:
            return marlin::HeadlessMain::Run(commandLine.HeadlessArguments(), folder);
        case marlin::CommandLine::Action::OpenWindow:
            break;
    }
    return OpenWindow(argc, argv, folder);
}
