// The chart and the exports over a 200,000-row Tweets table, as a retrieval of a week leaves
// it (one tweet every few seconds, a third of them retweets, most naming someone):
//   chart redraw: buckets and series rebuilt  (target <= 0.3 s)
//   network export: graph built, GraphML written  (target <= 2 s)
//   CSV export: text built and written  (printed for reference)
//   Excel workbook export: 200,000 rows written  (target <= 5 s)
//   frequencies: the four frequency tables and the summary, per hour  (target <= 2 s)
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/skd_funcs.h"
#include "core/tweet_column.h"
#include "platform/report_list.h"
#include "workspace/export/csv_export.h"
#include "workspace/export/network_export.h"
#include "workspace/export/tweet_frequencies.h"
#include "workspace/export/tweet_time_buckets.h"
#include "workspace/export/xlsx_export.h"
#include "workspace/tables/tweet_time.h"
#include "workspace/tweets/tweet_table_view.h"
#include "workspace/ui/tweet_chart_view.h"

namespace {

constexpr int kRows = 200000;
constexpr int kUsers = 40000;

// The machine is shared: the CPU time beside each wall time shows what the work itself cost.
double CpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}
double g_cpuStart = 0;

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void Report(const char* what, double seconds, double target) {
    std::printf("%-52s %7.3f s (cpu %6.3f s)", what, seconds, CpuSeconds() - g_cpuStart);
    if (target > 0)
        std::printf(" (target <= %g s)%s", target, seconds <= target ? "" : "  ** OVER TARGET **");
    std::printf("\n");
}

std::string ServiceTime(long long seconds) {
    static const char* kDays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::string local = marlin::TweetTime::Local(seconds);  // dd/mm/yyyy hh:mm:ss
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%s %s %s %s +0000 %s", kDays[(seconds / 86400) % 7],
                  kMonths[std::stoi(local.substr(3, 2)) - 1], local.substr(0, 2).c_str(),
                  local.substr(11).c_str(), local.substr(6, 4).c_str());
    return buffer;
}

void Fill(marlin::ReportList& table) {
    using marlin::TweetColumn;
    for (int k = 0; k < TweetColumn::Count; ++k)
        table.AddColumn(marlin::TweetTable::kHeaders[k], 1000, marlin::TweetTable::ColumnAlignment(k));
    std::mt19937 random(7);
    std::uniform_int_distribution<int> user(0, kUsers - 1), score(1, 5), kind(0, 2);
    const long long start = 1219795200;  // 27/08/2008 00:00:00
    table.BeginUpdate();
    for (int row = 0; row < kRows; ++row) {
        std::vector<std::string> cells(TweetColumn::Count);
        cells[TweetColumn::DateTime] = ServiceTime(start + row * 3LL);
        cells[TweetColumn::UserScreenName] = "User_" + std::to_string(user(random));
        const std::string other = "user_" + std::to_string(user(random));
        const int k = kind(random);
        cells[TweetColumn::Tweet] =
            k == 0   ? "RT @" + other + ": a text of some length, \"quoted\", with a link"
            : k == 1 ? "Talking to @" + other + " and @friend_" + std::to_string(row % 97)
                     : "A text about #Topic_" + std::to_string(row % 300) + " and #data, naming nobody";
        if (k == 2)
            cells[TweetColumn::LinkURL] = "https://www.site" + std::to_string(row % 500) + ".org/page";
        cells[TweetColumn::TweetID] = std::to_string(1000000000000000000LL + row);
        cells[TweetColumn::UserFollowers] = marlin::SKDFuncs::PadNumber(std::to_string(row % 5000), 7);
        cells[TweetColumn::UserFriends] = marlin::SKDFuncs::PadNumber(std::to_string(row % 700), 7);
        cells[TweetColumn::UserLocation] = "Leeds";
        cells[TweetColumn::SentPositive] = std::to_string(score(random));
        cells[TweetColumn::SentNegative] = std::to_string(-score(random));
        table.AddRow(cells);
    }
    table.EndUpdate();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    marlin::ReportList table;
    Fill(table);
    const auto folder = std::filesystem::temp_directory_path();

    auto t = std::chrono::steady_clock::now();
    g_cpuStart = CpuSeconds();
    g_cpuStart = CpuSeconds();
    const marlin::TweetTimeBuckets buckets = marlin::TweetTimeBuckets::FromTable(table);
    Report("chart buckets (200,000 rows)", Seconds(t), 0);
    std::printf("  %zu buckets, %s\n", buckets.Buckets().size(), buckets.Daily() ? "per day" : "per hour");

    marlin::TweetChartView view(table);
    view.resize(1200, 500);
    view.show();
    t = std::chrono::steady_clock::now();
    g_cpuStart = CpuSeconds();
    view.Redraw();
    Report("chart redraw: buckets and series (200,000 rows)", Seconds(t), 0.3);
    t = std::chrono::steady_clock::now();
    g_cpuStart = CpuSeconds();
    view.grab();
    Report("chart painted once (for reference)", Seconds(t), 0);

    t = std::chrono::steady_clock::now();
    g_cpuStart = CpuSeconds();
    const bool graphWritten =
        marlin::NetworkExport::FromTweets(table).Write((folder / "bench_export.graphml").string());
    Report("network export to GraphML (200,000 tweets)", Seconds(t), 2.0);
    t = std::chrono::steady_clock::now();
    g_cpuStart = CpuSeconds();
    const marlin::NetworkExport graph = marlin::NetworkExport::FromTweets(table);
    Report("  of which the graph", Seconds(t), 0);
    std::printf("  %zu nodes, %zu edges, written: %s\n", graph.Nodes().size(), graph.Edges().size(),
                graphWritten ? "yes" : "NO");

    t = std::chrono::steady_clock::now();
    g_cpuStart = CpuSeconds();
    const bool csvWritten = marlin::CsvExport::Write((folder / "bench_export.csv").string(),
                                                     marlin::CsvExport::TweetsText(table));
    Report("CSV export (200,000 tweets)", Seconds(t), 0);
    std::printf("  written: %s\n", csvWritten ? "yes" : "NO");

    t = std::chrono::steady_clock::now();
    g_cpuStart = CpuSeconds();
    const auto frequencies =
        marlin::TweetFrequencies::FromTable(table, marlin::TweetFrequencies::Interval::Hour);
    Report("frequencies per hour (200,000 tweets)", Seconds(t), 2.0);
    std::printf("  %zu hashtag rows, %zu intervals\n",
                frequencies.Items(marlin::TweetFrequencies::Kind::Hashtags).size(),
                frequencies.Summaries().size());

    t = std::chrono::steady_clock::now();
    g_cpuStart = CpuSeconds();
    const bool xlsxWritten = marlin::XlsxExport::Write((folder / "bench_export.xlsx").string(),
                                                       {marlin::XlsxExport::TweetsSheet(table)});
    Report("Excel workbook export (200,000 tweets)", Seconds(t), 5.0);
    std::printf("  written: %s\n", xlsxWritten ? "yes" : "NO");
    std::filesystem::remove(folder / "bench_export.graphml");
    std::filesystem::remove(folder / "bench_export.csv");
    std::filesystem::remove(folder / "bench_export.xlsx");
    return graphWritten && csvWritten && xlsxWritten ? 0 : 1;
}
