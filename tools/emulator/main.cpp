// marlin-emulator: serves the local stand-in of the service until SIGINT or SIGTERM.
#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "emulator/emulator.h"

int main(int argc, char** argv) {
    using namespace marlin::emulator;
    std::vector<std::string> args(argv + 1, argv + argc);
    EmulatorConfig config;
    try {
        bool help = false;
        config = ParseCommandLine(args, &help);
        if (help) {
            std::cout << CommandLineHelp();
            return 0;
        }
    } catch (const std::exception& e) {
        std::cerr << "marlin-emulator: " << e.what() << "\n";
        return 2;
    }

    // Block the stop signals before any thread starts, so that every server thread inherits the mask and
    // the main thread alone receives them through sigwait.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        Emulator emulator(config);
        emulator.Start();
        // The port comes first and alone, so that a script can read it with one `read`.
        std::cout << emulator.Port() << "\n"
                  << "base url: " << emulator.BaseUrl() << "\n"
                  << "application name: " << config.appName << "\n"
                  << "consumer key: " << config.consumerKey << "\n"
                  << "consumer secret: " << config.consumerSecret << "\n"
                  << "bluesky handle: " << config.bskyHandle << "\n"
                  << "bluesky app password: " << config.bskyAppPassword << "\n"
                  << "users: " << emulator.Data().UserCount() << ", demo account: " << emulator.Users().demo
                  << "\n"
                  << std::flush;
        int received = 0;
        sigwait(&stopSignals, &received);
        emulator.Stop();
        std::cerr << "marlin-emulator: stopped on signal " << received << "\n";
    } catch (const std::exception& e) {
        std::cerr << "marlin-emulator: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
