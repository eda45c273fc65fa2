#include "workspace/tweets/tweet_editing.h"
#include "core/tweet_column.h"

#include "platform/blank_trim.h"

#include <algorithm>
#include <vector>

#include "core/code_page.h"
#include "core/skd_funcs.h"

namespace marlin {

namespace {

constexpr const char* kEmptyTable = "Tweet table is empty. You need to load or retrieve some tweets first.";
constexpr const char* kFilterTitle = "Filter Tweets";
constexpr const char* kFilterPrompt =
    "Enter a string (word or phrase) to filter by. Prefix with + to include and - to exclude. For e.g. "
    "+skimmer will delete all tweets without skimmer in the main text, whilst -skimmer will do the "
    "opposite.";
constexpr int kLinkCaptionLength = 96;
constexpr const char* kUserPageBase = "https://twitter.com/";

// The lower-case twin of a letter the code page has in both cases; other characters
// are their own fold. The program's files are Windows-1252, so these are all the letters
// a table can hold in two cases.
char32_t FoldLetter(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
    switch (c) {
        case 0x160:  // S caron
        case 0x152:  // OE
        case 0x17D:  // Z caron
            return c + 1;
        case 0x178:  // Y diaeresis
            return 0xFF;
        default:
            return c;
    }
}

std::u32string FoldedCodePoints(std::string_view utf8) {
    std::u32string folded;
    folded.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();)
        folded.push_back(FoldLetter(CodePage::NextCodePoint(utf8, pos)));
    return folded;
}

bool ContainsIgnoringCase(std::string_view text, const std::u32string& foldedNeedle) {
    if (foldedNeedle.empty()) return true;
    return FoldedCodePoints(text).find(foldedNeedle) != std::u32string::npos;
}

// The first `count` characters of a UTF-8 text.
std::string FirstCharacters(std::string_view text, int count) {
    std::size_t pos = 0;
    for (int taken = 0; taken < count && pos < text.size(); ++taken) CodePage::NextCodePoint(text, pos);
    return std::string(text.substr(0, pos));
}

}  // namespace

TweetEditing::TweetEditing(MainWindowState& window, TweetControls& tweetCtl)
    : m_window(window), m_tweetCtl(tweetCtl) {}

std::string TweetEditing::SelectedCell(int position) const {
    const int row = m_window.TweetsTable.Rows().SelectedIndex();
    if (row < 0) return {};
    return std::string(TrimBlanks(m_window.TweetsTable.Rows().Cell(row, position)));
}

// ---- Filters

void TweetEditing::mFilterTweets_Click() {
    MainWindowState& w = m_window;
    if (w.TweetsTable.Rows().RowCount() == 0) {
        w.Tk.MessageBox(kEmptyTable, kFilterTitle, MsgButtons::OK, MsgIcon::Information);
        return;
    }
    std::string answer = w.Tk.InputBox(kFilterPrompt, kFilterTitle, "");
    if (answer.empty() || (answer[0] != '-' && answer[0] != '+')) answer = std::string(1, '-') += answer;
    FilterTweetsByText(answer.substr(1), answer[0] != '+');
}

void TweetEditing::mRemRT_Click() {
    MainWindowState& w = m_window;
    if (w.TweetsTable.Rows().RowCount() == 0) {
        w.Tk.MessageBox(kEmptyTable, kFilterTitle, MsgButtons::OK, MsgIcon::Information);
        return;
    }
    FilterTweetsByText("RT @", true);
}

void TweetEditing::FilterTweetsByText(const std::string& filter, bool removeIfFound) {
    MainWindowState& w = m_window;
    ReportList& table = w.TweetsTable.Rows();
    const std::u32string needle = FoldedCodePoints(filter);

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
    if (removed > 0) w.SetTweetsDirty(true);
    w.Tk.SetCursor(CursorShape::Normal);
    w.Window.SetEnabled(true);
}

// ---- Deletions

