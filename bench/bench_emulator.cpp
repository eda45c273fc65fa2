// Times the emulator answering the two largest pages the client asks for, over loopback HTTP as the client
// sees them: a 100-tweet search page (in the 140-character text mode the client uses, and in the extended
// mode other clients ask for) and a 200-tweet timeline page, each produced from the corpus on demand. The
// machine is shared, so the figure set against the target is the processor time the whole exchange takes
// (emulator thread and client together, the client's own share included): wall time would also count the
// other programs running beside the benchmark. The median wall time is printed beside it.
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "emulator/emulator.h"
#include "median.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Processor time of the whole process (all its threads), in milliseconds.
double CpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

struct Sample {
    std::vector<double> cpu;
    std::vector<double> wall;
    size_t bytes = 0;
};

// The next page's query, taken from the body without a JSON reader.
std::string NextResults(const std::string& body) {
    const std::string key = "\"next_results\":\"";
    size_t at = body.find(key);
    if (at == std::string::npos) return "";
    size_t end = body.find('"', at + key.size());
    return body.substr(at + key.size(), end - at - key.size());
}

void Report(const char* what, const Sample& s) {
    double median = Median(s.cpu);
    std::printf(
        "%-32s %5.2f ms processor time (median of %zu; wall %5.2f ms; %zu KB a page)   target <= 5 ms  %s\n",
        what, median, s.cpu.size(), Median(s.wall), s.bytes / 1024, median <= 5.0 ? "met" : "MISSED");
}

// One timed request; false when it did not succeed.
bool Timed(httplib::Client& client, const std::string& target, const httplib::Headers& headers, Sample& s,
           std::string* body) {
    double cpu = CpuMilliseconds();
    auto start = Clock::now();
    auto reply = client.Get(target.c_str(), headers);
    s.wall.push_back(Milliseconds(Clock::now() - start));
    s.cpu.push_back(CpuMilliseconds() - cpu);
    if (!reply || reply->status != 200) return false;
    s.bytes = std::max(s.bytes, reply->body.size());
    if (body) *body = std::move(reply->body);
    return true;
}

}  // namespace

int main() {
    using namespace marlin::emulator;
    EmulatorConfig config;  // the default corpus: 6,000 accounts, 20,000 tweets a day over 10 days
    for (int& limit : config.limits) limit = 1000000;
    auto built = Clock::now();
    Emulator emulator(config);
    double buildMs = Milliseconds(Clock::now() - built);
    emulator.Start();
    std::printf("corpus of %d accounts made in %.1f ms\n", emulator.Data().UserCount(), buildMs);

    httplib::Client client("127.0.0.1", emulator.Port());
    client.set_keep_alive(true);
    httplib::Headers headers{{"Authorization", "Bearer " + emulator.IssueToken()}, {"User-Agent", "bench"}};

    // Search: walk the pages of the common word, as a retrieval does.
    for (const char* mode : {"", "&tweet_mode=extended"}) {
        Sample search;
        for (int round = 0; round < 3; ++round) {
            std::string next = "?q=" + emulator.Queries().common + "&count=100";
            for (int page = 0; page < 40 && !next.empty(); ++page) {
                std::string body;
                if (!Timed(client, "/1.1/search/tweets.json" + next + mode, headers, search, &body))
                    return std::printf("search failed\n"), 1;
                next = NextResults(body);
            }
        }
        Report(*mode ? "100-tweet search page, extended" : "100-tweet search page, served", search);
    }

    // Timelines: 200-tweet pages of several accounts, from the top and further back.
    Sample timeline;
    const auto& corpus = emulator.Data();
    for (int round = 0; round < 3; ++round) {
        for (const std::string& name :
             {emulator.Users().prolific, emulator.Users().demo, emulator.Users().popular}) {
            auto refs = corpus.Timeline(*corpus.FindScreenName(name), 0, UINT64_MAX, 800);
            for (size_t first = 0; first < refs.size(); first += 200) {
                std::string target = "/1.1/statuses/user_timeline.json?screen_name=" + name + "&count=200";
                if (first > 0) target += "&max_id=" + std::to_string(corpus.TweetId(refs[first - 1]) - 1);
                if (!Timed(client, target, headers, timeline, nullptr))
                    return std::printf("timeline failed\n"), 1;
            }
        }
    }
    Report("200-tweet timeline page, served", timeline);
    emulator.Stop();
    return 0;
}
