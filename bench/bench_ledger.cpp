// What the spending ledger adds to a capture: the same v2 search of some 27,000 posts from
// the emulator, run by the capture engine with the ledger (the limit check before each
// request, with a run, a day and a month limit so that every sum is read, and each page's
// reads into the ledger after it) and without it. The processor time of the capturing
// thread is measured (the emulator serves from threads of its own); the runs of a pair
// alternate which goes first, and the median of the pairs' ratios is printed beside the
// target.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "emulator/emulator.h"
#include "median.h"
#include "quiet_capture_events.h"
#include "service/curl_http_request.h"
#include "spending/ledger.h"
#include "thread_cpu.h"
#include "workspace/engine/capture_engine.h"

namespace {

using namespace marlin;

constexpr int kPairs = 9;
constexpr double kTargetShare = 0.03;

struct Capture {
    double seconds = 0;
    int posts = 0;
};

Capture Run(emulator::Emulator& service, const std::filesystem::path& folder, bool ledger) {
    for (const char* end : {"", "-wal", "-shm"})
        std::filesystem::remove(folder / (std::string(Ledger::kFileName) + end));
    QuietCaptureEvents events;
    CaptureEngine::Setup setup{CurlHttpRequest::Factory(), service.BaseUrl(), folder};
    setup.keepsSpending = ledger;
    CaptureEngine engine(setup, events);
    const auto& c = service.Config();
    engine.Client().AuthAppAccess(c.appName, c.consumerKey, c.consumerSecret);
    CaptureRequest request;
    request.kind = CaptureKind::Search;
    request.dialect = CaptureDialect::V2;
    request.query = service.Queries().common;
    request.backTo = CaptureRequest::DaysBack(8);
    request.spendingLimits = {Money::Dollars(1000), Money::Dollars(1000), Money::Dollars(10000)};
    const double start = ThreadCpuSeconds();
    engine.Capture(request);
    return {ThreadCpuSeconds() - start, engine.Tweets().Count()};
}

}  // namespace

int main() {
    emulator::EmulatorConfig config;
    config.tweetsPerDay = 33500;  // some 27,000 posts of the common word in the search's reach
    config.limits[static_cast<int>(emulator::Family::V2Search)] = 30000;
    emulator::Emulator service(config);
    service.Start();
    char folderName[] = "/tmp/marlin-bench-ledger-XXXXXX";
    const std::filesystem::path folder = mkdtemp(folderName);

    Run(service, folder, true);  // warms the emulator's pages and the caches
    std::vector<double> added;
    int posts = 0;
    for (int pair = 0; pair < kPairs; ++pair) {
        Capture with, without;
        if (pair % 2 == 0) {
            with = Run(service, folder, true);
            without = Run(service, folder, false);
        } else {
            without = Run(service, folder, false);
            with = Run(service, folder, true);
        }
        posts = with.posts;
        added.push_back(with.seconds / without.seconds - 1);
        std::printf("pair %d: %d posts, with the ledger %.1f ms, without %.1f ms (%+.1f %%)\n", pair + 1,
                    with.posts, with.seconds * 1000, without.seconds * 1000, 100 * added.back());
    }
    service.Stop();
    const double median = Median(added);
    std::printf(
        "a v2 capture of %d posts: the ledger adds %.1f %% of its processor time (median of %d pairs); "
        "target at most %.0f %%: %s\n",
        posts, 100 * median, kPairs, 100 * kTargetShare, median <= kTargetShare ? "met" : "NOT met");
    std::filesystem::remove_all(folder);
    return 0;
}
