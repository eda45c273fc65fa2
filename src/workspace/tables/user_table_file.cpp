#include "workspace/tables/user_table_file.h"

#include "core/atomic_file.h"
#include "core/exact_text.h"
#include "workspace/tables/user_table.h"

namespace marlin {

const char* UserTableFile::Extension(Layout layout) {
    switch (layout) {
        case Layout::Keys:
            return ".muk";
        case Layout::Profiler:
            return ".mprf";
        case Layout::All:
            break;
    }
    return ".mut";
}

std::vector<std::string> UserTableFile::LineFields(const ReportList& table, int row, Layout layout) {
    std::vector<int> positions;
    if (layout == Layout::Keys) {
        positions = {UserTable::kId, UserTable::kScreenName};
    } else if (layout == Layout::Profiler) {
        // "FF Ratio" and "TwtDay" are not the classifier's business.
        for (int k = UserTable::kId; k <= UserTable::kBackground; ++k) positions.push_back(k);
        positions.push_back(UserTable::kPrfTwtSamp);
        positions.push_back(UserTable::kPrfBDayTwts);
    } else {
        for (int k = 0; k < UserTable::kColumnCount; ++k) positions.push_back(k);
    }
    std::vector<std::string> fields;
    fields.reserve(positions.size());
    for (int k : positions) fields.emplace_back(table.Cell(row, k));
    return fields;
}

bool UserTableFile::Write(const ReportList& table, const std::string& fileName, Layout layout, bool exact) {
    std::string text;
    for (int row = 0; row < table.RowCount(); ++row) {
        const std::vector<std::string> fields = LineFields(table, row, layout);
        for (std::size_t k = 0; k < fields.size(); ++k) {
            if (k > 0) text += '\t';
            text += fields[k];
        }
        text += "\r\n";
    }
    return AtomicFile::Write(fileName, ExactText::TableFileBytes(text, exact));
}

}  // namespace marlin
