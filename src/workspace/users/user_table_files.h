#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/report_list.h"
#include "workspace/main_window_state.h"
#include "workspace/tables/user_table_file.h"
#include "workspace/users/timeline_samples.h"
#include "workspace/users/user_profile_table.h"

namespace marlin {

// The user table files: user keys (".muk"), the classifier's input (".mprf") and the
// whole table (".mut"), all tab-separated lines in the table's row order with cells as
// shown; reopening keys or a whole table as a named table; and reading the classifier's
// output into the current table.
class UserTableFiles {
  public:
    using Layout = UserTableFile::Layout;

    // The question before unsaved user tables go; it names them, since the one at stake
    // need not be the one on show.
    static std::string ReplaceQuestion(const std::vector<std::string>& tableNames);

    // One line of the classifier's output: the user's id and screen name and the three
    // attributes, in the order they go to "Prf_Gender", "Prf_Age" and "Prf_Conf".
    struct ProfilerAttributes {
        std::string id;
        std::string screenName;
        std::array<std::string, 3> values;
    };

    UserTableFiles(MainWindowState& window, UserControls& userCtl, UserProfileTable& profiles,
                   TimelineSamples& samples);

    // File › Save › "User Table": 0 "Key Fields Only", 1 "Profiler Input Fields", 2 "All Fields".
    void mSaveUsers_Click(int index);
    // File › Open › "User Table": 0 "Key Fields Only", 1 "All Fields".
    void mOpenUsers_Click(int index);
    // File › "Import Profiler Attributes".
    void mImportProfiler_Click();
    // Before user table `table` (every one with UserControls::kAllUserTables) is replaced
    // or dropped: one question when any holds unsaved service rows; Yes saves each with
    // all fields. False when a save the user asked for did not happen, or (on the way out,
    // every table) the user cancelled.
    bool OfferToSave(int table);

    // The lines of a classifier output file (already decoded).
    static std::vector<ProfilerAttributes> ReadProfilerAttributes(const std::string& text);

  private:
    std::string ProposedName(std::size_t table) const;
    // Saves one of the user tables; true when the file was written.
    bool SaveTable(std::size_t table, Layout layout);
    void ReadIntoTable(const std::string& fileName, Layout layout);
    void ShowOpenError(const std::string& fileName);

    MainWindowState& m_window;
    UserControls& m_userCtl;
    UserProfileTable& m_profiles;
    TimelineSamples& m_samples;
};

}  // namespace marlin
