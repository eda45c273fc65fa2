// What a Bluesky capture costs the program against a v2 capture: searches of some 20,000 posts of the
// same word from the emulator, run by the capture engine once through the second service's calls
// (searchPosts, across its per-query cap) and once through v2, alternately. The processor time of the
// capturing thread is measured (the emulator serves from threads of its own) and divided by the posts
// each run took; the median of the pairs' ratios is printed beside the target (no more per post).
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
#include "thread_cpu.h"
#include "workspace/engine/capture_engine.h"

namespace {

using namespace marlin;

constexpr int kPairs = 5;

struct Capture {
    double secondsPerPost = 0;
    int posts = 0;
};

Capture Run(emulator::Emulator& service, const std::filesystem::path& folder, bool bluesky) {
    QuietCaptureEvents events;
    CaptureEngine::Setup setup{CurlHttpRequest::Factory(), service.BaseUrl(), folder};
    setup.keepsSpending = false;
    setup.bskyBase = service.BaseUrl();
    CaptureEngine engine(setup, events);
    const auto& c = service.Config();
    if (bluesky)
        engine.Bluesky().CreateSession(c.bskyHandle, c.bskyAppPassword);
    else
        engine.Client().AuthAppAccess(c.appName, c.consumerKey, c.consumerSecret);
    CaptureRequest request;
    request.kind = CaptureKind::Search;
    request.service = bluesky ? CaptureService::Bluesky : CaptureService::Twitter;
    request.dialect = CaptureDialect::V2;
    request.query = service.Queries().common;
    request.backTo = CaptureRequest::DaysBack(6);
    const double start = ThreadCpuSeconds();
    engine.Capture(request);
    const int posts = engine.Tweets().Count();
    return {(ThreadCpuSeconds() - start) / std::max(posts, 1), posts};
}

}  // namespace

int main() {
    emulator::EmulatorConfig config;
    config.tweetsPerDay = 33500;  // some 20,000 posts of the common word in six days
    config.limits[static_cast<int>(emulator::Family::V2Search)] = 30000;
    config.limits[static_cast<int>(emulator::Family::BskySearch)] = 30000;
    emulator::Emulator service(config);
    service.Start();
    char folderName[] = "/tmp/marlin-bench-bluesky-XXXXXX";
    const std::filesystem::path folder = mkdtemp(folderName);

    Run(service, folder, true);  // warms the emulator's pages and the caches
    Run(service, folder, false);
    std::vector<double> ratios;
    Capture bsky, v2;
    for (int pair = 0; pair < kPairs; ++pair) {
        if (pair % 2 == 0) {
            bsky = Run(service, folder, true);
            v2 = Run(service, folder, false);
        } else {
            v2 = Run(service, folder, false);
            bsky = Run(service, folder, true);
        }
        ratios.push_back(bsky.secondsPerPost / v2.secondsPerPost);
        std::printf("pair %d: Bluesky %d posts, %.2f us a post; v2 %d posts, %.2f us a post\n", pair + 1,
                    bsky.posts, bsky.secondsPerPost * 1e6, v2.posts, v2.secondsPerPost * 1e6);
    }
    service.Stop();
    const double median = Median(ratios);
    std::printf(
        "a Bluesky capture of %d posts costs %.2f times the processor time a post of a v2 capture does "
        "(median of %d pairs); target at most 1: %s\n",
        bsky.posts, median, kPairs, median <= 1.0 ? "met" : "NOT met");
    std::filesystem::remove_all(folder);
    return 0;
}
