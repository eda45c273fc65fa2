#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/label.h"
#include "platform/log_list.h"
#include "platform/program_folder.h"
#include "platform/progress_bar.h"
#include "platform/status_bar.h"
#include "platform/toolkit.h"
#include "service/http_request.h"
#include "workspace/engine/capture_engine.h"
#include "workspace/engine/capture_request.h"
#include "workspace/tables/tweet_table.h"
#include "workspace/tables/user_table.h"
#include "workspace/toolkit_process_host.h"
#include "workspace/tweets/tweet_controls.h"
#include "workspace/users/user_controls.h"
#include "workspace/window_capture_events.h"

namespace marlin {

// The main window's common file dialog. Its settings persist between commands, and its
// file name is part of the protocol between them: the new retrievals empty it, Open and
// Save leave the last file in it, a history entry sets it before running Open.
struct FileDialogState {
    std::string FileName;
    std::string DefaultExt;  // without the dot
    std::string Filter;      // "Label (*.ext)|*.ext|..."

    FileDialogRequest Request(std::string title = {}) const {
        return FileDialogRequest{std::move(title), Filter, DefaultExt, FileName};
    }
};

// What the user chooses for the whole session (kept in prefs where the window keeps it)
// and where the outside programs are.
struct WindowSettings {
    std::string LMPATH;             // the Lumen visualiser started by Save and Send
    std::string SearchLang = "en";  // sent with every search request
    // The scorer that came with the program (empty when none did); see ScorerFolder.
    std::filesystem::path InstalledScorerFolder;
    // Unattended capture: a spent quota window is waited out instead of asked about, a
    // failed request is sent again by itself after each of RetryDelays (milliseconds)
    // before the retry question, and the end-of-run notes go to the request log.
    bool WaitForQuota = false;
    std::vector<int> RetryDelays{5000, 15000, 60000};
    // One quota window: the wait after repeated 429s that name no usable reset.
    int QuotaWindowMilliseconds = 15 * 60 * 1000;
    // Every tweet and user object the service returns is kept as it came, in the archive.
    bool KeepRawResponses = false;
    // Texts as the service sent them: whole (never cut at 140 characters), every character
    // kept, and the tweet table files written as UTF-8 with a byte-order mark. Off, texts
    // and files are what the program always made of them.
    bool ExactTexts = false;
    // Settings › "Extra Columns": the Tweets table gains, after its documented columns, the
    // conversation, the posts and user it refers to and the counts (files too). Off, every
    // table and file is as it always was.
    bool ExtraColumns = false;
    // When set, the objects of this run go to this one file instead, whatever
    // KeepRawResponses says (the command line's --archive).
    std::filesystem::path ArchiveFile;
    // Settings › "Service" › "X (v2)" (X (v1.1) when off) and "Full-Archive Search (v2)".
    bool ApiV2 = false;
    bool FullArchiveSearch = false;
    // Settings › "Service" › "Bluesky": the captures go to the second service (ApiV2 keeps the dialect
    // the first service is spoken in when it is chosen again).
    bool Bluesky = false;
    // Settings › "Prices…" and "Spending Limits…": what every cost shown is reckoned with,
    // and the day's and month's limits of the v2 captures. The run's limit is set only for
    // the one run it was asked for.
    Prices prices;
    SpendingLimits spendingLimits;
};

// What more than one part of the main window reads or writes: the toolkit, the two capture
// engines, the request log, the status bar, the Tweets table, the common file dialog and
// the window flags. The controls of each side are not here: TweetSide and UserSide own
// them (TweetControls, UserControls) and hand them to the parts that need them. The parts
// (TweetSide, UserSide, WindowSession and the classes they hold) each take this state;
// frmMain owns it.
//
// Controls and flags carry the names the windows have always used, so that a control
// found by name in the window is the same member here.
class MainWindowState {
  public:
    MainWindowState(Toolkit& toolkit, HttpRequestFactory requestFactory, std::string apiBase,
                    std::filesystem::path appFolder);
    MainWindowState(const MainWindowState&) = delete;
    MainWindowState& operator=(const MainWindowState&) = delete;

