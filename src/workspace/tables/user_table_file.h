#pragma once

#include <string>
#include <vector>

#include "platform/report_list.h"

namespace marlin {

// The user table files: user keys (".muk"), the classifier's input (".mprf") and the whole
// table (".mut"), all tab-separated lines in the table's row order with cells as shown.
class UserTableFile {
  public:
    enum class Layout { Keys, Profiler, All };

    static const char* Extension(Layout layout);
    // The fields one row contributes to a file of that layout.
    static std::vector<std::string> LineFields(const ReportList& table, int row, Layout layout);
    // Writes every row of the table; false when the file could not be written, in which
    // case a file already there is left as it was.
    // exact: "Keep Texts Exactly", the file in UTF-8 with its mark.
    static bool Write(const ReportList& table, const std::string& fileName, Layout layout,
                      bool exact = false);
};

}  // namespace marlin
