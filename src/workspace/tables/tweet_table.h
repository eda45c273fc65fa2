#pragma once

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/tweet_column.h"
#include "platform/report_list.h"
#include "platform/report_row.h"
#include "sentiment/marlin_data.h"
#include "workspace/tables/table_encoding.h"

namespace marlin {

class TweetSet;

// Where the rows of a Tweets table came from; a save records the file in the history of
// that source. The values are those the window has always used.
enum class TweetSource { None = 0, Search = 1, Timelines = 2 };

// A Tweets table as data: its rows in table order (the order its file is written in), the
// file it was last saved to or opened from, how that file is encoded (TableEncoding),
// whether it holds rows not saved since, and which history a save is recorded in. The
// window's list view shows the rows; the file writer, the exports, the frequencies, the
// networks and the chart read them; the command line fills one from a file or a capture
// without any window.
//
// Numbers are stored padded to kPadWidth so that the text sort orders them as numbers; the
// file writer takes the padding off again.
class TweetTable : public TableEncoding {
  public:
    static constexpr int kPadWidth = 7;
    static const std::array<const char*, TweetColumn::Count> kHeaders;
    // Settings › "Extra Columns": after the documented columns, the conversation, the post
    // and user replied to, the post quoted, the post reposted, and the counts.
    static constexpr int kExtraColumns = 9;
    static const std::array<const char*, kExtraColumns> kExtraHeaders;
    // Numbers sit on the right (the exports write those columns' cells as numbers).
    static Alignment ColumnAlignment(int position);

    // The 16 columns, sorted on TweetID newest first.
    TweetTable();

    ReportList& Rows() { return m_rows; }
    const ReportList& Rows() const { return m_rows; }
    int Count() const { return m_rows.RowCount(); }

    const std::string& File() const { return m_file; }
    void SetFile(std::string file) { m_file = std::move(file); }
    bool Unsaved() const { return m_unsaved; }
    void SetUnsaved(bool unsaved) { m_unsaved = unsaved; }
    TweetSource Source() const { return m_source; }
    void SetSource(TweetSource source) { m_source = source; }
    // The columns and the starting order: TweetID the sort key, newest first, sorted.
    void CreateColumns();
    // Shows (and writes) the extra columns or not; the rows keep what cells they have.
    void SetExtraColumns(bool on);
    bool ExtraColumns() const { return m_rows.ColumnCount() > TweetColumn::Count; }
    // Appends the extra cells given as TAB-ended texts ("a\tb\t"), numbers padded as in
    // the other columns.
    static void AppendExtraCells(ReportRow& row, std::string_view cells);
    // The extra cells of the set's tweets onto the rows that show those tweets.
    void AddExtraCells(const TweetSet& tweets);
    // The same from TAB-ended extra cells by TweetID (TweetTableFile::ExtraCells).
    void AddExtraCells(const std::unordered_map<std::string, std::string>& cellsById);

    // Adds one record of a MarlinData table as a row: the DateTime as it stands, every
    // other field padded.
    void AddRecord(const MarlinData& data, int record, bool dimmed);
    // Every record of the data, a header line of a file skipped.
    void AddRecords(const MarlinData& data, bool dimmed);
    // Rows made already (TweetTableFile::ReadRows), not dimmed.
    void AddRows(std::vector<ReportRow> rows);
    static std::vector<std::string> RowCells(const MarlinData& data, int record);
    static ReportRow Row(const MarlinData& data, int record);
    // The row of these 16 cells as a table file's record shows them.
    static ReportRow Row(std::array<std::string_view, TweetColumn::Count> fields);

    // The newest TweetID among the rows (for an update's since_id) and the oldest (for a
    // continuation's max_id), without padding; empty for no rows.
    std::string NewestTweetId() const;
    std::string OldestTweetId() const;
    // The same among the rows of one author (letter case counts).
    std::string NewestTweetIdOf(const std::string& screenName) const;
    std::string OldestTweetIdOf(const std::string& screenName) const;

  private:
    // The largest (direction 1) or smallest (-1) TweetID among the rows the filter keeps.
    std::string ExtremeTweetId(const std::string* screenName, int direction) const;

    ReportList m_rows;
    std::string m_file;
    bool m_unsaved = false;
    TweetSource m_source = TweetSource::None;
};

}  // namespace marlin