    Toolkit& Tk;

    // ---- Program folder and the session's settings
    const std::filesystem::path AppFolder;  // prefs, appcred and the scorer's files live here
    WindowSettings Settings;

    // ---- The window itself: its caption is the window title, and disabling it blocks
    // every command until it is enabled again.
    Label Window;

    // ---- Request log, raw response, status bar
    LogList Progress;
    TextBox LastGET;
    StatusBar InfoBar;         // 1 tweets shown, 2 users shown, 3 requests remaining, 4 next reset
    ProgressBar RetrievalBar;  // beside the status panels while a retrieval runs

  private:
    // Before the engines, which speak to it.
    WindowCaptureEvents m_windowEvents{{Progress, LastGET, InfoBar, RetrievalBar}, Tk};

  public:
    // ---- The capture engines, each with its service client and its records
    CaptureEngine Engine;       // tweet retrievals and most user commands
    CaptureEngine TableEngine;  // the named User tables made from user table files
    // Busy, cancelled, quota waiting, running: the capture's own state, which both engines share.
    RunState& Run;

    // ---- The Tweets table: its rows, file, encoding, unsaved mark and history
    TweetTable TweetsTable;

    // ---- The common file dialog (`Req`)
    FileDialogState Req;
    // The Tweets table holds rows not saved since they were shown (SetTweetsDirty sets it).
    bool TweetsDirty() const { return TweetsTable.Unsaved(); }
    // Where the rows came from; a retrieval or an opened history entry says so.
    TweetSource CurTweetSrc() const { return TweetsTable.Source(); }
    void SetTweetSource(TweetSource source) { TweetsTable.SetSource(source); }
    // A history entry is being opened: set for exactly the length of that Open.
    bool Starting() const { return m_starting; }
    void SetStarting(bool starting) { m_starting = starting; }

    // ---- Who watches the captures: the window itself unless another watcher is set.
    CaptureEvents& Events() { return *m_events; }
    // nullptr gives the captures back to the window.
    void SetEvents(CaptureEvents* events);
    // What the window does with the records of each page while a capture runs.
    void SetShowRecords(std::function<void()> show) { m_windowEvents.SetShowRecords(std::move(show)); }
    // A capture of that kind as the window's settings, the search frame (query, threshold
    // date) and the current user table (the name a look-up's archive takes) say.
    CaptureRequest Request(CaptureKind kind, const TweetControls& search, const UserControls& users) const;
    // The wait for the scorer and the other outside programs.
    ProcessHost& Processes() { return m_processes; }

    // ---- Helpers the parts share
    // No retrieval runs and none is still unwinding.
    bool CanStartRetrieval() const { return Run.CanStart(); }
    // The window title: the application title and the table's file, with "*" while the
    // table holds unsaved rows.
    void SetTitle(bool unsaved);
    // The one way to mark the Tweets table saved or not: the flag and the title's "*"
    // always agree, so no command can leave edited rows looking saved.
    void SetTweetsDirty(bool dirty) {
        TweetsTable.SetUnsaved(dirty);
        SetTitle(dirty);
    }
    // "Keep Texts Exactly": the setting, the Tweets table's encoding and both engines (the
    // session sets the check mark).
    void SetExactTexts(bool on);
    // Panel 1: the row count of the Tweets table.
    void ShowTweetCount();
    // The scorer of the program folder, else the one that came with the program.
    std::filesystem::path ScorerFolder() const {
        return ProgramFolder::FindScorer(AppFolder, Settings.InstalledScorerFolder);
    }

  private:
    bool m_starting = false;
    CaptureEvents* m_events = &m_windowEvents;
    ToolkitProcessHost m_processes{Tk};
};

}  // namespace marlin
