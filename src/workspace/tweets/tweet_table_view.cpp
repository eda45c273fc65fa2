#include "workspace/tweets/tweet_table_view.h"
#include "core/tweet_column.h"

#include "core/skd_funcs.h"
#include "platform/blank_trim.h"
#include "platform/cell_compare.h"
#include "workspace/tweets/tweet_time.h"

namespace marlin {

const std::array<const char*, TweetColumn::Count> TweetTableView::kHeaders = {
    "DateTime",    "UserScreenName", "Tweet",          "TweetID",        "UserRealName", "UserFollowers",
    "UserFriends", "UserLocation",   "UserUTC_Offset", "GeoCoords",      "UserTweets",   "Retweets",
    "LinkURL",     "Sent+",          "Sent-",          "UserDescription"};

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

TweetTableView::TweetTableView(MainWindowState& window) : m_window(window), m_live(window) {}

Alignment TweetTableView::ColumnAlignment(int position) {
    return RightAligned(position) ? Alignment::Right : Alignment::Left;
}

void TweetTableView::CreateColumns() {
    ReportList& table = m_window.OutTable;
    table.ClearColumns();
    for (int position = 0; position < TweetColumn::Count; ++position)
        table.AddColumn(kHeaders[position], 1000, ColumnAlignment(position));
    // Newest first with sorting on: the first row then holds the newest TweetID, which is
    // what an update asks the service for tweets after.
    table.SetSortOrder(SortDirection::Descending);
    table.SetSortKey(TweetColumn::TweetID);
    // "Wed Dec 09" must not sort before "Tue Dec 08": the column orders by time in each
    // of the forms Convert DateTime writes.
    table.SetTimeColumn(TweetColumn::DateTime,
                        [](std::string_view cell) { return TweetTime::Seconds(cell); });
    m_window.Tweets.mSortDT.SetChecked(true);
    table.SetSorted(true);
    m_window.Tweets.mHeaders.SetChecked(false);
}

std::vector<std::string> TweetTableView::RowCells(const MarlinData& data, int record) {
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
ReportRow TweetTableView::Row(const MarlinData& data, int record) {
    std::array<std::string_view, TweetColumn::Count> fields;
    for (int k = 0; k < TweetColumn::Count; ++k)
        fields[k] = data.Cell(record, static_cast<std::uint8_t>(k + 1));
    return Row(fields);
}

ReportRow TweetTableView::Row(std::array<std::string_view, TweetColumn::Count> fields) {
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

void TweetTableView::AddRecord(const MarlinData& data, int record) {
    m_window.OutTable.AddRow(Row(data, record));
}

void TweetTableView::ShowTweets(bool append) {
    MainWindowState& w = m_window;
    const TweetSet& tweets = w.Engine.Tweets();
    const int count = tweets.Count();
    if (count > 0) {
        MarlinData data(w.Processes(), w.AppFolder);
        data.SetData(tweets);
        const std::string folder = w.ScorerFolder().string();
        if (!data.RunSentiStrength(folder, folder, false)) LogScorerFailure(data);

        ReportList& table = w.OutTable;
        table.SetSortKey(TweetColumn::TweetID);
        table.BeginUpdate();
        // The rows shown while the retrieval ran make way for the scored ones.
        if (append) m_live.Withdraw();
        if (!append) table.ClearRows();
        // Every record of the retrieval goes in, the last one included: an update's set
        // holds only tweets newer than the table's newest, so none can double a row.
        for (int record = 1; record <= count; ++record) AddRecord(data, record);
        table.EndUpdate();
    } else {
        m_live.Withdraw();
    }
    m_live.Settled();
    w.ShowTweetCount();
    // A retrieval that brought nothing leaves nothing unsaved: an empty table asks for no
    // save, and an update without news leaves the table as saved as it was.
    w.SetTweetsDirty(count > 0 || (w.TweetsDirty() && w.OutTable.RowCount() > 0));
    w.Tk.DoEvents();
}

std::string TweetTableView::NewestTweetId() const {
    const ReportList& table = m_window.OutTable;
    // The first row is the newest while the table is sorted on TweetID, newest first;
    // taking the largest id keeps the update right when sorting was switched off.
    std::string_view newest;
    for (int row = 0; row < table.RowCount(); ++row) {
        const std::string_view id = table.Cell(row, TweetColumn::TweetID);
        if (row == 0 || CompareCells(id, newest) > 0) newest = id;
    }
    std::string id(newest);
    return SKDFuncs::PadNumber(id, 0);
}

std::string TweetTableView::OldestTweetId() const {
    const ReportList& table = m_window.OutTable;
    std::string_view oldest;
    for (int row = 0; row < table.RowCount(); ++row) {
        const std::string_view id = table.Cell(row, TweetColumn::TweetID);
        if (row == 0 || CompareCells(id, oldest) < 0) oldest = id;
    }
    return Trimmed(oldest);
}

void TweetTableView::LogScorerFailure(const MarlinData& data) {
    std::string reason = data.LastScorerError();
    if (reason.empty()) reason = "Sentiment scorer did not run";
    m_window.Events().Log(reason + "; Sent+ and Sent- hold 0 for these tweets, not scores");
    m_window.Progress.ScrollToLast();
}

void TweetTableView::mSortDT_Click() {
    const bool on = !m_window.Tweets.mSortDT.Checked();
    m_window.Tweets.mSortDT.SetChecked(on);
    m_window.OutTable.SetSorted(on);
}

void TweetTableView::OutTable_ColumnClick(int position) {
    m_window.OutTable.SetSortKey(position);
}

void TweetTableView::mHeaders_Click() {
    m_window.Tweets.mHeaders.SetChecked(!m_window.Tweets.mHeaders.Checked());
}

}  // namespace marlin
