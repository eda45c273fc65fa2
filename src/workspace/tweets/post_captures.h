#pragma once

#include <string>
#include <vector>

#include "platform/menu_item.h"
#include "workspace/main_window_state.h"
#include "workspace/retrieval/tweet_table_target.h"
#include "workspace/users/user_list_builder.h"

namespace marlin {

// The "Posts" menu's captures around posts and lists: the quotes of the posts selected in
// the Tweets table (a new Tweets table, as a new search makes), the users who reposted or
// liked the selected post and the members of a list (the User list, as an account's
// followers fill it). Each is a capture request the engine runs.
class PostCaptures {
  public:
    PostCaptures(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl,
                 TweetTableTarget& table, UserListBuilder& list);

    MenuItem mQuotes;       // "Quotes of Selected Posts"
    MenuItem mRepostedBy;   // "Reposted By (Selected Post)"
    MenuItem mLikingUsers;  // "Liked By (Selected Post)"
    MenuItem mListMembers;  // "List Members…"

    void mQuotes_Click();
    void mRepostedBy_Click() { UsersOfSelectedPost(CaptureKind::RepostedBy); }
    void mLikingUsers_Click() { UsersOfSelectedPost(CaptureKind::LikingUsers); }
    void mListMembers_Click();

    // The TweetIDs of the selected rows of the Tweets table, in table order.
    std::vector<std::string> SelectedPostIds() const;

  private:
    void UsersOfSelectedPost(CaptureKind kind);

    MainWindowState& m_window;
    TweetControls& m_tweetCtl;
    UserControls& m_userCtl;
    TweetTableTarget& m_table;
    UserListBuilder& m_list;
};

}  // namespace marlin
