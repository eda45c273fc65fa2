#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "platform/button.h"
#include "platform/check_list.h"
#include "platform/label.h"
#include "platform/menu_item.h"
#include "platform/option_group.h"
#include "platform/text_box.h"
#include "workspace/tables/user_table.h"

namespace marlin {

// The user side's controls: the timeline frame, the User list and its companions, the user
// tables with their switches, the followers/friends frame and the menus over them.
// UserSide owns them and sets their captions, tooltips and actions; the other parts that
// show or read one of them are handed this set.
struct UserControls {
    UserControls();

    Button GetAllUTL{"New"};
    Button UpdateUTL{"Update"};
    CheckList UserList;
    CheckList UTList;  // names of the named user tables, in element order (a plain list box)
    // Element 0 is the "Tweets" table; named tables follow, each with its name (its tag).
    std::vector<std::unique_ptr<UserTable>> UserTables;
    int CurUserTable = 0;
    UserTable& CurrentTable() { return *UserTables.at(static_cast<std::size_t>(CurUserTable)); }
    const UserTable& CurrentTable() const { return *UserTables.at(static_cast<std::size_t>(CurUserTable)); }
    ReportList& CurrentUserTable() { return CurrentTable().Rows(); }

    TextBox UserMeta;                                    // read-only summary of the selected user's profile
    Label ULCount;                                       // "<n> users displayed" after a paste
    OptionGroup UserHandle{{"Screen Name", "User Id"}};  // what the User list items are
    ControlModel UTFrame;                                // the "User Timelines" frame
    OptionGroup UTToggle{{"Tweets", "Other:"}};          // the "Tweets" table or a named one
    Button BuildTweetsUT{"Build Table"};
    Button GetUTTL{"Get User Timelines"};
    Button MergeRemUT{"Add"};
    Button AddRemUT{"Remove"};
    OptionGroup GUFOp{{"Selected Users", "This ScreenName", "This User Id"}};
    TextBox GUF_Id;
    std::array<Button, 2> GetFF;  // "Get Followers", "Get Friends"
    int UserTableCounter = 0;     // numbers the tables made without a name
    // Set by the user side. Asks whether to save user table `table` (every user table with
    // kAllUserTables, on the way out, where the question has Cancel too) when it holds
    // unsaved rows, and saves on Yes. False when the user cancelled or a save the
    // user asked for did not happen.
    static constexpr int kAllUserTables = -1;
    std::function<bool(int table)> OfferToSaveUserTables;
    bool OfferToSaveUserTable(int table) { return !OfferToSaveUserTables || OfferToSaveUserTables(table); }
    // Popup over the User list.
    MenuItem mUsers, mCopyUL, mCopyUT, mPasteUL, mSelAllUL, mULClear, mAddUser, mDeleteUser, mGetUFT,
        mGetUserFollowers, mGetUserFriends;
    // Popup over a User table.
    MenuItem mUT, mUTUnselAll;
    std::array<MenuItem, 3> mUTSelAll;
    // File › Open › "User Table", File › Save › "User Table", File › "Import Profiler Attributes".
    MenuItem mOpenUsersMenu, mSaveUsersMenu, mImportProfiler;
    MenuItem mExportUsersCsv;  // File › "Export Users as CSV (UTF-8)…": the current user table
    std::array<MenuItem, 2> mOpenUsers;
    std::array<MenuItem, 3> mSaveUsers;
};

}  // namespace marlin
