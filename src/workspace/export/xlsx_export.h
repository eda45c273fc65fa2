#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/report_list.h"
#include "workspace/export/cell_kinds.h"
#include "workspace/export/export_options.h"

namespace marlin {

// Tables as an Excel workbook (.xlsx, written with libxlsxwriter), which Excel, LibreOffice
// Calc, Google Sheets, pandas (openpyxl) and R (readxl) open without an import dialog.
// Each table is one sheet: a bold header row that stays in sight (frozen) with an
// autofilter, ids as text cells that keep every digit, dates as date cells, numbers as
// numbers, and every other cell as a string, so a text that starts with "=", "+", "-" or
// "@" is shown as written and never run as a formula.
class XlsxExport {
  public:
    struct Sheet {
        std::string name;  // made fit for a sheet tab by SheetName
        const ReportList* table = nullptr;
        std::vector<CellKind> kinds;
    };

    // The most rows a sheet holds, the header included.
    static constexpr int kMaxRows = ExportOptions::kSheetRows;
    // The most bytes of a cell's text that are kept (a cell holds 32,767 characters).
    static constexpr std::size_t kMaxCellBytes = 32767;

    static Sheet TweetsSheet(const ReportList& tweets);
    static Sheet UsersSheet(const ReportList& users, const std::string& name);

    // Writes the sheets through the atomic writer, so an earlier file of that name survives
    // a failure and a stop. A table of more rows than a sheet holds goes on in further
    // sheets ("Tweets (2)"…), and options.tell hears so. False when the workbook could not
    // be written or the stop flag was raised.
    static bool Write(const std::string& fileName, const std::vector<Sheet>& sheets,
                      const ExportOptions& options = {});

    // A saved tweet table file or a whole user table file (".mut") to a workbook.
    static bool TweetsFromTableFile(const std::string& tableFile, const std::string& xlsxFile,
                                    const ExportOptions& options = {});
    static bool UsersFromTableFile(const std::string& tableFile, const std::string& xlsxFile,
                                   const ExportOptions& options = {});

    // At most 31 characters, none of []:*?/\, not empty.
    static std::string SheetName(std::string_view name);
    // Valid UTF-8 of at most kMaxCellBytes (an invalid byte becomes U+FFFD), without the
    // characters XML cannot hold (XmlText): a workbook is XML inside.
    static std::string CellText(std::string_view cell);
};

}  // namespace marlin
