#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace marlin {

// Post ids as a capture reads them from a file, and what it left out.
struct PostIds {
    std::vector<std::uint64_t> ids;  // each once
    std::size_t duplicates = 0;      // ids met again, dropped
    std::size_t malformed = 0;       // entries that are no post id, dropped
};

// The files post ids are shared in, read and written: a text file of one id a line (a link to a
// post counts as its id), a column of a CSV file or of a tab-separated table (a Tweets table
// file), or a raw archive (its posts; the users an archive may also hold are no posts). Which one
// a file is, its first line tells. Files of a million ids are read as they stream by.
class PostIdFile {
  public:
    // A file that cannot be read, or a column it does not have.
    struct Error : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    // The column names that hold post ids in the tables researchers share, compared without
    // regard to case: this program's "TweetID", and "id", "id_str", "tweet_id", "post_id".
    static bool IsIdColumnName(std::string_view name);

    // The ids in the order of the file. column: the name (or 1-based number) of the column to
    // read in a CSV file or table; empty: the first column with an id name, or without a header
    // row, the first column of a CSV file or the TweetID column of a table.
    static PostIds Read(const std::filesystem::path& file, const std::string& column = {});
    // The ids of a table or archive, newest first: ids grow with time, so the largest is the newest.
    static PostIds Dehydrate(const std::filesystem::path& file, const std::string& column = {});
    // One id a line, through the atomic writer; false when the file could not be written.
    static bool Write(const std::filesystem::path& file, const std::vector<std::uint64_t>& ids);

    // The id a text names: its digits (1 to 20, no leading zero, within 64 bits), blanks around
    // them allowed, or the digits after "/status/" of a link to a post; nothing for anything else.
    static std::optional<std::uint64_t> ParseId(std::string_view text);
};

}  // namespace marlin
