#pragma once

#include <optional>
#include <string>

#include "platform/report_list.h"
#include "workspace/export/export_options.h"
#include "workspace/export/tweet_frequencies.h"

namespace marlin {

// The frequency tables as tables and files: the window shows them in a report list, and
// they are saved as CSV (interval,item,count,users; the summary with its own columns) or
// as the sheets of one workbook. Counts are padded so that the list sorts them as numbers.
class FrequencyFiles {
  public:
    static constexpr const char* kSummaryName = "intervals";

    // "" the whole table, "hour", "day" or "week"; nothing for any other text.
    static std::optional<TweetFrequencies::Interval> IntervalNamed(const std::string& by);

    static void FillItems(ReportList& table, const std::vector<TweetFrequencies::Item>& items);
    static void FillSummary(ReportList& table, const TweetFrequencies& frequencies);

    // One table by the file's extension: ".xlsx" a workbook of one sheet, else CSV.
    static bool SaveTable(const std::string& fileName, const ReportList& table, const std::string& sheetName);
    // Every table: "x.xlsx" one workbook with a sheet each; otherwise "x-hashtags.csv",
    // "x-mentions.csv", "x-authors.csv", "x-domains.csv" and "x-intervals.csv" beside "x.csv".
    static bool Write(const std::string& out, const TweetFrequencies& frequencies);
    // False also when options' stop flag was raised (nothing is written then).
    static bool FromTableFile(const std::string& tableFile, const std::string& out, const std::string& by,
                              const ExportOptions& options = {});
    static std::string CsvFileFor(const std::string& out, const std::string& part);
    // The files Write makes for `out`.
    static std::vector<std::string> FilesFor(const std::string& out);
};

}  // namespace marlin
