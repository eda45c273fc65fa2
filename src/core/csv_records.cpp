#include "core/csv_records.h"

namespace marlin {

CsvRecords::CsvRecords(std::istream& in, char separator) : m_in(in), m_separator(separator) {}

bool CsvRecords::NextLine(std::string& line) {
    if (!std::getline(m_in, line)) return false;
    if (m_first) DropByteOrderMark(line);
    m_first = false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

void CsvRecords::SplitPlain(const std::string& line, std::vector<std::string>& fields) const {
    std::size_t start = 0;
    for (std::size_t at; (at = line.find(m_separator, start)) != std::string::npos; start = at + 1)
        fields.emplace_back(line, start, at - start);
    fields.emplace_back(line, start);
}

bool CsvRecords::Next(std::vector<std::string>& fields) {
    fields.clear();
    std::string line;
    if (!NextLine(line)) return false;
    if (m_separator != ',') {
        SplitPlain(line, fields);
        return true;
    }
    std::string field;
    bool quoted = false;
    for (std::size_t k = 0;; ++k) {
        if (k == line.size()) {
            // A line break inside quotes belongs to the field; the record goes on on the next line.
            if (quoted && NextLine(line)) {
                field += '\n';
                k = static_cast<std::size_t>(-1);
                continue;
            }
            fields.push_back(std::move(field));
            return true;
        }
        const char c = line[k];
        if (quoted) {
            if (c != '"')
                field += c;
            else if (k + 1 < line.size() && line[k + 1] == '"')
                field += line[++k];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.push_back(std::move(field));
            field.clear();
        } else {
            field += c;
        }
    }
}

void CsvRecords::DropByteOrderMark(std::string& line) {
    if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
}

void CsvRecords::AppendField(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

}  // namespace marlin
