#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/menu_item.h"
#include "workspace/engine/searches_from_file.h"
#include "workspace/main_window_state.h"
#include "workspace/retrieval/tweet_table_target.h"

namespace marlin {

// The window's commands on shared posts: Posts › "Hydrate…" (a file of post ids turned back
// into posts, the table written beside its archive and its list of the ids not given, so the
// same hydrate again goes on where it stopped), Posts › "Searches from File…" (a search a line
// of a file, each into its own table and archive in a folder, going on at the first search not
// finished when chosen again), Posts › "Conversations of Selected Posts" (every
// reply in the conversations the selected rows started, and the rows' posts) and File ›
// "Export Post Ids…" (the ids of the Tweets table alone, newest first, each once). It owns the
// menu items it binds; the Qt window lays them out.
class PostRetrieval {
  public:
    static constexpr const char* kHydrateTitle = "Hydrate";
    static constexpr const char* kSearchesTitle = "Searches from File";
    static constexpr const char* kConversationsTitle = "Conversations";
    static constexpr const char* kExportIdsTitle = "Export Post Ids";
    static constexpr const char* kNeedsV2 =
        "Conversations are found by the v2 API only: choose Settings \xE2\x80\xBA \"Service API\" "
        "\xE2\x80\xBA \"v2\".";
    static constexpr const char* kNoSelection = "Select the posts whose conversations you want first.";

    PostRetrieval(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl,
                  TweetTableTarget& table);
    PostRetrieval(const PostRetrieval&) = delete;
    PostRetrieval& operator=(const PostRetrieval&) = delete;

    MenuItem mPosts{"Posts"};
    MenuItem mHydrate{"Hydrate…"};
    MenuItem mSearchesFromFile{"Searches from File…"};
    MenuItem mConversations{"Conversations of Selected Posts"};
    MenuItem mExportPostIds{"Export Post Ids…"};

    void mHydrate_Click();
    void mSearchesFromFile_Click();
    void mConversations_Click();
    void mExportPostIds_Click();

    // The post ids of the selected rows of the Tweets table, in row order, each once.
    std::vector<std::uint64_t> SelectedPostIds() const;

  private:
    // Runs the request into a new Tweets table; the table's rows.
    CaptureResult RunIntoNewTable(const CaptureRequest& request);
    // The table, the archive and the log of each search of the file, in the folder.
    SearchesFromFile::Hooks SearchHooks();

    MainWindowState& m_window;
    TweetControls& m_tweetCtl;
    UserControls& m_userCtl;
    TweetTableTarget& m_table;
};

}  // namespace marlin
