#pragma once

#include <memory>
#include <string>

#include "service/bsky_login.h"
#include "workspace/main_window_state.h"
#include "workspace/tweets/tweet_controls.h"

namespace marlin {

// Settings › "Bluesky Log-in…": the handle, an app password and the server of the second service,
// asked in one form (the password hidden as it is typed), and the session made with them for both engines of
// the window. The session is stored (bskysession, the owner's alone) and used again at the next start; a
// capture that finds none, or one the service no longer refreshes, asks here before its first request.
class BlueskyLogIn {
  public:
    static constexpr const char* kTitle = "Bluesky Log-in";
    static constexpr const char* kNote =
        "Give an app password, never your account's own password: an app password lets this program read and "
        "can be revoked on its own, without touching your account. Make one in the Bluesky app under "
        "Settings \u203A Privacy and security \u203A App passwords (it looks like abcd-efgh-ijkl-mnop).";
    static constexpr const char* kHandleLabel = "Handle (for example ana.bsky.social):";
    static constexpr const char* kPasswordLabel = "App password:";
    static constexpr const char* kServerLabel = "Server:";
    static constexpr const char* kDone = "Logged in to Bluesky as ";

    BlueskyLogIn(MainWindowState& window, TweetControls& tweetCtl);
    BlueskyLogIn(const BlueskyLogIn&) = delete;
    BlueskyLogIn& operator=(const BlueskyLogIn&) = delete;

    // The menu item: asks for the three and logs in; the outcome is shown.
    void mBlueskyLogIn_Click();
    // A session for a capture: the stored one, else one made with what the user gives.
    BskyOutcome Open(BskyClient& client);

  private:
    // Asks for the handle, app password and server; false when the user cancelled.
    bool AskCredentials();
    BskyOutcome LogIn();
    // Every session either client takes is the other's too (a refresh token serves once).
    void Share(BskyClient& from, BskyClient& to);

    MainWindowState& m_window;
    std::unique_ptr<BskyLogin> m_engineLogin;
    std::unique_ptr<BskyLogin> m_tableLogin;
    BskyLogin::Credentials m_credentials;
    std::string m_server = BskyClient::kDefaultServer;
};

}  // namespace marlin
