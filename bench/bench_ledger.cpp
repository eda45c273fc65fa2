// What the spending ledger costs a capture: for the 270 pages of a 27,000-post v2 search from
// the emulator, the processor time of the guard (the limit check before each request, with
// a day and a month limit so that both sums are read, and the page's reads into the ledger
// after it) against that of turning the same pages into records (translation and SetData),
// the part of a capture every page pays. The guard is timed reading each body for its ids,
// and given the ids (as a capture that hands over what its own reading found). Rounds
// alternate; the medians of the paired ratios are printed beside the target.
#include <httplib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "core/tweet_set.h"
#include "emulator/emulator.h"
#include "service/v2_request.h"
#include "service/v2_translator.h"
#include "spending/page_reads.h"
#include "spending/spending_guard.h"
#include "thread_cpu.h"

namespace {

using namespace marlin;

constexpr int kPages = 270;
constexpr int kRounds = 5;
constexpr double kTargetShare = 0.03;

std::vector<std::string> SearchPages(emulator::Emulator& service) {
    httplib::Client client("127.0.0.1", service.Port());
    const httplib::Headers headers{{"Authorization", "Bearer " + service.IssueToken()}};
    const std::string first = V2Request::Search(false, service.Queries().common, "", "", "", "100", 0);
    std::vector<std::string> pages;
    std::string token;
    while (static_cast<int>(pages.size()) < kPages) {
        const auto answer = client.Get(first + (token.empty() ? "" : "&next_token=" + token), headers);
        if (!answer || answer->status != 200) break;
        pages.push_back(answer->body);
        const std::size_t at = answer->body.find("\"next_token\":\"");
        if (at == std::string::npos) break;
        token = answer->body.substr(at + 14, answer->body.find('"', at + 14) - at - 14);
    }
    return pages;
}

double Records(const std::vector<std::string>& pages) {
    TweetSet tweets{Yield()};
    V2Translator translator;
    const double start = ThreadCpuSeconds();
    for (const std::string& page : pages) tweets.SetData(*translator.TweetPage(page, true), true, true);
    return ThreadCpuSeconds() - start;
}

// With `reads`, the ids of each page are handed over; without, each body is read for them.
double Guard(const std::vector<std::string>& pages, const std::vector<std::vector<Ledger::Read>>* reads,
             const std::filesystem::path& ledger) {
    std::filesystem::remove(ledger);
    SpendingGuard guard(ledger, {}, {std::nullopt, Money::Dollars(1000), Money::Dollars(10000)},
                        {"search", "bench", "v2"});
    const double start = ThreadCpuSeconds();
    for (std::size_t k = 0; k < pages.size(); ++k) {
        const bool stopped =
            guard.BeforeRequest(ReadKind::Post, 100).has_value() ||
            (reads ? guard.AfterReads((*reads)[k]) : guard.AfterAnswer(ReadKind::Post, pages[k])).has_value();
        if (stopped) {
            std::fprintf(stderr, "the guard stopped the run\n");
            break;
        }
    }
    return ThreadCpuSeconds() - start;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    emulator::EmulatorConfig config;
    config.tweetsPerDay = 32000;  // enough posts of the common word for 270 pages
    config.limits[static_cast<int>(emulator::Family::V2Search)] = 100000;
    emulator::Emulator service(config);
    service.Start();
    const std::vector<std::string> pages = SearchPages(service);
    service.Stop();
    std::vector<std::vector<Ledger::Read>> reads;
    for (const std::string& page : pages) reads.push_back(PageReads::Of(page, ReadKind::Post));
    char folderName[] = "/tmp/marlin-bench-ledger-XXXXXX";
    const std::filesystem::path folder = mkdtemp(folderName);
    const std::filesystem::path ledger = folder / Ledger::kFileName;

    std::vector<double> reading, given;
    for (int round = 0; round < kRounds; ++round) {
        const double records = Records(pages);
        const double guardReading = Guard(pages, nullptr, ledger);
        const double guardGiven = Guard(pages, &reads, ledger);
        reading.push_back(guardReading / records);
        given.push_back(guardGiven / records);
        std::printf("round %d: records %.1f ms, guard reading the bodies %.1f ms, given the ids %.1f ms\n",
                    round + 1, records * 1000, guardReading * 1000, guardGiven * 1000);
    }
    std::printf(
        "%zu pages of a v2 search: the ledger costs %.1f %% of the records' processor time reading the "
        "bodies, %.1f %% given the ids (medians of %d pairs); target %.0f %% of a whole capture, of "
        "which the records are a part\n",
        pages.size(), 100 * Median(reading), 100 * Median(given), kRounds, 100 * kTargetShare);
    std::filesystem::remove_all(folder);
    return 0;
}
