#include "workspace/tweets/tweet_editing.h"
#include "core/tweet_column.h"

#include "platform/blank_trim.h"

#include <algorithm>
#include <vector>

#include "core/code_page.h"
#include "core/skd_funcs.h"

namespace marlin {
namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Letter case is ignored for ASCII letters; other characters must match exactly.
bool ContainsIgnoringCase(std::string_view text, std::string_view lowerNeedle) {
    if (lowerNeedle.empty()) return true;
    const auto found = std::search(text.begin(), text.end(), lowerNeedle.begin(), lowerNeedle.end(),
                                   [](char a, char b) { return FoldAscii(a) == b; });
    return found != text.end();
}

// The first `count` characters of a UTF-8 text.
std::string FirstCharacters(std::string_view text, int count) {
    std::size_t pos = 0;
    for (int taken = 0; taken < count && pos < text.size(); ++taken) CodePage::NextCodePoint(text, pos);
    return std::string(text.substr(0, pos));
}

}  // namespace

TweetEditing::TweetEditing(MainWindowState& window) : m_window(window) {}

std::string TweetEditing::SelectedCell(int position) const {
    const int row = m_window.OutTable.SelectedIndex();
    if (row < 0) return {};
    return std::string(TrimBlanks(m_window.OutTable.Cell(row, position)));
}

// ---- Filters

void TweetEditing::mFilterTweets_Click() {
    MainWindowState& w = m_window;
    if (w.OutTable.RowCount() == 0) {
        w.Tk.MessageBox(kEmptyTable, kFilterTitle, MsgButtons::OK, MsgIcon::Information);
        return;
    }
    std::string answer = w.Tk.InputBox(kFilterPrompt, kFilterTitle, "");
    if (answer.empty() || (answer[0] != '-' && answer[0] != '+')) answer = std::string(1, '-') += answer;
    FilterTweetsByText(answer.substr(1), answer[0] != '+');
}

void TweetEditing::mRemRT_Click() {
    MainWindowState& w = m_window;
    if (w.OutTable.RowCount() == 0) {
        w.Tk.MessageBox(kEmptyTable, kFilterTitle, MsgButtons::OK, MsgIcon::Information);
        return;
    }
    FilterTweetsByText("RT @", true);
}

void TweetEditing::FilterTweetsByText(const std::string& filter, bool removeIfFound) {
    MainWindowState& w = m_window;
    ReportList& table = w.OutTable;
    std::string needle(filter);
    std::transform(needle.begin(), needle.end(), needle.begin(), FoldAscii);

    const int rows = table.RowCount();
    std::vector<char> remove(static_cast<std::size_t>(rows));
    int removed = 0;
    for (int row = 0; row < rows; ++row) {
        const bool found = ContainsIgnoringCase(table.Cell(row, TweetColumn::Tweet), needle);
        remove[row] = found == removeIfFound;
        removed += remove[row];
    }
    const std::string verb = removeIfFound ? "contain" : "don't contain";
    const std::string question = "There are " + std::to_string(removed) + " tweets that " + verb + " [" +
                                 filter + "] and will be removed. Proceed?";
    if (w.Tk.MessageBox(question, kFilterTitle, MsgButtons::OKCancel, MsgIcon::None) != MsgResult::OK) return;

    w.Tk.SetCursor(CursorShape::Busy);
    w.Window.SetEnabled(false);
    // One pass with sorting off, then one sort: the kept rows go back in their order and
    // the table ends sorted whatever "Sort Tweets Table" says.
    table.SetSorted(false);
    table.RemoveRowsIf([&remove](int row) { return remove[static_cast<std::size_t>(row)] != 0; });
    table.SetSorted(true);
    w.Tk.SetCursor(CursorShape::Normal);
    w.Window.SetEnabled(true);
}

// ---- Deletions

void TweetEditing::mDelTweet_Click() {
    const int row = m_window.OutTable.SelectedIndex();
    if (row >= 0) m_window.OutTable.RemoveRow(row);
}

void TweetEditing::mDelUsersTweets_Click() {
    MainWindowState& w = m_window;
    ReportList& table = w.OutTable;
    const int selected = table.SelectedIndex();
    if (selected < 0) return;
    const std::string name(table.Cell(selected, TweetColumn::UserScreenName));
    int count = 0;
    for (int row = 0; row < table.RowCount(); ++row)
        count += table.Cell(row, TweetColumn::UserScreenName) == name;
    const std::string question = "Delete " + std::to_string(count) + " occurences of " +
                                 std::string(TrimBlanks(name)) + " from Tweets table?";
    if (w.Tk.MessageBox(question, "Confirm deletion", MsgButtons::OKCancel, MsgIcon::None) != MsgResult::OK)
        return;
    table.RemoveRowsIf([&](int row) { return table.Cell(row, TweetColumn::UserScreenName) == name; });
}

