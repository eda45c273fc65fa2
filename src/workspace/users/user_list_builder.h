#pragma once

#include <functional>
#include <string>

#include "workspace/main_window_state.h"
#include "workspace/retrieval/retrieval_guard.h"
#include "workspace/users/timeline_samples.h"
#include "workspace/users/user_profile_table.h"

namespace marlin {

// The User list: filled from an account's followers or friends, from the authors of the
// Tweets table, from the clipboard or one account at a time; copied, cleared, checked and
// pruned; with the one-line profile summary of the selected item. Also the
// followers/friends frame, which makes a named user table per target account.
class UserListBuilder {
  public:
    static constexpr const char* kListTip =
        "Copy users here to get their timelines. Items can be either screen names or user ids but not both";

    enum class ListKind { Followers, Friends };

    UserListBuilder(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl,
                    UserProfileTable& profiles, TimelineSamples& samples);

    // Switches the one-second status refresh, which would otherwise overwrite the user
    // count that the followers and friends loops show.
    void SetStatusTimerSwitch(std::function<void(bool on)> switchTimer) {
        m_switchTimer = std::move(switchTimer);
    }

    // ---- The "User List" menu
    void mGetUserFollowers_Click() { GetFollowersOrFriends(ListKind::Followers); }
    void mGetUserFriends_Click() { GetFollowersOrFriends(ListKind::Friends); }
    void mGetUFT_Click();
    // What those two do once they have the account's screen name: its list into the main
    // client's user set and the User list.
    void RetrieveListOf(ListKind kind, const std::string& name);
    // The users who reposted or liked a post, or the members of a list (kind RepostedBy,
    // LikingUsers or ListMembers; id: the post's or the list's), into the main client's user
    // set and the User list, as an account's followers fill them.
    void RetrieveUsersOf(CaptureKind kind, const std::string& id);
    void mPasteUL_Click();
    void mCopyUL_Click();
    void mAddUser_Click();
    void mDeleteUser_Click();
    void mSelAllUL_Click();
    void mULClear_Click();
    // ---- The Tweets table's row menu
    void mAddU2UL_Click();
    void mDelUFUL_Click();
    // ---- The list and its item type
    void UserList_Click();  // the summary of the selected item
    void UserList_ItemCheck(int index);
    void UserList_MouseUp(int button);
    void UserHandle_Click(int index);  // 0 screen names, 1 user ids
    // ---- The followers/friends frame
    void GUFOp_Click(int index);
    void GetFF_Click(int index);  // 0 "Get Followers", 1 "Get Friends"

    // The summary line of record `index` of the main user set.
    std::string Summary(int index) const;
    // True when the text is exactly the canonical decimal form of its own leading number,
    // which is how a pasted item is taken for a user id.
    static bool LooksLikeUserId(const std::string& field);

  private:
    // Has the engine page through the followers or friends list of one account (a screen
    // name, or an id) into its user set until the last page, a lasting failure or "Cancel ".
    // True when it reached the end. The progress bar counts the users against `listed`, the
    // account's own count when a profile at hand tells it; 0 shows a busy bar with the count.
    bool RetrieveUserList(CaptureEngine& engine, ListKind kind, const std::string& account, bool byId,
                          long long listed);
    void GetFollowersOrFriends(ListKind kind);
    // Starts and ends the retrievals that hold the window busy.
    void BeginRetrieval();
    void EndRetrieval(RetrievalGuard& running);
    void FillListFromUsers();
    void NoListRetrieved(ListKind kind);
    std::vector<std::string> FrameTargets() const;

    MainWindowState& m_window;
    TweetControls& m_tweetCtl;
    UserControls& m_userCtl;
    UserProfileTable& m_profiles;
    TimelineSamples& m_samples;
    std::function<void(bool)> m_switchTimer;
};

}  // namespace marlin
