// The desktop program: the Qt application, the toolkit, the main window and its
// credentials dialog, against the service named by MARLIN_API_BASE.
#include <QApplication>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/command_line.h"
#include "platform/console_toolkit.h"
#include "platform/process_signals.h"
#include "platform/program_folder.h"
#include "platform/qt/guarded_application.h"
#include "platform/qt/qt_toolkit.h"
#include "service/curl_http_request.h"
#include "service/twitter_api.h"
#include "workspace/frm_main.h"
#include "workspace/headless/headless_run.h"
#include "workspace/ui/main_window.h"

namespace {

std::atomic<bool> g_stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void RequestStop(int) {
    g_stopRequested.store(true);
}

// The service's base address; the demo and the tests point it at the local emulator.
std::string ApiBase() {
    const char* base = std::getenv("MARLIN_API_BASE");
    return base && *base ? base : marlin::TwitterAPI::kDefaultApiBase;
}

// No Qt object is made on this path, so it runs where there is no display.
int RunHeadless(const std::vector<std::string>& arguments, const marlin::ProgramFolder& folder) {
    if (!arguments.empty() && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::cout << marlin::HeadlessCommand::UsageText();
        return 0;
    }
    if (const std::error_code error = folder.Create())
        std::cerr << "marlin-skimmer: cannot create the program folder " << folder.Path().string() << ": "
                  << error.message() << "\n";
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    marlin::ConsoleToolkit toolkit(std::cerr);
    marlin::HeadlessRun::Setup setup;
    setup.requestFactory = marlin::CurlHttpRequest::Factory();
    setup.apiBase = ApiBase();
    setup.appFolder = folder.Path();
    setup.installedScorerFolder = folder.InstalledDataFolder();
    setup.getEnv = [](const char* name) -> const char* { return std::getenv(name); };
    setup.stopRequested = &g_stopRequested;
    setup.out = &std::cout;
    marlin::HeadlessRun run(toolkit, std::move(setup));
    return run.Run(arguments);
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
            return RunHeadless(commandLine.HeadlessArguments(), folder);
        case marlin::CommandLine::Action::OpenWindow:
            break;
    }
    return OpenWindow(argc, argv, folder);
}
