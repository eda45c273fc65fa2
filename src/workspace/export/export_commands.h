#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "workspace/export/export_options.h"
#include "workspace/export/hashtag_network.h"
#include "workspace/main_window_state.h"

namespace marlin {

// File › "Export Network…", "Export Tweets as CSV (UTF-8)…", "Export Users as CSV
// (UTF-8)…" and "Export as Excel Workbook…": the tables as files for graph programs,
// spreadsheets and statistics programs. Each asks for a file
// of its own (the common dialog's file name belongs to the table files) and writes it
// through the atomic writer; a file that cannot be written is said so, and an earlier file
// of that name is left as it was. Cancel stops an export under way, which then writes
// nothing and says so.
class ExportCommands {
  public:
    static constexpr const char* kNothingToExport = "Nothing to Export yet!";
    static constexpr const char* kSaveErrorTitle = "File Save Error";
    static constexpr const char* kGraphFilter = "GraphML (*.graphml)|*.graphml";
    static constexpr const char* kNetworkFilter =
        "GraphML (*.graphml)|*.graphml|Excel Workbook (*.xlsx)|*.xlsx";

    explicit ExportCommands(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl);
    ExportCommands(const ExportCommands&) = delete;
    ExportCommands& operator=(const ExportCommands&) = delete;

    // The Tweets table's interaction network with its measures (the nodes table and the
    // summary beside the GraphML, or a workbook of them); the follower edges instead when the
    // current user table is a follower or friend list (asked first when the Tweets table
    // holds rows too).
    void mExportNetwork_Click();
    void mExportTweetsCsv_Click();
    void mExportUsersCsv_Click();  // the current user table
    // The Tweets table and the current user table, each that holds rows, as the sheets of
    // one workbook.
    void mExportXlsx_Click();
    // The hashtag graphs of the Tweets table.
    void mExportHashtagNetwork_Click(HashtagNetwork::Shape shape);
    // Cancel: an export under way stops at its next look at the stop flag. False when no
    // export runs.
    bool StopExport();

  private:
    void SetUpControls();
    // The file to write, proposed beside the table's own file; empty when cancelled or when
    // the file chosen is one the user made read-only (said so).
    std::string AskFile(const std::string& title, const char* filter, const char* extension,
                        const std::string& proposedStem) const;
    bool UseUserList() const;
    // Runs one export with the window's events and Cancel live, and says how it ended.
    void RunExport(const std::string& fileName, const std::function<bool(const ExportOptions&)>& write);
    void Written(bool ok, const std::string& fileName, bool tableChanged = false) const;
    std::string TableStem() const;
    std::string UserTableStem() const;

    MainWindowState& m_window;
    TweetControls& m_tweetCtl;
    UserControls& m_userCtl;
    std::atomic<bool> m_stop = false;
    bool m_exporting = false;
};

}  // namespace marlin
