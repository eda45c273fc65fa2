#include "workspace/users/user_side.h"

namespace marlin {

UserSide::UserSide(MainWindowState& window, TweetTableTarget& tweetTable)
    : m_window(window),
      m_profiles(window),
      m_samples(window, m_profiles),
      m_list(window, m_profiles, m_samples),
      m_files(window, m_profiles, m_samples),
      m_timelines(window, tweetTable) {
    SetUpControls();
    WireControls();
}

void UserSide::SetStatusTimerSwitch(std::function<void(bool on)> switchTimer) {
    m_list.SetStatusTimerSwitch(std::move(switchTimer));
}

void UserSide::SetUpControls() {
    MainWindowState& w = m_window;
    w.Users.UserList.SetCheckBoxes(true);
    w.Users.UserList.SetToolTip(UserListBuilder::kListTip);
    w.Users.UserMeta.SetReadOnly(true);
    // Starting choices, made before the actions are bound so that nothing runs yet.
    w.Users.UserHandle.SetSelectedIndex(0);
    w.Users.UTToggle.SetSelectedIndex(0);
    w.Users.GUFOp.SetSelectedIndex(0);
    w.Users.GUF_Id.SetEnabled(false);
    w.Users.GetFF[0].SetCaption("Get Followers");
    w.Users.GetFF[1].SetCaption("Get Friends");
    w.Users.GetAllUTL.SetToolTip(TimelineRetrieval::kNewTip);
    w.Users.UpdateUTL.SetToolTip(TimelineRetrieval::kUpdateTip);
    w.Users.GetUTTL.SetToolTip(TimelineSamples::kGetUTTLTip);

    w.Users.mUsers.SetCaption("User List");
    w.Users.mCopyUL.SetCaption("Copy");
    w.Users.mCopyUT.SetCaption("Copy Metadata");
    w.Users.mPasteUL.SetCaption("Paste");
    w.Users.mSelAllUL.SetCaption("Select All");
    w.Users.mULClear.SetCaption("Clear");
    w.Users.mAddUser.SetCaption("Add User");
    w.Users.mDeleteUser.SetCaption("Delete User");
    w.Users.mGetUFT.SetCaption("Get Users From Tweets");
    w.Users.mGetUserFollowers.SetCaption("Get User Followers");
    w.Users.mGetUserFriends.SetCaption("Get User Friends");

    w.Users.mUT.SetCaption("User Table");
    w.Users.mUTSelAll[0].SetCaption("Select All");
    w.Users.mUTSelAll[1].SetCaption("Select Cases With No TL Sample");
    w.Users.mUTSelAll[2].SetCaption("Select Cases Down To This Row");
    w.Users.mUTUnselAll.SetCaption("Unselect All");

    // The user table files are offered: the commands are complete and researchers need them.
    w.Users.mOpenUsersMenu.SetCaption("User Table");
    w.Users.mOpenUsers[0].SetCaption("Key Fields Only");
    w.Users.mOpenUsers[1].SetCaption("All Fields");
    w.Users.mSaveUsersMenu.SetCaption("User Table");
    w.Users.mSaveUsers[0].SetCaption("Key Fields Only");
    w.Users.mSaveUsers[1].SetCaption("Profiler Input Fields");
    w.Users.mSaveUsers[2].SetCaption("All Fields");
    w.Users.mImportProfiler.SetCaption("Import Profiler Attributes");

    m_profiles.PrepareTable(w.Users.UserTables.front()->Rows());
    w.Users.UserTables.front()->Rows().SetVisible(true);
}

void UserSide::WireControls() {
    MainWindowState& w = m_window;
    w.Users.UserList.SetClickAction([this] { m_list.UserList_Click(); });
    w.Users.UserList.SetItemCheckAction([this](int index) { m_list.UserList_ItemCheck(index); });
    w.Users.UserList.SetDoubleClickAction([this] { m_timelines.UserList_DblClick(); });
    w.Users.UserList.SetContextMenuAction([this] { m_list.UserList_MouseUp(2); });
    w.Users.UserHandle.SetClickAction([this](int index) { m_list.UserHandle_Click(index); });

    w.Users.mGetUserFollowers.SetAction([this] { m_list.mGetUserFollowers_Click(); });
    w.Users.mGetUserFriends.SetAction([this] { m_list.mGetUserFriends_Click(); });
    w.Users.mGetUFT.SetAction([this] { m_list.mGetUFT_Click(); });
    w.Users.mPasteUL.SetAction([this] { m_list.mPasteUL_Click(); });
    w.Users.mCopyUL.SetAction([this] { m_list.mCopyUL_Click(); });
    w.Users.mCopyUT.SetAction([this] { m_profiles.mCopyUT_Click(); });
    w.Users.mAddUser.SetAction([this] { m_list.mAddUser_Click(); });
    w.Users.mDeleteUser.SetAction([this] { m_list.mDeleteUser_Click(); });
    w.Users.mSelAllUL.SetAction([this] { m_list.mSelAllUL_Click(); });
    w.Users.mULClear.SetAction([this] { m_list.mULClear_Click(); });
    w.Tweets.mAddU2UL.SetAction([this] { m_list.mAddU2UL_Click(); });
    w.Tweets.mDelUFUL.SetAction([this] { m_list.mDelUFUL_Click(); });

    w.Users.GUFOp.SetClickAction([this](int index) { m_list.GUFOp_Click(index); });
    for (int i = 0; i < 2; ++i) w.Users.GetFF[i].SetClickAction([this, i] { m_list.GetFF_Click(i); });

    w.Users.GetAllUTL.SetClickAction([this] { m_timelines.GetAllUTL_Click(); });
    w.Users.UpdateUTL.SetClickAction([this] { m_timelines.UpdateUTL_Click(); });

    w.Users.BuildTweetsUT.SetClickAction([this] { m_samples.BuildTweetsUT_Click(); });
    w.Users.GetUTTL.SetClickAction([this] { m_samples.GetUTTL_Click(); });
    w.Users.MergeRemUT.SetClickAction([this] { m_samples.MergeRemUT_Click(); });
    w.Users.AddRemUT.SetClickAction([this] { m_samples.AddRemUT_Click(); });
    w.Users.UTList.SetClickAction([this] { m_samples.UTList_Click(); });
    w.Users.UTList.SetDoubleClickAction([this] { m_samples.UTList_DblClick(); });
    w.Users.UTToggle.SetClickAction([this](int index) { m_samples.UTToggle_Click(index); });

    for (int i = 0; i < 3; ++i) w.Users.mUTSelAll[i].SetAction([this, i] { m_profiles.mUTSelAll_Click(i); });
    w.Users.mUTUnselAll.SetAction([this] { m_profiles.mUTUnselAll_Click(); });

    for (int i = 0; i < 3; ++i) w.Users.mSaveUsers[i].SetAction([this, i] { m_files.mSaveUsers_Click(i); });
    for (int i = 0; i < 2; ++i) w.Users.mOpenUsers[i].SetAction([this, i] { m_files.mOpenUsers_Click(i); });
    w.Users.mImportProfiler.SetAction([this] { m_files.mImportProfiler_Click(); });
    w.Users.OfferToSaveUserTables = [this](int table) { return m_files.OfferToSave(table); };
}

}  // namespace marlin
