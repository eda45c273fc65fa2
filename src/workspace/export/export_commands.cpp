#include "workspace/export/export_commands.h"

#include <cctype>
#include <filesystem>

#include "workspace/export/cell_kinds.h"
#include "workspace/export/csv_export.h"
#include "workspace/export/export_target.h"
#include "workspace/export/interaction_network.h"
#include "workspace/export/network_export.h"
#include "workspace/export/network_files.h"
#include "workspace/export/xlsx_export.h"

namespace marlin {

namespace {

constexpr const char* kCsvFilter = "CSV (*.csv)|*.csv";
constexpr const char* kXlsxFilter = "Excel Workbook (*.xlsx)|*.xlsx";

}  // namespace

ExportCommands::ExportCommands(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl)
    : m_window(window), m_tweetCtl(tweetCtl), m_userCtl(userCtl) {
    SetUpControls();
}

void ExportCommands::SetUpControls() {
    m_tweetCtl.mExportNetwork.SetCaption("Export Network…");
    m_tweetCtl.mExportTweetsCsv.SetCaption("Export Tweets as CSV (UTF-8)…");
    m_userCtl.mExportUsersCsv.SetCaption("Export Users as CSV (UTF-8)…");
    m_tweetCtl.mExportXlsx.SetCaption("Export as Excel Workbook…");
    m_tweetCtl.mExportXlsx.SetAction([this] { mExportXlsx_Click(); });
    m_tweetCtl.mExportCoHashtag.SetCaption("Export Co-hashtag Network…");
    m_tweetCtl.mExportHashtagUser.SetCaption("Export Hashtag–User Network…");
    m_tweetCtl.mExportCoHashtag.SetAction(
        [this] { mExportHashtagNetwork_Click(HashtagNetwork::Shape::CoHashtag); });
    m_tweetCtl.mExportHashtagUser.SetAction(
        [this] { mExportHashtagNetwork_Click(HashtagNetwork::Shape::HashtagUser); });
    m_tweetCtl.mFrequencies.SetCaption("Frequencies…");
    m_tweetCtl.mExportNetwork.SetAction([this] { mExportNetwork_Click(); });
    m_tweetCtl.mExportTweetsCsv.SetAction([this] { mExportTweetsCsv_Click(); });
    m_userCtl.mExportUsersCsv.SetAction([this] { mExportUsersCsv_Click(); });
}

std::string ExportCommands::TableStem() const {
    if (m_window.TweetsTable.File().empty()) return "Tweets";
    return std::filesystem::path(m_window.TweetsTable.File()).replace_extension().string();
}

std::string ExportCommands::AskFile(const std::string& title, const char* filter, const char* extension,
                                    const std::string& proposedStem) const {
    if (m_exporting) return {};  // one export at a time, though its events run
    const FileDialogRequest request{title, filter, extension, proposedStem + "." + extension};
    const std::optional<std::string> chosen = m_window.Tk.SaveFileDialog(request);
    if (!chosen || chosen->empty()) return {};
    if (std::string problem = ExportTarget::Problem(*chosen); !problem.empty()) {
        problem.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(problem.front())));
        m_window.Tk.MessageBox("Couldn't save: " + *chosen + " -- " + problem + ".", kSaveErrorTitle,
                               MsgButtons::OK, MsgIcon::Exclamation);
        return {};
    }
    return *chosen;
}

bool ExportCommands::StopExport() {
    if (!m_exporting) return false;
    m_stop = true;
    return true;
}

void ExportCommands::RunExport(const std::string& fileName,
                               const std::function<bool(const ExportOptions&)>& write) {
    MainWindowState& w = m_window;
    w.Tk.SetCursor(CursorShape::Busy);
    ExportOptions options;
    options.stop = &m_stop;
    options.letEventsRun = Yield(w.Tk.Yielder());
    options.tell = [&w](const std::string& text) {
        w.Tk.MessageBox(text, MsgButtons::OK, MsgIcon::Information);
    };
    m_stop = false;
    m_exporting = true;
    // No retrieval starts while the events run. A sort, a deletion or a filter of a table
    // being written stops the export rather than let it write a mix of two tables.
    bool changed = false;
    const auto onChange = [this, &changed](const ModelChange& change) {
        const ChangeKind kind = change.kind;
        if (kind != ChangeKind::Reset && kind != ChangeKind::RowsChanged && kind != ChangeKind::Columns)
            return;
        changed = true;
        m_stop = true;
    };
    const Subscription tweets = w.TweetsTable.Rows().Subscribe(onChange);
    const Subscription users = m_userCtl.CurrentUserTable().Subscribe(onChange);
    const bool wasRunning = w.Run.Running();
    w.Run.BeginRunning();
    const bool written = write(options);
    if (!wasRunning) w.Run.EndRunning();
    m_exporting = false;
    if (written || !m_stop || changed) return Written(written, fileName, changed);
    w.Tk.SetCursor(CursorShape::Normal);
    w.Tk.MessageBox("Stopped: " + fileName + " was not written.", MsgButtons::OK, MsgIcon::Information);
}

void ExportCommands::Written(bool ok, const std::string& fileName, bool tableChanged) const {
    MainWindowState& w = m_window;
    w.Tk.SetCursor(CursorShape::Normal);
    const std::string why =
        tableChanged ? "The table changed while it was written." : "The file could not be written.";
    if (!ok)
        w.Tk.MessageBox("Couldn't save: " + fileName + " -- " + why, kSaveErrorTitle, MsgButtons::OK,
                        MsgIcon::Exclamation);
}

