// A report list of 200,000 tweet-like rows of 16 columns: filled one row at a time with
// automatic sorting on (as a retrieval shows its tweets), sorted by a numeric and by a
// text column, filtered the way Filter Tweets rebuilds the table, and its memory.
// Targets: one sort <= 1 s, filter <= 1 s, the whole table <= 1 GiB.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "platform/report_list.h"

namespace {

constexpr int kRows = 200000;
constexpr double kSortTarget = 1.0;
constexpr double kFilterTarget = 1.0;
constexpr double kMemoryTargetMiB = 1024.0;

const char* kHeaders[] = {"DateTime",       "UserScreenName", "Tweet",       "TweetID",
                          "UserRealName",   "UserFollowers",  "UserFriends", "UserLocation",
                          "UserUTC_Offset", "GeoCoords",      "UserTweets",  "Retweets",
                          "LinkURL",        "Sent+",          "Sent-",       "UserDescription"};
const bool kRightAligned[] = {false, false, false, true, false, true, true, false,
                              true,  true,  true,  true, false, true, true, false};

unsigned g_seed = 20140309;
unsigned Next() {
    g_seed = g_seed * 1103515245u + 12345u;
    return g_seed >> 8;
}

// As the windows put numbers into the table: right-aligned with blanks, negatives as they are.
std::string Pad(long long value, std::size_t width = 7) {
    std::string text = std::to_string(value);
    if (value < 0 || text.size() >= width) return text;
    text.insert(0, width - text.size(), ' ');
    return text;
}

std::string Join(const char* prefix, unsigned long long number) {
    std::string text(prefix);
    text += std::to_string(number);
    return text;
}

std::string Words(int count) {
    static const char* words[] = {"marlin",   "twitter", "the",   "research", "data", "RT",
                                  "@someone", "today",   "new",   "study",    "of",   "social",
                                  "news",     "is",      "great", "#science"};
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i) text += ' ';
        text += words[Next() % 16];
    }
    return text;
}

std::vector<std::string> TweetRow(int i) {
    static const char* days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    char date[40];
    std::snprintf(date, sizeof date, "%s Mar %02u %02u:%02u:%02u 0000 2014", days[Next() % 7],
                  1 + Next() % 28, Next() % 24, Next() % 60, Next() % 60);
    const unsigned long long id =
        440000000000000000ull + static_cast<unsigned long long>(Next()) * 7919ull + i;
    return {date,
            Join("user", Next() % 50000),
            Words(14 + static_cast<int>(Next() % 10)),
            Pad(static_cast<long long>(id)),
            Join("Real Name ", Next() % 1000),
            Pad(Next() % 2000000),
            Pad(Next() % 5000),
            (Next() % 3) ? "London, UK" : "",
            Pad(static_cast<long long>(Next() % 25) * 3600 - 43200),
            (Next() % 20) ? "" : "51.5072,-0.1276",
            Pad(Next() % 100000),
            Pad(Next() % 300),
            (Next() % 2) ? Join("http://t.co/", Next()) : " ",
            Pad(1 + Next() % 5),
            Pad(-1 - static_cast<long long>(Next() % 5)),
            Words(8 + static_cast<int>(Next() % 8))};
}

// Wall time is what the user waits for; the CPU time shows the share of it that is ours
// when the machine is busy with other work.
struct Stopwatch {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    std::clock_t cpu = std::clock();
    double Wall() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
    }
    double Cpu() const { return static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC; }
};

double ResidentMiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kib = 0;
            status >> kib;
            return kib / 1024.0;
        }
        std::getline(status, key);
    }
    return 0;
}

void ReportTime(const char* what, const Stopwatch& watch, double target, double* wall) {
    *wall = watch.Wall();
    std::printf("%-52s %9.3f s    (cpu %.3f s) (target <= %g s)%s\n", what, *wall, watch.Cpu(), target,
                *wall <= target ? "" : "  ** OVER TARGET **");
}

