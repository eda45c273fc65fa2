#pragma once

#include <httplib.h>

#include <map>
#include <string>
#include <vector>

#include "emulator/emulator.h"

namespace marlin::emulator::testing {

// One exchange as a test sees it.
struct Reply {
    bool answered = false;  // false: the connection ended without an answer
    int status = 0;
    std::string reason;
    std::string body;
    httplib::Headers headers;

    bool Has(const std::string& name) const { return headers.find(name) != headers.end(); }
    std::string Header(const std::string& name) const {
        auto it = headers.find(name);
        return it == headers.end() ? "" : it->second;
    }
};

// A plain HTTP client for the emulator, holding the bearer token of the demo application.
class EmulatorClient {
  public:
    explicit EmulatorClient(Emulator& emulator) : m_emulator(emulator), m_token(emulator.IssueToken()) {}

    Reply Get(const std::string& target, const std::string& bearer) const {
        httplib::Client client("127.0.0.1", m_emulator.Port());
        client.set_read_timeout(30, 0);
        httplib::Headers headers{{"User-Agent", "Marlin Test"}};
        if (!bearer.empty()) headers.emplace("Authorization", "Bearer " + bearer);
        return Convert(client.Get(target.c_str(), headers));
    }
    Reply Get(const std::string& target) const { return Get(target, m_token); }

    Reply PostToken(const std::string& basic,
                    const std::string& target = "/oauth2/token?grant_type=client_credentials",
                    const std::string& body = "") const {
        httplib::Client client("127.0.0.1", m_emulator.Port());
        httplib::Headers headers{{"User-Agent", "Marlin Test"}, {"Authorization", basic}};
        return Convert(
            client.Post(target.c_str(), headers, body, "application/x-www-form-urlencoded;charset=UTF-8"));
    }

    const std::string& Token() const { return m_token; }

    static Reply Convert(const httplib::Result& result) {
        Reply reply;
        if (!result) return reply;
        reply.answered = true;
        reply.status = result->status;
        reply.reason = result->reason;
        reply.body = result->body;
        reply.headers = result->headers;
        return reply;
    }

  private:
    Emulator& m_emulator;
    std::string m_token;
};

// A configuration small enough that whole-corpus expectations are quick to compute.
inline EmulatorConfig SmallConfig() {
    EmulatorConfig config;
    config.seed = 7;
    config.tweetsPerDay = 3000;
    config.now = 1667900000;  // 8 November 2022
    return config;
}

}  // namespace marlin::emulator::testing
