#include "workspace/retrieval/unattended_mode.h"

#include "workspace/retrieval/quota_wait.h"

namespace marlin {

void UnattendedMode::Install(MainWindowState& window) {
    InstallOn(window, window.Twitter);
    InstallOn(window, window.UTwitter);
}

void UnattendedMode::InstallOn(MainWindowState& window, TwitterAPI& client) {
    MainWindowState* w = &window;
    client.SetAutoRetryPolicy([w](int attempt) { return QuotaWait(*w).RetryPause(attempt); });
    auto notice = [w](const std::string& text) {
        if (w->Settings.WaitForQuota) {
            w->Progress.Append(text);
            w->Progress.ScrollToLast();
        } else {
            w->Tk.MessageBox(text, MsgButtons::OK, MsgIcon::Information);
        }
    };
    client.Tweets.SetNoticeSink(notice);
    client.Users.SetNoticeSink(notice);
}

}  // namespace marlin
