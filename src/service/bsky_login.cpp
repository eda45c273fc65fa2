#include "service/bsky_login.h"

#include <stdexcept>

namespace marlin {

BskyLogin::BskyLogin(BskyClient& client, BskySessionFile file, Credentials credentials)
    : m_client(client), m_file(std::move(file)), m_credentials(std::move(credentials)) {
    m_client.SetSessionListener([this](const BskySession& session) {
        try {
            m_file.Write({m_client.Base(), session});
            m_storeProblem.clear();
        } catch (const std::runtime_error& error) {
            // The session serves this run all the same; the next one makes a new session.
            m_storeProblem = error.what();
        }
    });
}

std::string BskyLogin::Bare(std::string handle) {
    if (!handle.empty() && handle.front() == '@') handle.erase(0, 1);
    for (char& c : handle)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return handle;
}

BskyOutcome BskyLogin::Open() {
    if (const std::optional<BskySessionFile::Stored> stored = m_file.Read()) {
        const bool sameAccount =
            m_credentials.handle.empty() || Bare(m_credentials.handle) == Bare(stored->session.handle);
        if (stored->base == m_client.Base() && sameAccount) {
            m_client.SetSession(stored->session);
            return {};
        }
    }
    return Renew();
}

BskyOutcome BskyLogin::Renew() {
    if (m_credentials.handle.empty() || m_credentials.appPassword.empty()) {
        BskyOutcome outcome;
        outcome.failure = BskyFailure::AuthRequired;
        outcome.message = "no Bluesky session: give the handle and an app password";
        return outcome;
    }
    return m_client.CreateSession(m_credentials.handle, m_credentials.appPassword);
}

}  // namespace marlin
