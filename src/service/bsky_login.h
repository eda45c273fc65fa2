#pragma once

#include <string>

#include "service/bsky_client.h"
#include "service/bsky_session_file.h"

namespace marlin {

// The log-in of the second service for one program folder: the stored session when it belongs to
// this server (and to this handle, when one is given), else a new one made with the app password,
// and every session the client takes from then on (created or refreshed) stored at once. New sessions
// are few (30 in 5 minutes, 300 a day), so one is made only when no stored session can serve.
class BskyLogin {
  public:
    struct Credentials {
        std::string handle;
        std::string appPassword;
    };

    BskyLogin(BskyClient& client, BskySessionFile file, Credentials credentials);

    // The client holds a session afterwards, or the outcome says why not.
    BskyOutcome Open();
    // A new session with the app password, for a stored one whose refresh the service refused; a
    // failure (AuthRequired) when no app password was given.
    BskyOutcome Renew();
    // Why the last session could not be stored; empty when it was.
    const std::string& StoreProblem() const { return m_storeProblem; }

  private:
    static std::string Bare(std::string handle);

    BskyClient& m_client;
    BskySessionFile m_file;
    Credentials m_credentials;
    std::string m_storeProblem;
};

}  // namespace marlin
