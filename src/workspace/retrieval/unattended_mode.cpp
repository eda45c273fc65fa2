#include "workspace/retrieval/unattended_mode.h"

#include "workspace/engine/quota_wait.h"

namespace marlin {

void UnattendedMode::Install(MainWindowState& window) {
    InstallOn(window, window.Twitter);
    InstallOn(window, window.UTwitter);
}

void UnattendedMode::InstallOn(MainWindowState& window, TwitterAPI& client) {
    MainWindowState* w = &window;
    client.SetAutoRetryPolicy([w](int attempt) { return w->QuotaWaits().RetryPause(attempt); });
    // The empty last page ends every retrieval that found something: a note for the log.
    // Only a retrieval that found nothing is worth a box.
    auto notice = [w](bool heldRecords, const std::string& text) {
        if (w->Settings.WaitForQuota || heldRecords) {
            w->Events().Log(text);
            w->Progress.ScrollToLast();
        } else {
            w->Events().Tell(text, CaptureEvents::Notice::Information);
        }
    };
    TwitterAPI* c = &client;
    client.Tweets.SetNoticeSink(
        [c, notice](const std::string& text) { notice(c->Tweets.Count() > 0, text); });
    client.Users.SetNoticeSink([c, notice](const std::string& text) { notice(c->Users.Count() > 0, text); });
}

}  // namespace marlin
