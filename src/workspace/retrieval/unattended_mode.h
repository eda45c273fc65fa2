#pragma once

#include "workspace/main_window_state.h"

namespace marlin {

// What "Wait for Quota Windows Automatically" changes beyond the retrieval loops: the
// service clients send a failed request again by themselves (QuotaWait::RetryPause) and
// the notes that end a normal run go to the request log instead of a message box. With
// the setting off everything behaves as before, so this is installed once for good.
class UnattendedMode {
  public:
    static void Install(MainWindowState& window);

  private:
    static void InstallOn(MainWindowState& window, TwitterAPI& client);
};

}  // namespace marlin
