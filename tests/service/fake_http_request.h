#pragma once

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "service/http_request.h"

namespace marlin::testing {

// Answers that no real server gives (an out-of-range rate-limit value, a token of the
// wrong type), served by request objects that share one script.
struct FakeHttpService {
    struct Answer {
        int status = 200;
        std::string statusText = "OK";
        std::string body;
        std::vector<std::pair<std::string, std::string>> headers;
    };
    struct Sent {
        std::string verb;
        std::string url;
        std::vector<std::pair<std::string, std::string>> headers;
        std::string body;
        std::string proxy;  // empty when none was set
    };

    std::deque<Answer> answers;  // one per Send, in order; an empty queue fails the send
    std::vector<Sent> sent;

    static Answer WithLimits(std::string body, std::string remaining, std::string limit, std::string reset) {
        return {200,
                "OK",
                std::move(body),
                {{"x-rate-limit-remaining", std::move(remaining)},
                 {"x-rate-limit-limit", std::move(limit)},
                 {"x-rate-limit-reset", std::move(reset)}}};
    }

    HttpRequestFactory Factory();
};

class FakeHttpRequest : public HttpRequest {
  public:
    explicit FakeHttpRequest(FakeHttpService& service) : m_service(service) {}

    void Open(const std::string& verb, const std::string& url, bool) override {
        m_pending = {verb, url, {}, {}, m_pending.proxy};
    }
    void SetRequestHeader(const std::string& name, const std::string& value) override {
        m_pending.headers.emplace_back(name, value);
    }
    void Send(const std::string& body) override {
        m_pending.body = body;
        m_service.sent.push_back(m_pending);
        m_answer.reset();
        if (m_service.answers.empty()) throw HttpError("no answer scripted");
        m_answer = std::make_unique<FakeHttpService::Answer>(m_service.answers.front());
        m_service.answers.pop_front();
    }
    bool WaitForResponse(int) override { return m_answer != nullptr; }
    int Status() override { return Answer().status; }
    std::string StatusText() override { return Answer().statusText; }
    std::string ResponseText() override { return Answer().body; }
    std::string GetResponseHeader(const std::string& name) override {
        for (const auto& [headerName, value] : Answer().headers)
            if (headerName == name) return value;
        throw HttpError("missing header " + name);
    }
    void Abort() override {}
    void SetProxy(ProxySetting, const std::string& server, const std::string&) override {
        m_pending.proxy = server;
    }
    void SetTimeouts(std::chrono::milliseconds, std::chrono::milliseconds) override {}

  private:
    const FakeHttpService::Answer& Answer() const {
        if (!m_answer) throw HttpError("no response");
        return *m_answer;
    }

    FakeHttpService& m_service;
    FakeHttpService::Sent m_pending;
    std::unique_ptr<FakeHttpService::Answer> m_answer;
};

inline HttpRequestFactory FakeHttpService::Factory() {
    return [this]() -> std::unique_ptr<HttpRequest> { return std::make_unique<FakeHttpRequest>(*this); };
}

}  // namespace marlin::testing
