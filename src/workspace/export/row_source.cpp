#include "workspace/export/row_source.h"

#include "workspace/export/table_file_rows.h"

namespace marlin {

RowSource::EachRow RowSource::OfTable(const ReportList& table) {
    return [&table](const Sink& sink) {
        for (int row = 0; row < table.RowCount(); ++row)
            sink([&table, row](int column) { return table.Cell(row, column); });
        return true;
    };
}

RowSource::EachRow RowSource::OfTweetFile(const std::string& fileName, const ExportOptions& options) {
    return [fileName, &options](const Sink& sink) {
        return TableFileRows::EachTweet(
            fileName,
            [&sink](const TableFileRows::TweetCells& cells) {
                sink([&cells](int column) {
                    return column >= 0 && column < TweetColumn::Count
                               ? cells[static_cast<std::size_t>(column)]
                               : std::string_view();
                });
                return true;
            },
            options);
    };
}

RowSource::EachRow RowSource::OfUserFile(const std::string& fileName, const ExportOptions& options) {
    return [fileName, &options](const Sink& sink) {
        return TableFileRows::EachUser(
            fileName,
            [&sink](std::span<const std::string_view> cells) {
                sink([&cells](int column) {
                    return column >= 0 && static_cast<std::size_t>(column) < cells.size()
                               ? cells[static_cast<std::size_t>(column)]
                               : std::string_view();
                });
                return true;
            },
            options);
    };
}

}  // namespace marlin
