#pragma once

#include <string>

#include "sentiment/marlin_data.h"
#include "workspace/tables/tweet_table.h"

namespace marlin {

// The tweet table file: tab-separated records of the 16 columns, "\r\n" after each, an
// optional header line first; the single-byte code page, or UTF-8 with its mark for exact
// texts.
class TweetTableFile {
  public:
    // Reads the file into data and checks that every Sent+ and Sent- field is a number
    // (throws std::invalid_argument for one that is not, or for a file without a record).
    // False when the file cannot be read. *zeroScores: the first record scores 0 and 0,
    // which is how a table saved before the scorer ran looks.
    static bool Load(MarlinData& data, const std::string& fileName, bool* zeroScores);

    // Writes the table's rows in table order, with a header line when asked. The text goes
    // to a temporary file beside the target, which replaces the target only once it is
    // complete, so a failure part-way leaves the earlier file as it was. False when the
    // file could not be written.
    static bool Write(const TweetTable& table, const std::string& fileName, bool headers);
};

}  // namespace marlin
