#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/toolkit.h"
#include "service/http_request.h"
#include "workspace/costs/spending_commands.h"
#include "workspace/export/export_commands.h"
#include "workspace/main_window_state.h"
#include "workspace/retrieval/post_retrieval.h"
#include "workspace/retrieval/search_volume_estimate.h"
#include "workspace/session/bluesky_log_in.h"
#include "workspace/session/window_session.h"
#include "workspace/tweets/post_captures.h"
#include "workspace/tweets/tweet_side.h"
#include "workspace/users/user_side.h"

namespace marlin {

// The main window without a toolkit. It owns the window state (flags, the two capture
// engines, the Tweets table), the control sets of the two sides, and puts the window's
// parts together:
//   TweetSide      — the search frame, the Tweets table with its files and editing, the menus
//                    (TweetTableView, TweetFiles, SearchRetrieval, TweetEditing)
//   UserSide       — the User list, the user tables with their samples and files, the
//                    timeline retrieval and the followers/friends frame
//   WindowSession  — start-up and shut-down, the credentials dialog, prefs and the two
//                    histories, the status refresh and the small Settings commands
//   ExportCommands — the tables as GraphML, CSV and workbook files
//   SearchVolumeEstimate — Tools › "Estimate Search Volume…"
//   SpendingCommands — Settings › "Prices…", "Spending Limits…" and Tools › "Spending…"
//   PostRetrieval  — the Posts menu (hydrate, conversations) and File › "Export Post Ids…"
//
// Each part binds its controls' actions to its own commands, so a click on a control model
// and a call of the part's command are the same. Here stay only the commands that span
// parts (Cancel, Continue Back) and the two the Qt window calls as it opens and closes; the
// Qt window only lays out views over the control models.
class frmMain {
  public:
    // apiBase: scheme, host and port of the service (the emulator's in tests).
    // appFolder: the program's folder (prefs, appcred, the scorer and its files).
    frmMain(Toolkit& toolkit, HttpRequestFactory requestFactory, std::string apiBase,
            std::filesystem::path appFolder);
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    // ---- The state, the control sets and the parts
    MainWindowState& State() { return *m_state; }
    const MainWindowState& State() const { return *m_state; }
    TweetControls& TweetCtl() { return m_tweetCtl; }
    UserControls& UserCtl() { return m_userCtl; }
    TweetSide& Tweets() { return m_tweets; }
    TweetTableView& TableView() { return m_tweets.View(); }
    TweetFiles& Files() { return m_tweets.Files(); }
    SearchRetrieval& Search() { return m_tweets.Search(); }
    TweetEditing& Editing() { return m_tweets.Editing(); }
    UserSide& Users() { return m_users; }
    WindowSession& Session() { return m_session; }
    frmAbout& About() { return m_session.About; }
    ServiceSettings& Service() { return m_session.Service; }
    ExportCommands& Export() { return m_export; }
    SearchVolumeEstimate& Estimator() { return m_estimate; }
    SpendingCommands& Spending() { return m_spending; }
    BlueskyLogIn& Bluesky() { return m_bluesky; }
    PostRetrieval& Posts() { return m_posts; }
    // The "Posts" menu's quotes, reposters, liking users and list members.
    PostCaptures& PostCalls() { return m_postCalls; }

    // ---- The commands that span parts
    // "Cancel ": stops whatever runs (a search, timelines, a list, a look-up waiting for
    // its window).
    void QuitGet_Click();
    // Tools › "Continue Back to Threshold": the search or the timelines the table came from.
    void mContinueBack_Click();

    // ---- Opening and closing the window
    void Form_Load() { m_session.Form_Load(); }
    // The window is asked to close; false keeps it open.
    bool Form_QueryUnload() { return m_session.Form_QueryUnload(); }

  private:
    void WireParts();

    std::unique_ptr<MainWindowState> m_state;
    // The controls of each side, before the parts that show and read them.
    TweetControls m_tweetCtl;
    UserControls m_userCtl;
    TweetSide m_tweets;
    WindowSession m_session;
    UserSide m_users;
    ExportCommands m_export;
    SearchVolumeEstimate m_estimate;
    SpendingCommands m_spending;
    BlueskyLogIn m_bluesky;
    PostRetrieval m_posts;
    PostCaptures m_postCalls;
};

}  // namespace marlin
