#include "workspace/tables/tweet_table_file.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>

#include "core/atomic_file.h"
#include "core/bounded_file.h"
#include "core/code_page.h"
#include "core/exact_text.h"
#include "core/skd_funcs.h"
#include "platform/blank_trim.h"
#include "sentiment/table_text.h"

namespace marlin {

namespace {

// A score field read as a number; anything that is not one makes the file unreadable.
double ScoreValue(std::string_view field) {
    const std::string_view trimmed = TrimBlanks(field);
    if (trimmed.empty()) throw std::invalid_argument("empty score");
    // strtod reads up to a NUL; a score of a few characters (every one of 200,000 rows has
    // two) is copied onto the stack rather than into a string of its own.
    std::array<char, 32> shortText{};
    std::string longText;
    const char* text = shortText.data();
    if (trimmed.size() < shortText.size()) {
        trimmed.copy(shortText.data(), trimmed.size());
    } else {
        longText = trimmed;
        text = longText.c_str();
    }
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end != text + trimmed.size())
        throw std::invalid_argument("score is not a number: " + std::string(trimmed));
    return value;
}

// A tweet table file read a piece at a time: its text as UTF-8 and its records as rows.
class RowReader {
  public:
    explicit RowReader(TweetTableFile::Rows& out) : m_out(out) {}

    // The next piece of the file's bytes; `atEnd` with the last. False on a line that is no record.
    bool Take(std::string_view bytes, bool atEnd) {
        if (m_first) {
            m_first = false;
            m_out.utf8 = bytes.starts_with(ExactText::kUtf8Mark);
            if (m_out.utf8) bytes.remove_prefix(ExactText::kUtf8Mark.size());
        }
        const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
        if (m_out.utf8 || ascii)
            m_text += bytes;
        else
            m_text += CodePage::FromWindows1252(bytes);
        if (!m_decided) m_lineFeedFile = TableText::LineFeedFile(m_text, &m_decided);
        if (!m_decided && !atEnd) return true;
        bool whole = true;
        const std::size_t used = TableText::Lines(
            m_text, m_lineFeedFile, atEnd, [&](std::string_view line) { whole = whole && Record(line); });
        m_text.erase(0, used);
        return whole;
    }

    bool ZeroScores() const { return m_zeroScores; }
    // Throws as TweetTableFile::Load does for the records read.
    void Check() const {
        if (!m_error.empty()) throw std::invalid_argument(m_error);
        if (m_records == 0 || (m_records == 1 && m_header)) throw std::invalid_argument("no record");
    }

  private:
    bool Record(std::string_view line) {
        std::array<std::uint32_t, TableText::kFields + 1> starts{};
        if (!TableText::FieldStarts(line, 0, starts.data())) return false;
        std::array<std::string_view, TweetColumn::Count> fields;
        for (int k = 0; k < TweetColumn::Count; ++k)
            fields[k] = line.substr(starts[k], starts[k + 1] - 1 - starts[k]);
        if (++m_records == 1 && fields[0] == "DateTime") {
            m_header = true;
            return true;
        }
        if (m_error.empty()) {
            try {
                const bool zero = ScoreValue(fields[TweetColumn::SentPositive]) == 0 &&
                                  ScoreValue(fields[TweetColumn::SentNegative]) == 0;
                if (m_out.rows.empty() && zero) m_zeroScores = true;
            } catch (const std::invalid_argument& error) {
                m_error = error.what();  // said once the whole file is known to be records
            }
        }
        if (m_zeroScores) return true;
        m_out.rows.push_back(TweetTable::Row(fields));
        // Fields after the documented ones are the extra columns.
        const std::size_t rest = starts[TweetColumn::Count];
        if (rest < line.size()) {
            TweetTable::AppendExtraCells(m_out.rows.back(), line.substr(rest));
            m_out.extraColumns = true;
        }
        return true;
    }

    TweetTableFile::Rows& m_out;
    std::string m_text;  // what is not yet made rows
    bool m_first = true;
    bool m_decided = false;
    bool m_lineFeedFile = false;
    bool m_header = false;
    bool m_zeroScores = false;
    int m_records = 0;
    std::string m_error;
};

}  // namespace