void Report(const char* what, double value, const char* unit, double target) {
    std::printf("%-52s %9.3f %-4s (target <= %g %s)%s\n", what, value, unit, target, unit,
                value <= target ? "" : "  ** OVER TARGET **");
}

}  // namespace

int main() {
    std::vector<std::vector<std::string>> source;
    source.reserve(kRows);
    for (int i = 0; i < kRows; ++i) source.push_back(TweetRow(i));
    const double rssBefore = ResidentMiB();

    marlin::ReportList table;
    for (int c = 0; c < 16; ++c) {
        table.AddColumn(kHeaders[c], 1000,
                        kRightAligned[c] ? marlin::Alignment::Right : marlin::Alignment::Left);
    }
    table.SetSortKey(3);
    table.SetSortOrder(marlin::SortDirection::Descending);
    table.SetSorted(true);

    Stopwatch watch;
    for (const auto& row : source) table.AddRow(row);
    (void)table.Text(0);  // the first read places the rows
    const double fill = watch.Wall();
    const double fillCpu = watch.Cpu();
    const double rssTable = ResidentMiB() - rssBefore;

    std::printf("bench_platform: %d rows x 16 columns\n", kRows);
    std::printf("%-52s %9.3f s    (cpu %.3f s)\n", "fill one row at a time, sorted on TweetID", fill,
                fillCpu);

    watch = Stopwatch();
    table.SetSortKey(5);  // UserFollowers: padded counts
    double numericSort = 0;
    ReportTime("sort by a numeric column (UserFollowers)", watch, kSortTarget, &numericSort);

    watch = Stopwatch();
    table.SetSortKey(1);  // UserScreenName
    double textSort = 0;
    ReportTime("sort by a text column (UserScreenName)", watch, kSortTarget, &textSort);

    watch = Stopwatch();
    table.SetSortKey(3);
    table.SetSortOrder(marlin::SortDirection::Ascending);
    double idSort = 0;
    ReportTime("sort by TweetID (18-19 digits)", watch, kSortTarget, &idSort);

    // Filter Tweets: read every row, keep the ones without the word, rebuild with sorting
    // off and switch it on once at the end.
    watch = Stopwatch();
    std::vector<std::vector<std::string>> keep;
    for (int i = 0; i < table.RowCount(); ++i) {
        const std::string_view tweet = table.Cell(i, 2);
        if (tweet.find("research") == std::string_view::npos) keep.push_back(table.RowCells(i));
    }
    table.SetSorted(false);
    table.ClearRows();
    for (const auto& row : keep) table.AddRow(row);
    table.SetSorted(true);
    double filter = 0;
    ReportTime("filter (keep-list, rebuild, sort once)", watch, kFilterTarget, &filter);
    std::printf("%-52s %9d rows\n", "rows kept by the filter", table.RowCount());

    watch = Stopwatch();
    const int removed = table.RemoveRowsIf([&](int row) { return table.Cell(row, 1) == "user42"; });
    std::printf("%-52s %9.3f s (%d rows)\n", "remove every row of one author", watch.Wall(), removed);

    table.ClearRows();
    for (const auto& row : source) table.AddRow(row);
    (void)table.Text(0);
    const double heldMiB = static_cast<double>(table.MemoryBytes()) / (1024.0 * 1024.0);
    Report("memory held by the table's rows", heldMiB, "MiB", kMemoryTargetMiB);
    Report("resident memory added by filling the table", rssTable, "MiB", kMemoryTargetMiB);
    const bool ok = numericSort <= kSortTarget && textSort <= kSortTarget && idSort <= kSortTarget &&
                    filter <= kFilterTarget && heldMiB <= kMemoryTargetMiB && rssTable <= kMemoryTargetMiB;
    std::printf("bench_platform: %s\n", ok ? "all figures within target" : "SOME FIGURES OVER TARGET");
    return 0;
}