std::string ExportCommands::UserTableStem() const {
    const std::size_t current = static_cast<std::size_t>(m_userCtl.CurUserTable);
    if (current > 0 && current < m_userCtl.UserTables.size()) return m_userCtl.UserTables[current]->Name();
    return TableStem() + "_users";
}

bool ExportCommands::UseUserList() const {
    MainWindowState& w = m_window;
    const std::size_t current = static_cast<std::size_t>(m_userCtl.CurUserTable);
    if (current == 0 || current >= m_userCtl.UserTables.size()) return false;
    const std::string& name = m_userCtl.UserTables[current]->Name();
    if (!NetworkExport::IsUserListName(name) || m_userCtl.CurrentUserTable().RowCount() == 0) return false;
    if (w.TweetsTable.Rows().RowCount() == 0) return true;
    return w.Tk.MessageBox(
               "Export the follower edges of " + name + " instead of the network of the Tweets table?",
               MsgButtons::YesNo) == MsgResult::Yes;
}

void ExportCommands::mExportNetwork_Click() {
    MainWindowState& w = m_window;
    const bool userList = UseUserList();
    if (!userList && w.TweetsTable.Rows().RowCount() == 0) {
        w.Tk.MessageBox(kNothingToExport, MsgButtons::OK, MsgIcon::Exclamation);
        return;
    }
    const std::string name = userList ? m_userCtl.CurrentTable().Name() : TableStem();
    const std::string fileName =
        AskFile("Export Network", userList ? kGraphFilter : kNetworkFilter, "graphml", name);
    if (fileName.empty()) return;
    RunExport(fileName, [&](const ExportOptions& options) {
        if (userList) {
            const NetworkExport graph = NetworkExport::FromUserList(m_userCtl.CurrentUserTable(), name);
            return !options.Stopped() && graph.Write(fileName);
        }
        const NetworkGraph graph = InteractionNetwork::FromTweets(w.TweetsTable.Rows());
        return !options.Stopped() && NetworkFiles::Write(fileName, graph);
    });
}

void ExportCommands::mExportTweetsCsv_Click() {
    MainWindowState& w = m_window;
    if (w.TweetsTable.Rows().RowCount() == 0) {
        w.Tk.MessageBox(kNothingToExport, MsgButtons::OK, MsgIcon::Exclamation);
        return;
    }
    const std::string fileName = AskFile("Export Tweets as CSV", kCsvFilter, "csv", TableStem());
    if (fileName.empty()) return;
    const ReportList& table = w.TweetsTable.Rows();
    RunExport(fileName, [&](const ExportOptions& options) {
        return CsvExport::Write(fileName, table, CellKinds::ForTweets(table), options);
    });
}

void ExportCommands::mExportUsersCsv_Click() {
    MainWindowState& w = m_window;
    const ReportList& table = m_userCtl.CurrentUserTable();
    if (table.RowCount() == 0) {
        w.Tk.MessageBox(kNothingToExport, MsgButtons::OK, MsgIcon::Exclamation);
        return;
    }
    const std::string fileName = AskFile("Export Users as CSV", kCsvFilter, "csv", UserTableStem());
    if (fileName.empty()) return;
    RunExport(fileName, [&](const ExportOptions& options) {
        return CsvExport::Write(fileName, table, CellKinds::ForUsers(table), options);
    });
}

void ExportCommands::mExportHashtagNetwork_Click(HashtagNetwork::Shape shape) {
    MainWindowState& w = m_window;
    if (w.TweetsTable.Rows().RowCount() == 0) {
        w.Tk.MessageBox(kNothingToExport, MsgButtons::OK, MsgIcon::Exclamation);
        return;
    }
    const bool co = shape == HashtagNetwork::Shape::CoHashtag;
    const std::string fileName =
        AskFile(co ? "Export Co-hashtag Network" : "Export Hashtag–User Network", kGraphFilter, "graphml",
                TableStem() + (co ? "_cohashtag" : "_hashtag_user"));
    if (fileName.empty()) return;
    RunExport(fileName, [&](const ExportOptions& options) {
        const HashtagNetwork graph = HashtagNetwork::FromTweets(w.TweetsTable.Rows(), shape);
        return !options.Stopped() && graph.Write(fileName);
    });
}

void ExportCommands::mExportXlsx_Click() {
    MainWindowState& w = m_window;
    std::vector<XlsxExport::Sheet> sheets;
    if (w.TweetsTable.Rows().RowCount() > 0) sheets.push_back(XlsxExport::TweetsSheet(w.TweetsTable.Rows()));
    const ReportList& users = m_userCtl.CurrentUserTable();
    if (users.RowCount() > 0) {
        const std::string name = m_userCtl.CurUserTable == 0 ? std::string("Users") : UserTableStem();
        sheets.push_back(XlsxExport::UsersSheet(users, name));
    }
    if (sheets.empty()) {
        w.Tk.MessageBox(kNothingToExport, MsgButtons::OK, MsgIcon::Exclamation);
        return;
    }
    const std::string stem = w.TweetsTable.Rows().RowCount() > 0 ? TableStem() : UserTableStem();
    const std::string fileName = AskFile("Export as Excel Workbook", kXlsxFilter, "xlsx", stem);
    if (fileName.empty()) return;
    RunExport(fileName,
              [&](const ExportOptions& options) { return XlsxExport::Write(fileName, sheets, options); });
}

}  // namespace marlin
