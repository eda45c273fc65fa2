#include "workspace/headless/headless_main.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <iostream>

#include "platform/console_toolkit.h"
#include "service/curl_http_request.h"
#include "service/twitter_api.h"
#include "workspace/headless/headless_command.h"
#include "workspace/headless/headless_run.h"

namespace marlin {

namespace {

std::atomic<bool> g_stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void RequestStop(int) {
    g_stopRequested.store(true);
}

// The service's base address; the demo and the tests point it at the local emulator.
std::string ApiBase() {
    const char* base = std::getenv("MARLIN_API_BASE");
    return base && *base ? base : TwitterAPI::kDefaultApiBase;
}

}  // namespace

int HeadlessMain::Run(const std::vector<std::string>& arguments, const ProgramFolder& folder) {
    if (!arguments.empty() && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::cout << HeadlessCommand::UsageText();
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

    ConsoleToolkit toolkit(std::cerr);
    HeadlessRun::Setup setup;
    setup.requestFactory = CurlHttpRequest::Factory();
    setup.apiBase = ApiBase();
    setup.appFolder = folder.Path();
    setup.installedScorerFolder = folder.InstalledDataFolder();
    setup.getEnv = [](const char* name) -> const char* { return std::getenv(name); };
    setup.stopRequested = &g_stopRequested;
    setup.out = &std::cout;
    HeadlessRun run(toolkit, std::move(setup));
    return run.Run(arguments);
}

}  // namespace marlin
