// The cost of the v2 dialect: turning a 100-post v2 search page into records (the
// translation to the v1.1 page and SetData of it) against SetData of the v1.1 page of the
// same posts, both fetched from the emulator, which serves the two from one corpus.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

#include "core/tweet_set.h"
#include "emulator/emulator.h"
#include "service/curl_http_request.h"
#include "service/twitter_api.h"
#include "service/v2_translator.h"
#include "thread_cpu.h"

namespace {

using namespace marlin;
using namespace std::chrono_literals;

constexpr double kTargetRatio = 1.3;
constexpr int kRounds = 7;
constexpr int kPagesPerRound = 50;

// The body of the first page of a search in one dialect.
std::string SearchBody(emulator::Emulator& service, ApiVersion version) {
    // Nothing fails on loopback; a question would be a fault of the bench.
    struct NoQuestions : ExchangeHost {
        bool AskToRetry(const std::string&, const std::string&) override { return false; }
    } host;
    TweetSet tweets{Yield()};
    TwitterAPI api(host,
                   CurlHttpRequest::Factory({.connectTimeout = 2000ms, .totalTimeout = 20s, .caFile = ""}),
                   service.BaseUrl());
    const auto& config = service.Config();
    api.SetApiVersion(version);
    api.AuthAppAccess(config.appName, config.consumerKey, config.consumerSecret);
    std::string count = "100";
    return api.GetSearch(service.Queries().common, "", "", "", count, tweets, false, "recent").body;
}

// The fastest of the rounds, in milliseconds a page.
template <class Work>
double PageMilliseconds(Work&& work) {
    double best = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        const double start = ThreadCpuSeconds();
        for (int page = 0; page < kPagesPerRound; ++page) work();
        best = std::min(best, (ThreadCpuSeconds() - start) / kPagesPerRound * 1000.0);
    }
    return best;
}

}  // namespace

int main() {
    emulator::Emulator service;
    service.Start();
    const std::string v11 = SearchBody(service, ApiVersion::V1_1);
    const std::string v2 = SearchBody(service, ApiVersion::V2);

    TweetSet tweets{Yield()};
    tweets.SetNoticeSink([](const std::string&) {});
    V2Translator translator;
    const double v11Ms = PageMilliseconds([&] { tweets.SetData(v11, false, true); });
    const int v11Count = tweets.Count();
    const double v2Ms =
        PageMilliseconds([&] { tweets.SetData(*translator.TweetPage(v2, true), false, true); });
    const int v2Count = tweets.Count();
    const double translationMs = PageMilliseconds([&] { translator.TweetPage(v2, true); });
    const double ratio = v2Ms / v11Ms;

    std::printf("search page, v1.1: %d tweets, %zu bytes, SetData %.3f ms\n", v11Count, v11.size(), v11Ms);
    std::printf("search page, v2:   %d posts, %zu bytes, translation and SetData %.3f ms\n", v2Count,
                v2.size(), v2Ms);
    std::printf("  of which the translation to the v1.1 page %.3f ms\n", translationMs);
    std::printf("v2 / v1.1: %.2f (target <= %.1f) %s\n", ratio, kTargetRatio,
                ratio <= kTargetRatio ? "ok" : "MISSED");
    return ratio <= kTargetRatio && v11Count == v2Count ? 0 : 1;
}
