#include "workspace/export/frequency_files.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "core/skd_funcs.h"
#include "workspace/export/cell_kinds.h"
#include "workspace/export/csv_export.h"
#include "workspace/export/xlsx_export.h"

namespace marlin {
namespace {

constexpr int kPadWidth = 9;
constexpr TweetFrequencies::Kind kKinds[] = {
    TweetFrequencies::Kind::Hashtags, TweetFrequencies::Kind::Mentions, TweetFrequencies::Kind::Authors,
    TweetFrequencies::Kind::Domains, TweetFrequencies::Kind::Words};

// The kinds a count holds: the words only when they were counted.
std::vector<TweetFrequencies::Kind> KindsOf(bool words) {
    std::vector<TweetFrequencies::Kind> kinds(std::begin(kKinds), std::end(kKinds));
    if (!words) kinds.pop_back();
    return kinds;
}

std::string Count(int value) {
    return SKDFuncs::PadNumber(std::to_string(value), kPadWidth);
}

std::string Mean(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f", value);
    return SKDFuncs::PadNumber(buffer, kPadWidth);
}

bool IsWorkbook(const std::string& fileName) {
    return std::filesystem::path(fileName).extension() == ".xlsx";
}

}  // namespace

std::optional<TweetFrequencies::Interval> FrequencyFiles::IntervalNamed(const std::string& by) {
    if (by.empty()) return TweetFrequencies::Interval::Whole;
    if (by == "hour") return TweetFrequencies::Interval::Hour;
    if (by == "day") return TweetFrequencies::Interval::Day;
    if (by == "week") return TweetFrequencies::Interval::Week;
    return std::nullopt;
}

void FrequencyFiles::FillItems(ReportList& table, const std::vector<TweetFrequencies::Item>& items) {
    table.ClearRows();
    table.ClearColumns();
    table.AddColumn("interval");
    table.AddColumn("item", 3000);
    table.AddColumn("count", 1000, Alignment::Right);
    table.AddColumn("users", 1000, Alignment::Right);
    table.AddColumn("mean_sent_pos", 1000, Alignment::Right);
    table.AddColumn("mean_sent_neg", 1000, Alignment::Right);
    table.BeginUpdate();
    for (const TweetFrequencies::Item& item : items)
        table.AddRow({item.interval, item.item, Count(item.count), Count(item.users), Mean(item.meanPositive),
                      Mean(item.meanNegative)});
    table.EndUpdate();
}

void FrequencyFiles::FillSummary(ReportList& table, const TweetFrequencies& frequencies) {
    table.ClearRows();
    table.ClearColumns();
    table.AddColumn("interval");
    for (const char* header : {"tweets", "with_links", "with_hashtags", "with_mentions", "retweets",
                               "authors", "mean_sent_pos", "mean_sent_neg"})
        table.AddColumn(header, 1000, Alignment::Right);
    table.BeginUpdate();
    for (const TweetFrequencies::Summary& s : frequencies.Summaries())
        table.AddRow({s.interval, Count(s.tweets), Count(s.withLinks), Count(s.withHashtags),
                      Count(s.withMentions), Count(s.retweets), Count(s.authors), Mean(s.meanPositive),
                      Mean(s.meanNegative)});
    table.EndUpdate();
}

std::string FrequencyFiles::CsvFileFor(const std::string& out, const std::string& part) {
    std::filesystem::path path(out);
    const std::string extension = path.has_extension() ? path.extension().string() : std::string(".csv");
    return path.replace_extension().string() + "-" + part + extension;
}

bool FrequencyFiles::SaveTable(const std::string& fileName, const ReportList& table,
                               const std::string& sheetName) {
    if (IsWorkbook(fileName))
        return XlsxExport::Write(fileName,
                                 {XlsxExport::Sheet{sheetName, &table, CellKinds::ByAlignment(table)}});
    return CsvExport::Write(fileName, CsvExport::Text(table, CellKinds::ByAlignment(table)));
}

bool FrequencyFiles::Write(const std::string& out, const TweetFrequencies& frequencies) {
    std::vector<std::unique_ptr<ReportList>> tables;
    std::vector<std::string> names;
    for (const TweetFrequencies::Kind kind : KindsOf(frequencies.HasWords())) {
        tables.push_back(std::make_unique<ReportList>());
        FillItems(*tables.back(), frequencies.Items(kind));
        names.emplace_back(TweetFrequencies::KindName(kind));
    }
    tables.push_back(std::make_unique<ReportList>());
    FillSummary(*tables.back(), frequencies);
    names.emplace_back(kSummaryName);

    if (IsWorkbook(out)) {
        std::vector<XlsxExport::Sheet> sheets;
        for (std::size_t k = 0; k < tables.size(); ++k)
            sheets.push_back({names[k], tables[k].get(), CellKinds::ByAlignment(*tables[k])});
        return XlsxExport::Write(out, sheets);
    }
    bool good = true;
    for (std::size_t k = 0; k < tables.size(); ++k)
        good = SaveTable(CsvFileFor(out, names[k]), *tables[k], names[k]) && good;
    return good;
}

std::vector<std::string> FrequencyFiles::FilesFor(const std::string& out, bool words) {
    if (IsWorkbook(out)) return {out};
    std::vector<std::string> files;
    for (const TweetFrequencies::Kind kind : KindsOf(words))
        files.push_back(CsvFileFor(out, TweetFrequencies::KindName(kind)));
    files.push_back(CsvFileFor(out, kSummaryName));
    return files;
}

bool FrequencyFiles::FromTableFile(const std::string& tableFile, const std::string& out,
                                   const std::string& by, bool words, const ExportOptions& options) {
    const std::optional<TweetFrequencies::Interval> interval = IntervalNamed(by);
    if (!interval) return false;
    const std::optional<TweetFrequencies> frequencies =
        TweetFrequencies::FromRows(RowSource::OfTweetFile(tableFile, options), *interval, {words, nullptr});
    return frequencies && !options.Stopped() && Write(out, *frequencies);
}

}  // namespace marlin
