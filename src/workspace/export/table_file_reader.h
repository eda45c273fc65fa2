#pragma once

#include <string>

#include "platform/report_list.h"
#include "workspace/export/export_options.h"

namespace marlin {

// Reads saved table files into tables shaped like the window's, for the exports that run
// on a file rather than on the window: a tweet table file (".txt"/".mtwt", with or
// without its header line) into the 16 Tweets table columns, and a whole user table file
// (".mut") into the 37 user table columns. The table given is emptied first.
class TableFileReader {
  public:
    // False when the file is missing or is not a tweet table, or when the stop flag was
    // raised while the rows were made.
    static bool ReadTweets(const std::string& fileName, ReportList& table, const ExportOptions& options = {});
    // False when the file cannot be read or the stop flag was raised.
    static bool ReadUsers(const std::string& fileName, ReportList& table, const ExportOptions& options = {});
};

}  // namespace marlin
