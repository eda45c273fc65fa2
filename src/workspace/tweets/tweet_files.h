#pragma once

#include <functional>
#include <string>

#include "workspace/main_window_state.h"
#include "workspace/tweets/tweet_table_view.h"

namespace marlin {

// The tweet table file: File › Open › "Tweets Table", File › Save › "Tweets Table" and
// "Save && Send Tweets to LM", and the "Save contents now?" question the commands that
// replace the table ask first.
class TweetFiles {
  public:
    TweetFiles(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl, TweetTableView& view);

    // With unsaved rows, asks whether to save them first; Yes saves. There is no way to back out.
    void OfferToSave();
    // Before a retrieval that replaces the Tweets table and the current user table: the
    // questions that offer to save both; true when the retrieval may start (the questions
    // let events run, so it is asked again after them).
    bool ReadyToReplaceTables();

    // Open Tweets Table. With `Starting` set (a history entry) the file comes from the
    // dialog's file name, no dialog is shown and a file that cannot be read is skipped
    // silently.
    void OpenTweetsTable();
    // The history's way of opening: the named file, with `Starting` set for exactly the
    // duration of the open.
    void OpenNamed(const std::string& fileName);
    // File › "Open Archive…": the Tweets table made again from a raw archive file (either
    // dialect), the posts as the capture that wrote it made them, with the exact texts as
    // set now. The rows are unsaved and have no file yet. False when nothing was opened.
    bool OpenArchive();
    // Save Tweets Table; true when the table was written.
    bool SaveTweetsTable();
    // Saves to the table's own file without a question; a table that has none yet is
    // saved as Save Tweets Table does. True when the table was written.
    bool SaveToOwnFile();
    // Save and Send: saves, then starts the visualiser on the saved file.
    void SaveAndSend();

    // Writes the table as a tweet table file. The text goes to a temporary file beside the
    // target, which replaces the target only once it is complete, so a failure part-way
    // leaves the earlier file as it was. False when the file could not be written.
    bool WriteTweetTable(const std::string& fileName) const;

    // The first "UntitledTweets<k>.txt" that names no file in the current folder.
    std::string ProposeUntitledName() const;

  private:
    bool LoadTable(MarlinData& data);
    void FillTable(const MarlinData& data);
    void FillTable(std::vector<ReportRow> rows, bool utf8);
    void FillTable(bool utf8, const std::function<void()>& addRows);
    void RenameCurrentUserTable(const std::string& fileName);
    void RecordInHistory(const std::string& fileName);
    bool WriteAndRecord(std::string fileName);
    bool LocateVisualiser();

    MainWindowState& m_window;
    TweetControls& m_tweetCtl;
    UserControls& m_userCtl;
    TweetTableView& m_view;
};

}  // namespace marlin
