#include "workspace/export/table_file_reader.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "core/exact_text.h"
#include "sentiment/marlin_data.h"
#include "workspace/export/table_file_rows.h"
#include "workspace/tables/tweet_table.h"
#include "workspace/tables/user_table.h"

namespace marlin {
namespace {

std::vector<std::string> SplitTabs(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.emplace_back(
            line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    return fields;
}

}  // namespace

bool TableFileReader::ReadTweets(const std::string& fileName, ReportList& table,
                                 const ExportOptions& options) {
    // Reading a table file asks nothing of anyone: the scorer is never run here.
    ProcessHost unattended;
    MarlinData data(unattended, std::filesystem::temp_directory_path());
    if (!data.Load(fileName)) return false;
    table.BeginUpdate();
    table.ClearRows();
    table.ClearColumns();
    TableFileRows::AddTweetColumns(table);
    try {
        for (int record = 1; record <= data.RecordCount(); ++record) {
            if (record % ExportOptions::kRowsPerCheck == 0 && options.Stopped()) break;
            if (record == 1 && data.Value(1, 1) == "DateTime") continue;  // the header line
            table.AddRow(TweetTable::RowCells(data, record));
        }
    } catch (const std::out_of_range&) {
        table.EndUpdate();
        return false;
    }
    table.EndUpdate();
    return !options.Stopped();
}

bool TableFileReader::ReadUsers(const std::string& fileName, ReportList& table,
                                const ExportOptions& options) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return false;
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return false;
    const std::string text = ExactText::TableFileText(bytes);
    table.BeginUpdate();
    table.ClearRows();
    UserTable::CreateColumns(table);
    std::size_t start = 0;
    for (int row = 1; start < text.size() && (row % ExportOptions::kRowsPerCheck != 0 || !options.Stopped());
         ++row) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) table.AddRow(SplitTabs(line));
        start = end + 1;
    }
    table.EndUpdate();
    return !options.Stopped();
}

}  // namespace marlin
