#pragma once

#include <memory>
#include <string>

#include "service/http_request.h"

namespace marlin::testing {

// A request that hands every call to a real one; a test overrides only the calls through
// which it forces a fault (a refused token, a spoilt page), and the rest — the wait hook
// that lets Cancel reach a request in flight among them — behave as the real request does.
class ForwardingRequest : public HttpRequest {
  public:
    explicit ForwardingRequest(std::unique_ptr<HttpRequest> inner) : m_inner(std::move(inner)) {}

    void Open(const std::string& verb, const std::string& url, bool asynchronous) override {
        m_inner->Open(verb, url, asynchronous);
    }
    void SetRequestHeader(const std::string& name, const std::string& value) override {
        m_inner->SetRequestHeader(name, value);
    }
    void Send(const std::string& body) override { m_inner->Send(body); }
    bool WaitForResponse(int seconds) override { return m_inner->WaitForResponse(seconds); }
    int Status() override { return m_inner->Status(); }
    std::string StatusText() override { return m_inner->StatusText(); }
    std::string ResponseText() override { return m_inner->ResponseText(); }
    std::string GetResponseHeader(const std::string& name) override {
        return m_inner->GetResponseHeader(name);
    }
    void Abort() override { m_inner->Abort(); }
    void SetProxy(ProxySetting setting, const std::string& server, const std::string& bypassList) override {
        m_inner->SetProxy(setting, server, bypassList);
    }
    void SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total) override {
        m_inner->SetTimeouts(connect, total);
    }
    void SetWaitHook(WaitHook hook) override { m_inner->SetWaitHook(std::move(hook)); }

  protected:
    HttpRequest& Inner() { return *m_inner; }

  private:
    std::unique_ptr<HttpRequest> m_inner;
};

}  // namespace marlin::testing
