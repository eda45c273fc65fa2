#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "sentiment/marlin_data.h"
#include "workspace/tables/tweet_table.h"

namespace marlin {

// The tweet table file: tab-separated records of the 16 columns (and the extra columns
// after them when the table shows those), "\r\n" after each, an
// optional header line first; the single-byte code page, or UTF-8 with its mark for exact
// texts.
class TweetTableFile {
  public:
    // Reads the file into data and checks that every Sent+ and Sent- field is a number
    // (throws std::invalid_argument for one that is not, or for a file without a record).
    // False when the file cannot be read. *zeroScores: the first record scores 0 and 0,
    // which is how a table saved before the scorer ran looks.
    static bool Load(MarlinData& data, const std::string& fileName, bool* zeroScores);

    // Open's reader: the file read a piece at a time straight into table rows, so that the
    // rows are never held beside the whole text. The same rows, checks and exceptions as
    // Load followed by TweetTable::AddRecords; the header line is left out. ZeroScores
    // (rows left empty) when the first record scores 0 and 0: what to do then is Load's.
    enum class RowsRead { Read, Unreadable, ZeroScores };
    struct Rows {
        RowsRead read = RowsRead::Unreadable;
        std::vector<ReportRow> rows;
        bool utf8 = false;          // the file starts with the UTF-8 mark
        bool extraColumns = false;  // a record holds fields after the documented ones
    };
    static constexpr std::size_t kPieceBytes = 4u << 20;
    static Rows ReadRows(const std::string& fileName, std::size_t pieceBytes = kPieceBytes);
    // The extra columns of the file's records by TweetID, each as TAB-ended cells (for a
    // table read through the scorer's data, which holds the documented columns alone).
    static std::unordered_map<std::string, std::string> ExtraCells(const std::string& fileName);

    // Writes the table's rows in table order, with a header line when asked. The text goes
    // to a temporary file beside the target, which replaces the target only once it is
    // complete, so a failure part-way leaves the earlier file as it was. False when the
    // file could not be written.
    static bool Write(const TweetTable& table, const std::string& fileName, bool headers);
};

}  // namespace marlin
