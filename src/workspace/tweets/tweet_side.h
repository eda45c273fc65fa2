#pragma once

#include "workspace/main_window_state.h"
#include "workspace/retrieval/search_retrieval.h"
#include "workspace/retrieval/tweet_table_target.h"
#include "workspace/tweets/tweet_editing.h"
#include "workspace/tweets/tweet_files.h"
#include "workspace/tweets/tweet_table_view.h"

namespace marlin {

// The main window's tweet side: the search frame, the Tweets table with its files and
// editing commands, and the main menus. It gives the tweet-side controls their captions,
// tooltips and starting state, and binds their actions to the commands, so a click on a
// control and a call of the command are the same. Its parts are handed the control sets
// they read (the user side's too: opening a table or a search clears the user table).
class TweetSide : public TweetTableTarget {
  public:
    explicit TweetSide(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl);
    TweetSide(const TweetSide&) = delete;
    TweetSide& operator=(const TweetSide&) = delete;

    TweetTableView& View() { return m_view; }
    TweetFiles& Files() { return m_files; }
    SearchRetrieval& Search() { return m_search; }
    TweetEditing& Editing() { return m_editing; }

    // ---- The Tweets table as the retrievals see it
    bool ReadyToReplaceTables() override { return m_files.ReadyToReplaceTables(); }
    void OfferToSave() override { m_files.OfferToSave(); }
    void ShowTweets(bool append) override { m_view.ShowTweets(append); }
    void ShowArrivedTweets() override { m_view.ShowArrivedTweets(); }

  private:
    void SetUpControls();
    void CreateMenus();
    void WireControls();

    MainWindowState& m_window;
    TweetControls& m_tweetCtl;
    TweetTableView m_view;
    TweetFiles m_files;
    SearchRetrieval m_search;
    TweetEditing m_editing;
};

}  // namespace marlin
