#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace marlin {

// The records of a delimited text, one at a time, as the tables researchers share are written:
// CSV as RFC 4180 has it (fields apart by commas; a field in double quotes may hold commas, doubled
// quotes and line breaks; records end at CR LF or LF), or the tab-separated table files of this
// program, whose fields never hold a tab or a line break and are never quoted. A byte-order mark at
// the start is skipped.
class CsvRecords {
  public:
    // separator ',' reads CSV; '\t' reads a tab-separated table.
    explicit CsvRecords(std::istream& in, char separator = ',');

    // The next record's fields; false at the end of the text.
    bool Next(std::vector<std::string>& fields);

    // Appends a CSV field, in quotes when it holds a comma, a quote or a line break.
    static void AppendField(std::string& out, std::string_view field);
    // Drops the UTF-8 byte-order mark a file's first line may start with.
    static void DropByteOrderMark(std::string& line);

  private:
    bool NextLine(std::string& line);
    void SplitPlain(const std::string& line, std::vector<std::string>& fields) const;

    std::istream& m_in;
    char m_separator;
    bool m_first = true;
};

}  // namespace marlin
