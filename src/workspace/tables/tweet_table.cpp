#include "workspace/tables/tweet_table.h"

#include <unordered_map>

#include "core/skd_funcs.h"
#include "core/tweet_set.h"
#include "platform/blank_trim.h"
#include "platform/cell_compare.h"
#include "workspace/tables/tweet_time.h"

namespace marlin {

const std::array<const char*, TweetColumn::Count> TweetTable::kHeaders = {
    "DateTime",    "UserScreenName", "Tweet",          "TweetID",        "UserRealName", "UserFollowers",
    "UserFriends", "UserLocation",   "UserUTC_Offset", "GeoCoords",      "UserTweets",   "Retweets",
    "LinkURL",     "Sent+",          "Sent-",          "UserDescription"};

const std::array<const char*, TweetTable::kExtraColumns> TweetTable::kExtraHeaders = {
    "ConversationID", "InReplyToTweetID", "InReplyToUserID", "QuotedTweetID", "RetweetedTweetID",
    "ReplyCount",     "RetweetCount",     "QuoteCount",      "LikeCount"};

namespace {

// Columns 3, 5, 6, 8, 9, 10, 11, 13 and 14 hold numbers and are right-aligned.
bool RightAligned(int position) {
    switch (position) {
        case 3:
        case 5:
        case 6:
        case 8:
        case 9:
        case 10:
        case 11:
        case 13:
        case 14:
            return true;
        default:
            return false;
    }
}

}  // namespace

TweetTable::TweetTable() {
    CreateColumns();
}

Alignment TweetTable::ColumnAlignment(int position) {
    return RightAligned(position) ? Alignment::Right : Alignment::Left;
}

void TweetTable::CreateColumns() {
    m_rows.ClearColumns();
    for (int position = 0; position < TweetColumn::Count; ++position)
        m_rows.AddColumn(kHeaders[position], 1000, ColumnAlignment(position));
    // Newest first with sorting on: the first row then holds the newest TweetID, which is
    // what an update asks the service for tweets after.
    m_rows.SetSortOrder(SortDirection::Descending);
    m_rows.SetSortKey(TweetColumn::TweetID);
    // "Wed Dec 09" must not sort before "Tue Dec 08": the column orders by time in each
    // of the forms Convert DateTime writes.
    m_rows.SetTimeColumn(TweetColumn::DateTime,
                         [](std::string_view cell) { return TweetTime::Seconds(cell); });
    m_rows.SetSorted(true);
}

std::vector<std::string> TweetTable::RowCells(const MarlinData& data, int record) {
    std::vector<std::string> cells(TweetColumn::Count);
    cells[0] = data.Value(record, 1);
    for (int k = 1; k < TweetColumn::Count; ++k) {
        std::string field = data.Value(record, static_cast<std::uint8_t>(k + 1));
        cells[k] = SKDFuncs::PadNumber(field, kPadWidth);
    }
    return cells;
}

// RowCells built in place from the table's cells, so that a 200,000-row file is shown
// without a text per cell on the way.
ReportRow TweetTable::Row(const MarlinData& data, int record) {
    std::array<std::string_view, TweetColumn::Count> fields;
    for (int k = 0; k < TweetColumn::Count; ++k)
        fields[k] = data.Cell(record, static_cast<std::uint8_t>(k + 1));
    return Row(fields);
}

ReportRow TweetTable::Row(std::array<std::string_view, TweetColumn::Count> fields) {
    // SKDFuncs::PadNumber on views: cells 1 on are trimmed, and numbers get leading blanks.
    std::array<std::size_t, TweetColumn::Count> blanks{};
    std::size_t bytes = fields[0].size();
    for (int k = 1; k < TweetColumn::Count; ++k) {
        const std::string_view field = TrimBlanks(fields[k]);
        const bool numeric = field == "0" || (!field.empty() && field[0] >= '1' && field[0] <= '9');
        const std::size_t length = numeric ? CharacterCount(field) : kPadWidth;
        fields[k] = field;
        blanks[k] = length < kPadWidth ? kPadWidth - length : 0;
        bytes += blanks[k] + field.size();
    }
    ReportRow row;
    row.Reserve(bytes, TweetColumn::Count);
    for (int k = 0; k < TweetColumn::Count; ++k) row.AppendCell(fields[k], blanks[k]);
    return row;
}

void TweetTable::SetExtraColumns(bool on) {
    if (on == ExtraColumns()) return;
    if (on) {
        for (const char* header : kExtraHeaders) m_rows.AddColumn(header, 1000, Alignment::Right);
        return;
    }
    // The columns again without the extra ones, the order the table had kept.
    const std::vector<ReportColumn> kept(m_rows.Columns().begin(),
                                         m_rows.Columns().begin() + TweetColumn::Count);
    const int key = m_rows.SortKey() < TweetColumn::Count ? m_rows.SortKey() : TweetColumn::TweetID;
    m_rows.ClearColumns();
    for (const ReportColumn& column : kept) m_rows.AddColumn(column.header, column.width, column.alignment);
    m_rows.SetSortKey(key);
}

void TweetTable::AppendExtraCells(ReportRow& row, std::string_view cells) {
    for (int k = 0; k < kExtraColumns; ++k) {
        const std::size_t tab = cells.find('\t');
        const std::string_view cell = TrimBlanks(cells.substr(0, tab));
        cells = tab == std::string_view::npos ? std::string_view() : cells.substr(tab + 1);
        const bool numeric = !cell.empty() && cell[0] >= '0' && cell[0] <= '9';
        const std::size_t length = CharacterCount(cell);
        row.AppendCell(cell, numeric && length < kPadWidth ? kPadWidth - length : 0);
    }
}

void TweetTable::AddExtraCells(const TweetSet& tweets) {
    std::unordered_map<std::string, std::string> cellsById;
    for (int i = 1; i <= tweets.Count(); ++i) {
        const TweetSet::Record& record = tweets.Item(i);
        if (!record.Extra.empty()) cellsById.emplace(record.TweetID, record.Extra);
    }
    AddExtraCells(cellsById);
}

void TweetTable::AddExtraCells(const std::unordered_map<std::string, std::string>& cellsById) {
    if (cellsById.empty()) return;
    m_rows.BeginUpdate();
    for (int row = 0; row < m_rows.RowCount(); ++row) {
        const auto found = cellsById.find(std::string(TrimBlanks(m_rows.Cell(row, TweetColumn::TweetID))));
        if (found == cellsById.end()) continue;
        ReportRow cells;
        AppendExtraCells(cells, found->second);
        for (int k = 0; k < kExtraColumns; ++k) m_rows.SetCell(row, TweetColumn::Count + k, cells.Cell(k));
    }
    m_rows.EndUpdate();
}

void TweetTable::AddRecord(const MarlinData& data, int record, bool dimmed) {
    m_rows.AddRow(Row(data, record), dimmed);
}

void TweetTable::AddRecords(const MarlinData& data, bool dimmed) {
    const int records = data.RecordCount();
    m_rows.BeginUpdate();
    m_rows.ReserveRows(records);
    for (int record = 1; record <= records; ++record) {
        if (record == 1 && data.Value(1, 1) == "DateTime") continue;  // the header line
        AddRecord(data, record, dimmed);
    }
    m_rows.EndUpdate();
}

void TweetTable::AddRows(std::vector<ReportRow> rows) {
    m_rows.BeginUpdate();
    m_rows.ReserveRows(static_cast<int>(rows.size()));
    for (ReportRow& row : rows) m_rows.AddRow(std::move(row));
    m_rows.EndUpdate();
}

std::string TweetTable::NewestTweetId() const {
    // The first row is the newest while the table is sorted on TweetID, newest first;
    // taking the largest id keeps the update right when sorting was switched off.
    std::string newest = ExtremeTweetId(nullptr, 1);
    return SKDFuncs::PadNumber(newest, 0);
}

std::string TweetTable::OldestTweetId() const {
    return ExtremeTweetId(nullptr, -1);
}

std::string TweetTable::NewestTweetIdOf(const std::string& screenName) const {
    return ExtremeTweetId(&screenName, 1);
}

std::string TweetTable::OldestTweetIdOf(const std::string& screenName) const {
    return ExtremeTweetId(&screenName, -1);
}

std::string TweetTable::ExtremeTweetId(const std::string* screenName, int direction) const {
    std::string_view found;
    bool first = true;
    for (int row = 0; row < m_rows.RowCount(); ++row) {
        if (screenName && Trimmed(m_rows.Cell(row, TweetColumn::UserScreenName)) != *screenName) continue;
        const std::string_view id = m_rows.Cell(row, TweetColumn::TweetID);
        const int order = CompareCells(id, found);
        // The whole table starts from its first row; an author's rows from the first id.
        const bool start = screenName ? found.empty() : first;
        if (start || (direction > 0 ? order > 0 : order < 0)) found = id;
        first = false;
    }
    return std::string(screenName || direction < 0 ? Trimmed(found) : std::string(found));
}

}  // namespace marlin
