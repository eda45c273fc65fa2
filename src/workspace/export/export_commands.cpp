#include "workspace/export/export_commands.h"

#include <cctype>
#include <filesystem>

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

void ExportCommands::Written(bool ok, const std::string& fileName) const {
    MainWindowState& w = m_window;
    w.Tk.SetCursor(CursorShape::Normal);
    if (!ok)
        w.Tk.MessageBox("Couldn't save: " + fileName + " -- The file could not be written.", kSaveErrorTitle,
                        MsgButtons::OK, MsgIcon::Exclamation);
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
    w.Tk.SetCursor(CursorShape::Busy);
    if (userList)
        Written(NetworkExport::FromUserList(m_userCtl.CurrentUserTable(), name).Write(fileName), fileName);
    else
        Written(NetworkFiles::Write(fileName, InteractionNetwork::FromTweets(w.TweetsTable.Rows())),
                fileName);
}

void ExportCommands::mExportTweetsCsv_Click() {
    MainWindowState& w = m_window;
    if (w.TweetsTable.Rows().RowCount() == 0) {
        w.Tk.MessageBox(kNothingToExport, MsgButtons::OK, MsgIcon::Exclamation);
        return;
    }
    const std::string fileName = AskFile("Export Tweets as CSV", kCsvFilter, "csv", TableStem());
    if (fileName.empty()) return;
    w.Tk.SetCursor(CursorShape::Busy);
    Written(CsvExport::Write(fileName, CsvExport::TweetsText(w.TweetsTable.Rows())), fileName);
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
    w.Tk.SetCursor(CursorShape::Busy);
    Written(CsvExport::Write(fileName, CsvExport::UsersText(table)), fileName);
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
    w.Tk.SetCursor(CursorShape::Busy);
    Written(HashtagNetwork::FromTweets(w.TweetsTable.Rows(), shape).Write(fileName), fileName);
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
    w.Tk.SetCursor(CursorShape::Busy);
    ExportOptions options;
    options.tell = [&w](const std::string& text) {
        w.Tk.MessageBox(text, MsgButtons::OK, MsgIcon::Information);
    };
    Written(XlsxExport::Write(fileName, sheets, options), fileName);
}

}  // namespace marlin
