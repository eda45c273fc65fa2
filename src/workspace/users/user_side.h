#pragma once

#include <functional>

#include "workspace/main_window_state.h"
#include "workspace/retrieval/timeline_retrieval.h"
#include "workspace/retrieval/tweet_table_target.h"
#include "workspace/users/timeline_samples.h"
#include "workspace/users/user_list_builder.h"
#include "workspace/users/user_profile_table.h"
#include "workspace/users/user_table_files.h"

namespace marlin {

// The main window's user side: the User list, the user tables with their samples and
// files, and the timeline retrieval. It gives the user-side controls their captions,
// tooltips and starting state, and binds their actions to the commands, so a click on a
// control and a call of the command are the same.
class UserSide {
  public:
    UserSide(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl,
             TweetTableTarget& tweetTable);
    UserSide(const UserSide&) = delete;
    UserSide& operator=(const UserSide&) = delete;

    UserProfileTable& Profiles() { return m_profiles; }
    TimelineSamples& Samples() { return m_samples; }
    UserListBuilder& List() { return m_list; }
    UserTableFiles& Files() { return m_files; }
    TimelineRetrieval& Timelines() { return m_timelines; }

    // Switches the one-second status refresh (owned by the window's session) off and on
    // around the followers and friends loops.
    void SetStatusTimerSwitch(std::function<void(bool on)> switchTimer);

  private:
    void SetUpControls();
    void WireControls();

    MainWindowState& m_window;
    TweetControls& m_tweetCtl;
    UserControls& m_userCtl;
    UserProfileTable m_profiles;
    TimelineSamples m_samples;
    UserListBuilder m_list;
    UserTableFiles m_files;
    TimelineRetrieval m_timelines;
};

}  // namespace marlin
