#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/tweet_column.h"
#include "sentiment/process_host.h"

namespace marlin {

class TweetSet;

// The tweets as a text table of 16 columns per record, in the column order of the Tweets
// table: the working copy the sentiment scorer runs on, and the reader of tweet table files.
//
//  1 DateTime   2 ScreenName  3 Text        4 TweetID     5 RealName    6 Followers
//  7 Following  8 Location    9 UTC_Offset 10 GeoCoords  11 UserTweets 12 Retweeted
// 13 LinkURL   14 Sent+       15 Sent-      16 Description
class MarlinData {
  public:
    static constexpr int kColumns = TweetColumn::Count;
    static constexpr int kPositiveColumn = TweetColumn::Field(TweetColumn::SentPositive);
    static constexpr int kNegativeColumn = TweetColumn::Field(TweetColumn::SentNegative);
    // One record; element c is column c. Column 0 exists only after SetData and stays empty.
    using Record = std::array<std::string, kColumns + 1>;

    // The scorer's exchange files live in appFolder (the program's folder); the host lets
    // its events run while the scorer works and hears of a failure the user must know of.
    MarlinData(ProcessHost& host, std::filesystem::path appFolder);

    // A copy of the whole table: element r - 1 is record r.
    std::vector<Record> Data() const;
    // Throws std::out_of_range for a record outside 1..RecordCount or a column the table lacks
    // (0 after Load, above 16 always).
    std::string Value(std::int32_t record, std::uint8_t field) const;
    // Value without a copy; valid until the table changes.
    std::string_view Cell(std::int32_t record, std::uint8_t field) const;
    std::int32_t RecordCount() const { return static_cast<std::int32_t>(m_starts.size() / kStride); }

    // Keeps the set (by reference: it must outlive this table) and rebuilds the table from it,
    // with "0" in both score columns.
    void SetData(const TweetSet& tweets);
    // Reads a tweet table file; false, without a message, when it is missing or malformed.
    // The header line, if any, is record 1 like any other. A file that starts with the UTF-8
    // byte-order mark is read as UTF-8, every other one as Windows-1252.
    bool Load(const std::string& fileName);
    // True when the file Load read was UTF-8 (it started with the mark).
    bool LoadedUtf8() const { return m_loadedUtf8; }
    // Writes the records of the kept set as tweet table lines (Windows-1252, CR LF, a tab after
    // every field). Throws std::logic_error when SetData was never called, std::runtime_error
    // when the file cannot be written.
    void Save(const std::string& fileName, bool append);

    // Runs the outside scorer on the table and fills the score columns. With recalc true the
    // texts come from column 3, otherwise from the kept tweet set. True when the scores were
    // read back. Its output is taken only when it has one line per record and two whole
    // numbers on each; otherwise no score changes. A scorer that cannot start or runs out of
    // time fails without a message box; LastScorerError says why in every failure.
    //
    // Each run exchanges files of its own with the scorer (a name no other run in the folder
    // holds), removed when it ends, so copies of the program sharing a folder cannot take
    // each other's scores.
    bool RunSentiStrength(const std::string& ssJarDir, const std::string& ssDataDir, bool recalc);
    // Why the last scorer run failed; empty after a run that succeeded.
    const std::string& LastScorerError() const { return m_lastScorerError; }

    // How long a scorer run may take: 20 s, plus 1 s for every 1,000 records.
    static long long ScorerTimeLimit(std::int32_t records);
    // The exchange files of the latest scorer run (the output name is the scorer's own rule:
    // "<input without .txt>0_out.txt"); empty before the first run.
    const std::filesystem::path& ScorerInputPath() const { return m_scorerInput; }
    std::filesystem::path ScorerOutputPath() const;

  private:
    bool RunScorer(const std::string& ssJarDir, const std::string& ssDataDir, bool recalc);
    bool ReserveScorerInput();
    bool WriteScorerInput(bool recalc);
    bool ReadScorerOutput();
    void SetScores(const std::vector<std::pair<std::string_view, std::string_view>>& scores);
    bool FailScorerRun(const std::string& reason, bool showMessage);

    // Each record is its 16 cells in a row in m_cells, one separator byte after each, and 17
    // starts in m_starts: cell c begins at start c - 1 and ends one byte before start c. A
    // loaded file's text is the buffer as it stands, so a 200,000-row file costs no
    // allocation per cell.
    static constexpr int kStride = kColumns + 1;
    void AppendRecordStart() { m_starts.push_back(static_cast<std::uint32_t>(m_cells.size())); }
    void AppendCell(std::string_view text);
    void CheckCell(std::int32_t record, std::uint8_t field) const;

    ProcessHost& m_host;
    std::filesystem::path m_appFolder;
    std::string m_cells;
    std::vector<std::uint32_t> m_starts;
    int m_firstColumn = 1;  // 0 after SetData, 1 after Load
    bool m_loadedUtf8 = false;
    const TweetSet* m_tweets = nullptr;
    std::string m_lastScorerError;
    std::filesystem::path m_scorerInput;
};

}  // namespace marlin