// ---- DateTime conversion

void TweetEditing::mVBDateTime_Click() {
    if (m_window.Tk.MessageBox("Convert the DateTime to local Numeric format e.g. dd/mm/yyyy hh:mm:ss? NOTE: "
                               "Lumen expects the original Twitter DateTime format.",
                               MsgButtons::OKCancel) == MsgResult::OK)
        ConvertTweetDateTimes(0, m_window.OutTable);
}

void TweetEditing::mSPSSDateTime_Click() {
    if (m_window.Tk.MessageBox("Convert the DateTime to an SPSS compatible format (dd-mmm-yyyyy hh:mm:ss)?",
                               MsgButtons::OKCancel) == MsgResult::OK)
        ConvertTweetDateTimes(1, m_window.OutTable);
}

void TweetEditing::mTwitterDateTime_Click() {
    ConvertTweetDateTimes(2, m_window.OutTable);
}

void TweetEditing::ConvertTweetDateTimes(int mode, ReportList& table) {
    if (mode < 0 || mode > 2) return;
    // Rewriting a cell never moves its row, so the loop visits every row once even when
    // the table is sorted on this column; the next sort puts the rows in order.
    for (int row = 0; row < table.RowCount(); ++row) {
        const std::string text(table.Text(row));
        std::string converted;
        try {
            converted = mode == 0   ? SKDFuncs::ToLocalDateTime(text)
                        : mode == 1 ? SKDFuncs::ToSPSSDateTime(text)
                                    : SKDFuncs::ToServiceDateTime(text);
        } catch (const std::exception&) {
            continue;  // a cell that is no date keeps its text
        }
        if (!converted.empty()) table.SetText(row, converted);
    }
}

// ---- Row popup

void TweetEditing::OutTable_MouseUp(int button) {
    MainWindowState& w = m_window;
    if (button != 2 || w.OutTable.SelectedIndex() < 0) return;

    w.Tweets.mNavLinkURL.SetVisible(false);
    const std::string link = SelectedCell(TweetColumn::LinkURL);
    // A row without a link offers no "Go to".
    if (!link.empty()) {
        w.Tweets.mNavLinkURL.SetCaption("Go to " + FirstCharacters(link, kLinkCaptionLength));
        w.Tweets.mNavLinkURL.SetVisible(true);
    } else {
        w.Tweets.mNavLinkURL.SetCaption("");
    }
    const std::string name = SelectedCell(TweetColumn::UserScreenName);
    w.Tweets.mNavUserTwitter.SetCaption("Find " + name + " on Twitter");
    w.Tweets.mAddU2UL.SetCaption("Add " + name + " to User List");
    w.Tweets.mDelUFUL.SetCaption("Delete " + name + " from User List");
    w.Tweets.mDelUsersTweets.SetCaption("Delete all Tweets by " + name);
    w.Tweets.mTweet.ShowPopup();
}

void TweetEditing::mNavLinkURL_Click() {
    const std::string link = SelectedCell(TweetColumn::LinkURL);
    if (link.rfind("http", 0) == 0) m_window.Tk.OpenUrl(link);
}

void TweetEditing::mNavUserTwitter_Click() {
    if (m_window.OutTable.SelectedIndex() < 0) return;
    m_window.Tk.OpenUrl(kUserPageBase + SelectedCell(TweetColumn::UserScreenName));
}

// ---- Request log

void TweetEditing::mCopyLog_Click() {
    Toolkit& tk = m_window.Tk;
    tk.ClipboardClear();
    tk.DoEvents();
    tk.ClipboardSetText(m_window.Progress.AllText("\r\n"));
}

void TweetEditing::Progress_MouseDown(int button) {
    MainWindowState& w = m_window;
    if (button != 2) return;
    MenuItem* hidden[] = {&w.Tweets.mConvertDT, &w.Tweets.mLine0, &w.Tweets.mRemRT, &w.Tweets.mFilterTweets,
                          &w.Tweets.mLine1};
    for (MenuItem* item : hidden) item->SetVisible(false);
    w.Tweets.mTools.ShowPopup();
    for (MenuItem* item : hidden) item->SetVisible(true);
}

}  // namespace marlin
