#pragma once

#include "workspace/main_window_state.h"

namespace marlin {

// What "Wait for Quota Windows Automatically" changes beyond the retrieval loops: the
// service clients send a failed request again by themselves (QuotaWait::RetryPause) and
// the notes that end a normal run go to the request log instead of a message box. With
// the setting off a note goes to the log when the retrieval holds records, and a box says
// that a retrieval found nothing. Installed once for good.
class UnattendedMode {
  public:
    static void Install(MainWindowState& window);

  private:
    static void InstallOn(MainWindowState& window, TwitterAPI& client);
};

}  // namespace marlin
