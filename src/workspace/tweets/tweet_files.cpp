#include "workspace/tweets/tweet_files.h"
#include "core/tweet_column.h"

#include "platform/blank_trim.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>

#include "core/skd_funcs.h"
#include "sentiment/shell_and_wait.h"
#include "service/archive_records.h"
#include "workspace/tables/scored_tweets.h"
#include "workspace/tables/tweet_table_file.h"

namespace marlin {

namespace {

// Marks a history entry as being opened for as long as it lives, also when the Open throws.
class StartingScope {
  public:
    explicit StartingScope(MainWindowState& window) : m_window(window) { m_window.SetStarting(true); }
    ~StartingScope() { m_window.SetStarting(false); }
    StartingScope(const StartingScope&) = delete;
    StartingScope& operator=(const StartingScope&) = delete;

  private:
    MainWindowState& m_window;
};

constexpr const char* kReplaceQuestion =
    "The selected operation will replace the current contents of the Tweet table. Save contents now?";
constexpr const char* kFilter = "Text (*.txt)|*.txt|Marlin Tweet Table (*.mtwt)|*.mtwt";

constexpr const char* kArchiveFilter = "Raw archive (*.jsonl)|*.jsonl|All files (*.*)|*.*";

constexpr const char* kOpenErrorTitle = "File Open Error";
constexpr const char* kSaveErrorTitle = "File Save Error";

bool IsExecutable(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

TweetFiles::TweetFiles(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl,
                       TweetTableView& view)
    : m_window(window), m_tweetCtl(tweetCtl), m_userCtl(userCtl), m_view(view) {}

bool TweetFiles::ReadyToReplaceTables() {
    if (!m_window.CanStartRetrieval()) return false;
    OfferToSave();
    m_userCtl.OfferToSaveUserTable(m_userCtl.CurUserTable);
    return m_window.CanStartRetrieval();
}

void TweetFiles::OfferToSave() {
    if (!m_window.TweetsDirty()) return;
    if (m_window.Events().Ask({CaptureEvents::Question::Kind::ReplaceTable, kReplaceQuestion, {}}))
        SaveTweetsTable();
}

// ---- Open

void TweetFiles::OpenNamed(const std::string& fileName) {
    m_window.Req.FileName = fileName;
    StartingScope starting(m_window);
    OpenTweetsTable();
}

void TweetFiles::OpenTweetsTable() {
    MainWindowState& w = m_window;
    // A history entry puts its file in the dialog's file name; saving first must not
    // make us open the file just saved instead.
    const std::string requested = w.Req.FileName;
    OfferToSave();
    w.Req.DefaultExt = "mtwt";
    w.Req.Filter = kFilter;
    if (w.Starting()) {
        w.Req.FileName = requested;
    } else {
        const std::optional<std::string> chosen = w.Tk.OpenFileDialog(w.Req.Request());
        if (!chosen || chosen->empty()) return;  // cancelled: the table stays as it was
        w.Req.FileName = *chosen;
        w.Tk.SetCursor(CursorShape::Busy);
    }

    const std::string fileName = w.Req.FileName;
    // The current user table goes with the rows it was built from.
    m_userCtl.OfferToSaveUserTable(m_userCtl.CurUserTable);
    try {
        // Straight into rows; a table that asks to be scored again goes through the scorer's data.
        TweetTableFile::Rows read = TweetTableFile::ReadRows(fileName);
        MarlinData data(w.Processes(), w.AppFolder);
        if (read.read == TweetTableFile::RowsRead::Unreadable ||
            (read.read == TweetTableFile::RowsRead::ZeroScores && !LoadTable(data))) {
            if (!w.Starting())
                w.Tk.MessageBox("Couldn't open: " + fileName + " -- Contents may be corrupted.",
                                kOpenErrorTitle, MsgButtons::OK, MsgIcon::Exclamation);
            w.Tk.SetCursor(CursorShape::Normal);
            return;
        }
        if (read.read == TweetTableFile::RowsRead::Read)
            FillTable(std::move(read.rows), read.utf8);
        else
            FillTable(data);
        // A file with the extra columns shows them whatever the setting says; the scorer's data
        // holds the documented columns alone, so a table read through it takes them again.
        const std::unordered_map<std::string, std::string> extra =
            read.read == TweetTableFile::RowsRead::Read ? std::unordered_map<std::string, std::string>()
                                                        : TweetTableFile::ExtraCells(fileName);
        w.TweetsTable.SetExtraColumns(read.extraColumns || !extra.empty() || w.Settings.ExtraColumns);
        w.TweetsTable.AddExtraCells(extra);
    } catch (const std::exception&) {
        w.Tk.MessageBox("Couldn't open: " + fileName + " -- Contents may be corrupted.", kOpenErrorTitle,
                        MsgButtons::OK, MsgIcon::Exclamation);
    }
    w.Tk.SetCursor(CursorShape::Normal);
}

bool TweetFiles::OpenArchive() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return false;
    OfferToSave();
    const FileDialogRequest request{"Open Archive", kArchiveFilter, "jsonl", {}};
    const std::optional<std::string> chosen = w.Tk.OpenFileDialog(request);
    if (!chosen || chosen->empty()) return false;
    m_userCtl.OfferToSaveUserTable(m_userCtl.CurUserTable);

    w.Tk.SetCursor(CursorShape::Busy);
    TweetSet tweets{Yield([&w] { w.Tk.DoEvents(); })};
    tweets.SetExactTexts(w.Settings.ExactTexts);
    const ArchiveRecords::Result read = ArchiveRecords::Load(*chosen, tweets);
    std::string problem = read.problem;
    if (problem.empty() && read.posts == 0) problem = "There are no posts in " + *chosen;
    if (!problem.empty()) {
        w.Tk.SetCursor(CursorShape::Normal);
        w.Tk.MessageBox(problem, kOpenErrorTitle, MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    w.Events().Log("Read " + std::to_string(read.posts) + " posts from " + *chosen +
                   (read.skipped > 0 ? " (" + std::to_string(read.skipped) + " lines passed over)" : ""));
    MarlinData data(w.Processes(), w.AppFolder);
    if (!ScoredTweets::Score(tweets, data, w.ScorerFolder()).empty()) m_view.LogScorerFailure(data);
    // The table is new: it has no file until it is saved, and the archive is never its file.
    w.Req.FileName.clear();
    FillTable(w.Settings.ExactTexts, [&] { ScoredTweets::Add(data, w.TweetsTable, false); });
    w.SetTweetSource(TweetSource::Search);
    w.SetTweetsDirty(true);
    w.Tk.SetCursor(CursorShape::Normal);
    return true;
}

bool TweetFiles::LoadTable(MarlinData& data) {
    MainWindowState& w = m_window;
    bool zeros = false;
    if (!TweetTableFile::Load(data, w.Req.FileName, &zeros)) return false;
    if (zeros && w.Tk.MessageBox("Sentiment columns contain zeros - run sentiment analysis again?",
                                 MsgButtons::YesNo) == MsgResult::Yes) {
        const std::string folder = w.ScorerFolder().string();
        if (!data.RunSentiStrength(folder, folder, true)) m_view.LogScorerFailure(data);
    }
    return true;
}

void TweetFiles::FillTable(const MarlinData& data) {
    FillTable(data.LoadedUtf8(), [&] { m_window.TweetsTable.AddRecords(data, false); });
}

void TweetFiles::FillTable(std::vector<ReportRow> rows, bool utf8) {
    FillTable(utf8, [&] { m_window.TweetsTable.AddRows(std::move(rows)); });
}

void TweetFiles::FillTable(bool utf8, const std::function<void()>& addRows) {
    MainWindowState& w = m_window;
    ReportList& table = w.TweetsTable.Rows();
    table.BeginUpdate();
    table.ClearRows();
    m_userCtl.CurrentUserTable().ClearRows();
    if (m_userCtl.CurUserTable > 0) {
        w.TableEngine.Users().Clear();
        RenameCurrentUserTable(w.Req.FileName);
    }
    w.TweetsTable.SetFile(w.Req.FileName);
    w.TweetsTable.KeepEncoding(utf8);
    // Saved rows look like any rows (dimmed ones read as disabled); the title's mark tells
    // whether the table holds unsaved rows.
    addRows();
    table.EndUpdate();

    m_tweetCtl.UpdateSearch.SetEnabled(true);
    m_userCtl.UpdateUTL.SetEnabled(true);
    w.ShowTweetCount();
    w.InfoBar.SetPanel(2, "Empty");
    w.SetTweetsDirty(false);
}

void TweetFiles::RenameCurrentUserTable(const std::string& fileName) {
    std::string name = std::filesystem::path(fileName).filename().string();
    for (std::size_t at; (at = name.find(".txt")) != std::string::npos;) name.erase(at, 4);
    const std::size_t slot = static_cast<std::size_t>(m_userCtl.CurUserTable);
    if (slot >= m_userCtl.UserTables.size()) return;
    const int entry = m_userCtl.UTList.Find(m_userCtl.UserTables[slot]->Name());
    if (entry >= 0) m_userCtl.UTList.SetItem(entry, name);
    m_userCtl.UserTables[slot]->SetName(name);
}

// ---- Save

bool TweetFiles::SaveTweetsTable() {
    MainWindowState& w = m_window;
    if (w.TweetsTable.Rows().RowCount() == 0) {
        w.Tk.MessageBox("Nothing to Save yet!", MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    if (!w.TweetsTable.File().empty() && SKDFuncs::FileExists(w.TweetsTable.File())) {
        const MsgResult answer = w.Tk.MessageBox(
            w.TweetsTable.File() + " already exists. Overwrite this file?", MsgButtons::YesNo);
        w.Req.FileName = answer == MsgResult::Yes ? w.TweetsTable.File() : std::string();
    }
    if (w.Req.FileName.empty()) w.Req.FileName = ProposeUntitledName();
    w.Req.DefaultExt = "txt";
    if (w.Req.Filter.empty()) w.Req.Filter = kFilter;

    if (w.TweetsTable.File() != w.Req.FileName) {
        const std::optional<std::string> chosen = w.Tk.SaveFileDialog(w.Req.Request());
        if (!chosen || chosen->empty()) {
            w.Req.FileName.clear();
            return false;
        }
        w.Req.FileName = *chosen;
    }
    return WriteAndRecord(w.Req.FileName);
}

bool TweetFiles::SaveToOwnFile() {
    MainWindowState& w = m_window;
    if (w.TweetsTable.File().empty() || w.TweetsTable.Rows().RowCount() == 0) return SaveTweetsTable();
    w.Req.FileName = w.TweetsTable.File();
    return WriteAndRecord(w.TweetsTable.File());
}

bool TweetFiles::WriteAndRecord(std::string fileName) {
    MainWindowState& w = m_window;
    if (!WriteTweetTable(fileName)) {
        // The earlier file is untouched; say so rather than leave the user believing
        // the table is safe.
        w.Req.FileName.clear();
        w.Tk.MessageBox("Couldn't save: " + fileName + " -- The file could not be written.", kSaveErrorTitle,
                        MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    w.TweetsTable.KeepEncoding(w.TweetsTable.Utf8());
    w.TweetsTable.SetFile(fileName);
    w.SetTweetsDirty(false);
    RecordInHistory(fileName);
    return true;
}

std::string TweetFiles::ProposeUntitledName() const {
    std::string name;
    for (int k = 1; k < INT_MAX; ++k) {
        name = "UntitledTweets" + std::to_string(k) + ".txt";
        if (!SKDFuncs::FileExists(name)) break;
        m_window.Tk.DoEvents();
    }
    return name;
}

bool TweetFiles::WriteTweetTable(const std::string& fileName) const {
    return TweetTableFile::Write(m_window.TweetsTable, fileName, m_tweetCtl.mHeaders.Checked());
}

void TweetFiles::RecordInHistory(const std::string& fileName) {
    MainWindowState& w = m_window;
    DropDownList* history = nullptr;
    std::string entry;
    if (w.CurTweetSrc() == TweetSource::Search) {
        history = &m_tweetCtl.QPHistory;
        entry = m_tweetCtl.SearchQuery.Text() + "  " + fileName;
    } else if (w.CurTweetSrc() == TweetSource::Timelines) {
        history = &m_tweetCtl.UTLHistory;
        entry = fileName;
    } else {
        return;
    }
    history->InsertItem(0, entry);
    // The entry names the table on show; opening it again would clear and rename the
    // current user table, and a save must change nothing but the file and the history.
    history->ShowAsSelected(0);
    // Keep the newest position of every entry.
    for (int i = 0; i < history->Count(); ++i)
        for (int j = history->Count() - 1; j > i; --j)
            if (history->Item(j) == history->Item(i)) history->RemoveItem(j);
}

// ---- Save and Send

void TweetFiles::SaveAndSend() {
    MainWindowState& w = m_window;
    const std::string saved = SaveTweetsTable() ? w.TweetsTable.File() : std::string();
    if (!SKDFuncs::FileExists(w.Settings.LMPATH) && !LocateVisualiser()) return;
    std::string commandLine = QuoteArgument(w.Settings.LMPATH);
    if (!saved.empty()) {
        commandLine += ' ';
        commandLine += QuoteArgument(saved);
    }
    ShellAndWait(w.Processes(), commandLine, 1000, 0, 0);
}

bool TweetFiles::LocateVisualiser() {
    MainWindowState& w = m_window;
    // Not the common dialog: its file name carries the table's file between commands,
    // and a save must never be offered the visualiser's path.
    const std::optional<std::string> chosen = w.Tk.OpenFileDialog(FileDialogRequest{});
    if (!chosen || chosen->empty()) return false;
    if (!IsExecutable(*chosen)) {
        w.Tk.MessageBox("The item you selected was not an executable (exe) file", "Error", MsgButtons::OK,
                        MsgIcon::Exclamation);
        return false;
    }
    w.Settings.LMPATH = *chosen;
    w.Tk.MessageBox("Changed LM path to " + w.Settings.LMPATH);
    return true;
}

}  // namespace marlin
