#pragma once

#include <memory>
#include <string>

#include "service/http_request.h"

namespace marlin::fuzz {

// A service that refuses every request with 401, so the commands a file drives reach the
// network step and go past it without a question, quickly and without a network.
class RefusingHttpRequest : public HttpRequest {
  public:
    static HttpRequestFactory Factory() {
        return [] { return std::make_unique<RefusingHttpRequest>(); };
    }

    void Open(const std::string&, const std::string&, bool) override {}
    void SetRequestHeader(const std::string&, const std::string&) override {}
    void Send(const std::string&) override {}
    bool WaitForResponse(int) override { return true; }
    int Status() override { return 401; }
    std::string StatusText() override { return "Unauthorized"; }
    std::string ResponseText() override {
        return R"({"errors":[{"code":89,"message":"Invalid or expired token."}]})";
    }
    std::string GetResponseHeader(const std::string& name) override { throw HttpError("no header " + name); }
    void Abort() override {}
    void SetProxy(ProxySetting, const std::string&, const std::string&) override {}
    void SetTimeouts(std::chrono::milliseconds, std::chrono::milliseconds) override {}
};

}  // namespace marlin::fuzz
