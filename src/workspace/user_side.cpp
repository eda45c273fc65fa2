#include "workspace/user_side.h"

namespace marlin {

UserSide::UserSide(MainWindowState& window, TweetTableView& view, TweetFiles& files, SearchRetrieval& search)
    : m_window(window),
      m_profiles(window),
      m_samples(window, m_profiles),
      m_list(window, m_profiles, m_samples),
      m_files(window, m_profiles, m_samples),
      m_timelines(window, view, files, search) {
    SetUpControls();
    WireControls();
}

void UserSide::SetStatusTimerSwitch(std::function<void(bool on)> switchTimer) {
    m_list.SetStatusTimerSwitch(std::move(switchTimer));
}

void UserSide::SetUpControls() {
    MainWindowState& w = m_window;
    w.UserList.SetCheckBoxes(true);
    w.UserList.SetToolTip(UserListBuilder::kListTip);
    w.UserMeta.SetReadOnly(true);
    // Starting choices, made before the actions are bound so that nothing runs yet.
    w.UserHandle.SetSelectedIndex(0);
    w.UTToggle.SetSelectedIndex(0);
    w.GUFOp.SetSelectedIndex(0);
    w.GUF_Id.SetEnabled(false);
    w.GetFF[0].SetCaption("Get Followers");
    w.GetFF[1].SetCaption("Get Friends");
    w.GetAllUTL.SetToolTip(TimelineRetrieval::kNewTip);
    w.UpdateUTL.SetToolTip(TimelineRetrieval::kUpdateTip);
    w.GetUTTL.SetToolTip(TimelineSamples::kGetUTTLTip);

    w.mUsers.SetCaption("User List");
    w.mCopyUL.SetCaption("Copy");
    w.mCopyUT.SetCaption("Copy Metadata");
    w.mPasteUL.SetCaption("Paste");
    w.mSelAllUL.SetCaption("Select All");
    w.mULClear.SetCaption("Clear");
    w.mAddUser.SetCaption("Add User");
    w.mDeleteUser.SetCaption("Delete User");
    w.mGetUFT.SetCaption("Get Users From Tweets");
    w.mGetUserFollowers.SetCaption("Get User Followers");
    w.mGetUserFriends.SetCaption("Get User Friends");

    w.mUT.SetCaption("User Table");
    w.mUTSelAll[0].SetCaption("Select All");
    w.mUTSelAll[1].SetCaption("Select Cases With No TL Sample");
    w.mUTSelAll[2].SetCaption("Select Cases Down To This Row");
    w.mUTUnselAll.SetCaption("Unselect All");

    // The user table files are offered: the commands are complete and researchers need them.
    w.mOpenUsersMenu.SetCaption("User Table");
    w.mOpenUsers[0].SetCaption("Key Fields Only");
    w.mOpenUsers[1].SetCaption("All Fields");
    w.mSaveUsersMenu.SetCaption("User Table");
    w.mSaveUsers[0].SetCaption("Key Fields Only");
    w.mSaveUsers[1].SetCaption("Profiler Input Fields");
    w.mSaveUsers[2].SetCaption("All Fields");
    w.mImportProfiler.SetCaption("Import Profiler Attributes");

    m_profiles.PrepareTable(*w.UserTable.front());
    w.UserTable.front()->SetVisible(true);
}

void UserSide::WireControls() {
    MainWindowState& w = m_window;
    w.UserList.SetClickAction([this] { m_list.UserList_Click(); });
    w.UserList.SetItemCheckAction([this](int index) { m_list.UserList_ItemCheck(index); });
    w.UserList.SetDoubleClickAction([this] { m_timelines.UserList_DblClick(); });
    w.UserList.SetContextMenuAction([this] { m_list.UserList_MouseUp(2); });
    w.UserHandle.SetClickAction([this](int index) { m_list.UserHandle_Click(index); });

    w.mGetUserFollowers.SetAction([this] { m_list.mGetUserFollowers_Click(); });
    w.mGetUserFriends.SetAction([this] { m_list.mGetUserFriends_Click(); });
    w.mGetUFT.SetAction([this] { m_list.mGetUFT_Click(); });
    w.mPasteUL.SetAction([this] { m_list.mPasteUL_Click(); });
    w.mCopyUL.SetAction([this] { m_list.mCopyUL_Click(); });
    w.mCopyUT.SetAction([this] { m_profiles.mCopyUT_Click(); });
    w.mAddUser.SetAction([this] { m_list.mAddUser_Click(); });
    w.mDeleteUser.SetAction([this] { m_list.mDeleteUser_Click(); });
    w.mSelAllUL.SetAction([this] { m_list.mSelAllUL_Click(); });
    w.mULClear.SetAction([this] { m_list.mULClear_Click(); });
    w.mAddU2UL.SetAction([this] { m_list.mAddU2UL_Click(); });
    w.mDelUFUL.SetAction([this] { m_list.mDelUFUL_Click(); });

    w.GUFOp.SetClickAction([this](int index) { m_list.GUFOp_Click(index); });
    for (int i = 0; i < 2; ++i) w.GetFF[i].SetClickAction([this, i] { m_list.GetFF_Click(i); });

    w.GetAllUTL.SetClickAction([this] { m_timelines.GetAllUTL_Click(); });
    w.UpdateUTL.SetClickAction([this] { m_timelines.UpdateUTL_Click(); });

    w.BuildTweetsUT.SetClickAction([this] { m_samples.BuildTweetsUT_Click(); });
    w.GetUTTL.SetClickAction([this] { m_samples.GetUTTL_Click(); });
    w.MergeRemUT.SetClickAction([this] { m_samples.MergeRemUT_Click(); });
    w.AddRemUT.SetClickAction([this] { m_samples.AddRemUT_Click(); });
    w.UTList.SetClickAction([this] { m_samples.UTList_Click(); });
    w.UTList.SetDoubleClickAction([this] { m_samples.UTList_DblClick(); });
    w.UTToggle.SetClickAction([this](int index) { m_samples.UTToggle_Click(index); });

    for (int i = 0; i < 3; ++i) w.mUTSelAll[i].SetAction([this, i] { m_profiles.mUTSelAll_Click(i); });
    w.mUTUnselAll.SetAction([this] { m_profiles.mUTUnselAll_Click(); });

    for (int i = 0; i < 3; ++i) w.mSaveUsers[i].SetAction([this, i] { m_files.mSaveUsers_Click(i); });
    for (int i = 0; i < 2; ++i) w.mOpenUsers[i].SetAction([this, i] { m_files.mOpenUsers_Click(i); });
    w.mImportProfiler.SetAction([this] { m_files.mImportProfiler_Click(); });
}

}  // namespace marlin