TweetTableFile::Rows TweetTableFile::ReadRows(const std::string& fileName, std::size_t pieceBytes) {
    Rows out;
    if (!SKDFuncs::FileExists(fileName)) return out;
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(fileName.c_str(), "rb"), std::fclose);
    if (!file) return out;
    RowReader reader(out);
    std::string piece(std::max<std::size_t>(pieceBytes, 16), '\0');  // room for the UTF-8 mark
    for (;;) {
        const std::size_t got = std::fread(piece.data(), 1, piece.size(), file.get());
        if (std::ferror(file.get())) return Rows{};
        const bool atEnd = got < piece.size() && std::feof(file.get());
        if (!reader.Take(std::string_view(piece).substr(0, got), atEnd)) return Rows{};
        if (reader.ZeroScores()) break;
        if (atEnd) break;
    }
    reader.Check();
    out.read = reader.ZeroScores() ? RowsRead::ZeroScores : RowsRead::Read;
    if (reader.ZeroScores()) out.rows.clear();
    return out;
}

std::unordered_map<std::string, std::string> TweetTableFile::ExtraCells(const std::string& fileName) {
    std::unordered_map<std::string, std::string> cells;
    std::string why;
    std::optional<std::string> bytes =
        BoundedFile::Read(fileName, std::numeric_limits<std::size_t>::max(), &why);
    if (!bytes) return cells;
    std::string_view text = *bytes;
    const bool utf8 = text.starts_with(ExactText::kUtf8Mark);
    if (utf8) text.remove_prefix(ExactText::kUtf8Mark.size());
    const std::string decoded = utf8 ? std::string(text) : CodePage::FromWindows1252(text);
    TableText::Lines(decoded, TableText::LineFeedFile(decoded), true, [&](std::string_view line) {
        std::array<std::uint32_t, TableText::kFields + 1> starts{};
        if (!TableText::FieldStarts(line, 0, starts.data())) return;
        const std::size_t rest = starts[TweetColumn::Count];
        if (rest >= line.size()) return;
        const std::uint32_t id = starts[TweetColumn::TweetID];
        cells.emplace(TrimBlanks(line.substr(id, starts[TweetColumn::TweetID + 1] - 1 - id)),
                      line.substr(rest));
    });
    return cells;
}

bool TweetTableFile::Load(MarlinData& data, const std::string& fileName, bool* zeroScores) {
    if (!data.Load(fileName)) return false;
    // The zero check reads the first data record: record 2 under a header line, record 1
    // in a file saved without headers. A file with no data record, or scores that are not
    // numbers in any record, make the file unreadable (Value and ScoreValue throw).
    const int first = data.Value(1, 1) == "DateTime" ? 2 : 1;
    for (int record = first + 1; record <= data.RecordCount(); ++record) {
        ScoreValue(data.Cell(record, MarlinData::kPositiveColumn));
        ScoreValue(data.Cell(record, MarlinData::kNegativeColumn));
    }
    *zeroScores = ScoreValue(data.Cell(first, MarlinData::kPositiveColumn)) == 0 &&
                  ScoreValue(data.Cell(first, MarlinData::kNegativeColumn)) == 0;
    return true;
}

bool TweetTableFile::Write(const TweetTable& table, const std::string& fileName, bool headers) {
    const ReportList& rows = table.Rows();
    AtomicFile file(fileName);
    std::string text;
    // Exact texts keep every character: UTF-8, marked as such for the readers that tell.
    const bool utf8 = table.Utf8();
    if (utf8) file.Append(ExactText::kUtf8Mark);
    auto flush = [&] {
        file.Append(utf8 ? text : CodePage::ToWindows1252(text));
        text.clear();
    };
    // The extra columns when the table shows them; otherwise the documented ones alone.
    const int columns =
        table.ExtraColumns() ? TweetColumn::Count + TweetTable::kExtraColumns : TweetColumn::Count;
    if (headers) {
        for (int position = 0; position < columns; ++position) {
            if (position > 0) text += '\t';
            text += position < TweetColumn::Count ? TweetTable::kHeaders[position]
                                                  : TweetTable::kExtraHeaders[position - TweetColumn::Count];
        }
        text += "\r\n";
    }
    const int count = rows.RowCount();
    for (int row = 0; row < count && file.Good(); ++row) {
        // The row text as shown; the padding of the numbers is not stored.
        text += rows.Text(row);
        text += '\t';
        for (int position = 1; position < columns; ++position) {
            text += TrimBlanks(rows.Cell(row, position));
            text += '\t';
        }
        text += "\r\n";
        if (text.size() >= (1u << 20)) flush();
    }
    flush();
    return file.Commit();
}

}  // namespace marlin