void TweetEditing::mDelTweet_Click() {
    const int row = m_window.TweetsTable.Rows().SelectedIndex();
    if (row < 0) return;
    m_window.TweetsTable.Rows().RemoveRow(row);
    m_window.SetTweetsDirty(true);
}

void TweetEditing::mDelUsersTweets_Click() {
    MainWindowState& w = m_window;
    ReportList& table = w.TweetsTable.Rows();
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
    w.SetTweetsDirty(true);
}

// ---- DateTime conversion

void TweetEditing::mVBDateTime_Click() {
    if (m_window.Tk.MessageBox("Convert the DateTime to local Numeric format e.g. dd/mm/yyyy hh:mm:ss? NOTE: "
                               "Lumen expects the original Twitter DateTime format.",
                               MsgButtons::OKCancel) == MsgResult::OK)
        ConvertDates(0);
}

void TweetEditing::mSPSSDateTime_Click() {
    if (m_window.Tk.MessageBox("Convert the DateTime to an SPSS compatible format (dd-mmm-yyyyy hh:mm:ss)?",
                               MsgButtons::OKCancel) == MsgResult::OK)
        ConvertDates(1);
}

void TweetEditing::mTwitterDateTime_Click() {
    ConvertDates(2);
}

void TweetEditing::ConvertDates(int mode) {
    if (ConvertTweetDateTimes(mode, m_window.TweetsTable.Rows()) > 0) m_window.SetTweetsDirty(true);
}

int TweetEditing::ConvertTweetDateTimes(int mode, ReportList& table) {
    if (mode < 0 || mode > 2) return 0;
    int changed = 0;
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
        if (converted.empty() || converted == text) continue;
        table.SetText(row, converted);
        ++changed;
    }
    return changed;
}

// ---- Row popup

void TweetEditing::OutTable_MouseUp(int button) {
    MainWindowState& w = m_window;
    if (button != 2 || w.TweetsTable.Rows().SelectedIndex() < 0) return;

    m_tweetCtl.mNavLinkURL.SetVisible(false);
    // A row without a link offers no "Go to"; neither does a cell that starts with a blank,
    // which is a number padded for sorting, not a link.
    const std::string link(
        w.TweetsTable.Rows().Cell(w.TweetsTable.Rows().SelectedIndex(), TweetColumn::LinkURL));
    if (!link.empty() && link[0] != ' ') {
        m_tweetCtl.mNavLinkURL.SetCaption("Go to " + FirstCharacters(link, kLinkCaptionLength));
        m_tweetCtl.mNavLinkURL.SetVisible(true);
    } else {
        m_tweetCtl.mNavLinkURL.SetCaption("");
    }
    const std::string name = SelectedCell(TweetColumn::UserScreenName);
    m_tweetCtl.mNavUserTwitter.SetCaption("Find " + name + " on Twitter");
    m_tweetCtl.mAddU2UL.SetCaption("Add " + name + " to User List");
    m_tweetCtl.mDelUFUL.SetCaption("Delete " + name + " from User List");
    m_tweetCtl.mDelUsersTweets.SetCaption("Delete all Tweets by " + name);
    m_tweetCtl.mTweet.ShowPopup();
}

void TweetEditing::mNavLinkURL_Click() {
    const std::string link = SelectedCell(TweetColumn::LinkURL);
    if (link.rfind("http", 0) == 0) m_window.Tk.OpenUrl(link);
}

void TweetEditing::mNavUserTwitter_Click() {
    if (m_window.TweetsTable.Rows().SelectedIndex() < 0) return;
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
    if (button != 2) return;
    MenuItem* hidden[] = {&m_tweetCtl.mConvertDT, &m_tweetCtl.mLine0, &m_tweetCtl.mRemRT,
                          &m_tweetCtl.mFilterTweets, &m_tweetCtl.mLine1};
    for (MenuItem* item : hidden) item->SetVisible(false);
    m_tweetCtl.mTools.ShowPopup();
    for (MenuItem* item : hidden) item->SetVisible(true);
}

}  // namespace marlin
