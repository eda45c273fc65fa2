// Hydrating ids against searching: the capture engine searches the emulator for some 100,000
// posts, then hydrates the ids of exactly those posts (100 a request), in the same run. The
// processor time of the capturing thread is measured (the emulator serves from threads of its
// own); the pairs alternate which goes first, and the medians are printed beside the target:
// a hydrate costs at most what a search of as many posts costs.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "emulator/emulator.h"
#include "median.h"
#include "quiet_capture_events.h"
#include "service/curl_http_request.h"
#include "thread_cpu.h"
#include "workspace/engine/capture_engine.h"

namespace {

using namespace marlin;

constexpr int kPairs = 3;

struct Capture {
    double seconds = 0;
    std::vector<std::uint64_t> ids;
};

Capture Run(emulator::Emulator& service, const std::filesystem::path& folder, const CaptureRequest& request) {
    QuietCaptureEvents events;
    CaptureEngine::Setup setup{CurlHttpRequest::Factory(), service.BaseUrl(), folder};
    setup.keepsSpending = false;  // the same for both; measured on its own by bench_ledger
    CaptureEngine engine(setup, events);
    const auto& c = service.Config();
    engine.Client().AuthAppAccess(c.appName, c.consumerKey, c.consumerSecret);
    const double start = ThreadCpuSeconds();
    engine.Capture(request);
    Capture capture{ThreadCpuSeconds() - start, {}};
    for (int i = 1; i <= engine.Tweets().Count(); ++i)
        capture.ids.push_back(std::stoull(engine.Tweets().TweetID(i)));
    return capture;
}

}  // namespace

int main() {
    emulator::EmulatorConfig config;
    config.tweetsPerDay = 125000;  // some 100,000 posts of the common word in the search's reach
    config.limits[static_cast<int>(emulator::Family::V2Search)] = 30000;
    config.limits[static_cast<int>(emulator::Family::V2PostLookup)] = 30000;
    emulator::Emulator service(config);
    service.Start();
    char folderName[] = "/tmp/marlin-bench-hydrate-XXXXXX";
    const std::filesystem::path folder = mkdtemp(folderName);

    CaptureRequest search;
    search.kind = CaptureKind::Search;
    search.dialect = CaptureDialect::V2;
    search.query = service.Queries().common;
    search.backTo = CaptureRequest::DaysBack(8);
    CaptureRequest hydrate;
    hydrate.kind = CaptureKind::Hydrate;
    hydrate.dialect = CaptureDialect::V2;
    hydrate.postIds = Run(service, folder, search).ids;  // warms the emulator's pages and the caches

    std::vector<double> searched, hydrated;
    std::size_t posts = 0;
    for (int pair = 0; pair < kPairs; ++pair) {
        Capture bySearch, byId;
        if (pair % 2 == 0) {
            bySearch = Run(service, folder, search);
            byId = Run(service, folder, hydrate);
        } else {
            byId = Run(service, folder, hydrate);
            bySearch = Run(service, folder, search);
        }
        searched.push_back(bySearch.seconds);
        hydrated.push_back(byId.seconds);
        posts = byId.ids.size();
        std::printf("pair %d: search of %zu posts %.0f ms, hydrate of %zu ids (%zu posts) %.0f ms\n",
                    pair + 1, bySearch.ids.size(), bySearch.seconds * 1000, hydrate.postIds.size(),
                    byId.ids.size(), byId.seconds * 1000);
    }
    service.Stop();
    const double search_ms = Median(searched) * 1000;
    const double hydrate_ms = Median(hydrated) * 1000;
    std::printf(
        "hydrating %zu ids (%zu posts given): %.0f ms of processor time; a search of as many posts: %.0f ms "
        "(%.2fx); target at most the search's: %s\n",
        hydrate.postIds.size(), posts, hydrate_ms, search_ms, hydrate_ms / search_ms,
        hydrate_ms <= search_ms ? "met" : "NOT met");
    std::filesystem::remove_all(folder);
    return 0;
}
