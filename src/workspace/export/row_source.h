#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/report_list.h"
#include "workspace/export/export_options.h"

namespace marlin {

// A table's rows handed over one at a time, from the window's table or from a table file
// alike, for the counts and graphs that read each row once: a table file is then read
// without holding it (TableFileRows).
class RowSource {
  public:
    // The row's cell of a column; the view holds while the row is handed over.
    using CellOf = std::function<std::string_view(int column)>;
    using Sink = std::function<void(const CellOf&)>;
    // Hands every row to the sink; false when not all of them could be read.
    using EachRow = std::function<bool(const Sink&)>;

    static EachRow OfTable(const ReportList& table);
    // A tweet table file's or a user table file's rows; false as TableFileRows says.
    static EachRow OfTweetFile(const std::string& fileName, const ExportOptions& options);
    static EachRow OfUserFile(const std::string& fileName, const ExportOptions& options);
};

}  // namespace marlin
