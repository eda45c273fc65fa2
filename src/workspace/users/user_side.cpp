#include "workspace/users/user_side.h"

namespace marlin {

UserSide::UserSide(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl,
                   TweetTableTarget& tweetTable)
    : m_window(window),
      m_tweetCtl(tweetCtl),
      m_userCtl(userCtl),
      m_profiles(window, tweetCtl, userCtl),
      m_samples(window, tweetCtl, userCtl, m_profiles),
      m_list(window, tweetCtl, userCtl, m_profiles, m_samples),
      m_files(window, userCtl, m_profiles, m_samples),
      m_timelines(window, tweetCtl, userCtl, tweetTable) {
    SetUpControls();
    WireControls();
}

void UserSide::SetStatusTimerSwitch(std::function<void(bool on)> switchTimer) {
    m_list.SetStatusTimerSwitch(std::move(switchTimer));
}

void UserSide::SetUpControls() {
    m_userCtl.UserList.SetCheckBoxes(true);
    m_userCtl.UserList.SetToolTip(UserListBuilder::kListTip);
    m_userCtl.UserMeta.SetReadOnly(true);
    // Starting choices, made before the actions are bound so that nothing runs yet.
    m_userCtl.UserHandle.SetSelectedIndex(0);
    m_userCtl.UTToggle.SetSelectedIndex(0);
    m_userCtl.GUFOp.SetSelectedIndex(0);
    m_userCtl.GUF_Id.SetEnabled(false);
    m_userCtl.UpdateUTL.SetEnabled(false);  // nothing to update yet
    m_userCtl.GetFF[0].SetCaption("Get Followers");
    m_userCtl.GetFF[1].SetCaption("Get Friends");
    m_userCtl.GetAllUTL.SetToolTip(TimelineRetrieval::kNewTip);
    m_userCtl.UpdateUTL.SetToolTip(TimelineRetrieval::kUpdateTip);
    m_userCtl.GetUTTL.SetToolTip(TimelineSamples::kGetUTTLTip);

    m_userCtl.mUsers.SetCaption("User List");
    m_userCtl.mCopyUL.SetCaption("Copy");
    m_userCtl.mCopyUT.SetCaption("Copy Metadata");
    m_userCtl.mPasteUL.SetCaption("Paste");
    m_userCtl.mSelAllUL.SetCaption("Select All");
    m_userCtl.mULClear.SetCaption("Clear");
    m_userCtl.mAddUser.SetCaption("Add User");
    m_userCtl.mDeleteUser.SetCaption("Delete User");
    m_userCtl.mGetUFT.SetCaption("Get Users From Tweets");
    m_userCtl.mGetUserFollowers.SetCaption("Get User Followers");
    m_userCtl.mGetUserFriends.SetCaption("Get User Friends");

    m_userCtl.mUT.SetCaption("User Table");
    m_userCtl.mUTSelAll[0].SetCaption("Select All");
    m_userCtl.mUTSelAll[1].SetCaption("Select Cases With No TL Sample");
    m_userCtl.mUTSelAll[2].SetCaption("Select Cases Down To This Row");
    m_userCtl.mUTUnselAll.SetCaption("Unselect All");

    // The user table files are offered: the commands are complete and researchers need them.
    m_userCtl.mOpenUsersMenu.SetCaption("User Table");
    m_userCtl.mOpenUsers[0].SetCaption("Key Fields Only");
    m_userCtl.mOpenUsers[1].SetCaption("All Fields");
    m_userCtl.mSaveUsersMenu.SetCaption("User Table");
    m_userCtl.mSaveUsers[0].SetCaption("Key Fields Only");
    m_userCtl.mSaveUsers[1].SetCaption("Profiler Input Fields");
    m_userCtl.mSaveUsers[2].SetCaption("All Fields");
    m_userCtl.mImportProfiler.SetCaption("Import Profiler Attributes");

    m_profiles.PrepareTable(m_userCtl.UserTables.front()->Rows());
    m_userCtl.UserTables.front()->Rows().SetVisible(true);
}

void UserSide::WireControls() {
    m_userCtl.UserList.SetClickAction([this] { m_list.UserList_Click(); });
    m_userCtl.UserList.SetItemCheckAction([this](int index) { m_list.UserList_ItemCheck(index); });
    m_userCtl.UserList.SetDoubleClickAction([this] { m_timelines.UserList_DblClick(); });
    m_userCtl.UserList.SetContextMenuAction([this] { m_list.UserList_MouseUp(2); });
    m_userCtl.UserHandle.SetClickAction([this](int index) { m_list.UserHandle_Click(index); });

    m_userCtl.mGetUserFollowers.SetAction([this] { m_list.mGetUserFollowers_Click(); });
    m_userCtl.mGetUserFriends.SetAction([this] { m_list.mGetUserFriends_Click(); });
    m_userCtl.mGetUFT.SetAction([this] { m_list.mGetUFT_Click(); });
    m_userCtl.mPasteUL.SetAction([this] { m_list.mPasteUL_Click(); });
    m_userCtl.mCopyUL.SetAction([this] { m_list.mCopyUL_Click(); });
    m_userCtl.mCopyUT.SetAction([this] { m_profiles.mCopyUT_Click(); });
    m_userCtl.mAddUser.SetAction([this] { m_list.mAddUser_Click(); });
    m_userCtl.mDeleteUser.SetAction([this] { m_list.mDeleteUser_Click(); });
    m_userCtl.mSelAllUL.SetAction([this] { m_list.mSelAllUL_Click(); });
    m_userCtl.mULClear.SetAction([this] { m_list.mULClear_Click(); });
    m_tweetCtl.mAddU2UL.SetAction([this] { m_list.mAddU2UL_Click(); });
    m_tweetCtl.mDelUFUL.SetAction([this] { m_list.mDelUFUL_Click(); });

    m_userCtl.GUFOp.SetClickAction([this](int index) { m_list.GUFOp_Click(index); });
    for (int i = 0; i < 2; ++i) m_userCtl.GetFF[i].SetClickAction([this, i] { m_list.GetFF_Click(i); });

    m_userCtl.GetAllUTL.SetClickAction([this] { m_timelines.GetAllUTL_Click(); });
    m_userCtl.UpdateUTL.SetClickAction([this] { m_timelines.UpdateUTL_Click(); });

    m_userCtl.BuildTweetsUT.SetClickAction([this] { m_samples.BuildTweetsUT_Click(); });
    m_userCtl.GetUTTL.SetClickAction([this] { m_samples.GetUTTL_Click(); });
    m_userCtl.MergeRemUT.SetClickAction([this] { m_samples.MergeRemUT_Click(); });
    m_userCtl.AddRemUT.SetClickAction([this] { m_samples.AddRemUT_Click(); });
    m_userCtl.UTList.SetClickAction([this] { m_samples.UTList_Click(); });
    m_userCtl.UTList.SetDoubleClickAction([this] { m_samples.UTList_DblClick(); });
    m_userCtl.UTToggle.SetClickAction([this](int index) { m_samples.UTToggle_Click(index); });

    for (int i = 0; i < 3; ++i)
        m_userCtl.mUTSelAll[i].SetAction([this, i] { m_profiles.mUTSelAll_Click(i); });
    m_userCtl.mUTUnselAll.SetAction([this] { m_profiles.mUTUnselAll_Click(); });

    for (int i = 0; i < 3; ++i) m_userCtl.mSaveUsers[i].SetAction([this, i] { m_files.mSaveUsers_Click(i); });
    for (int i = 0; i < 2; ++i) m_userCtl.mOpenUsers[i].SetAction([this, i] { m_files.mOpenUsers_Click(i); });
    m_userCtl.mImportProfiler.SetAction([this] { m_files.mImportProfiler_Click(); });
    m_userCtl.OfferToSaveUserTables = [this](int table) { return m_files.OfferToSave(table); };
}

}  // namespace marlin
