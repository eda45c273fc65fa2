#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "service/http_request.h"

struct curl_slist;

namespace marlin {

// How the libcurl requests of one factory behave. Certificate verification cannot be
// switched off; a test server with a certificate of its own is trusted by naming the
// file that holds its CA.
struct CurlRequestOptions {
    std::chrono::milliseconds connectTimeout{15000};
    std::chrono::milliseconds totalTimeout{60000};
    std::string caFile;  // extra trusted CA bundle (PEM); empty for the system's store
};

// HttpRequest over libcurl. Always HTTP/1.1, so every response carries the reason
// phrase that becomes the status text. Proxies from the environment are ignored: only
// SetProxy routes a request through one. The transfer runs on the calling thread
// inside Send (synchronous) or WaitForResponse (asynchronous).
class CurlHttpRequest : public HttpRequest {
  public:
    explicit CurlHttpRequest(const CurlRequestOptions& options = {});
    ~CurlHttpRequest() override;
    CurlHttpRequest(const CurlHttpRequest&) = delete;
    CurlHttpRequest& operator=(const CurlHttpRequest&) = delete;

    // A factory whose every request uses these options.
    static HttpRequestFactory Factory(const CurlRequestOptions& options = {});

    void Open(const std::string& verb, const std::string& url, bool asynchronous) override;
    void SetRequestHeader(const std::string& name, const std::string& value) override;
    void Send(const std::string& body = {}) override;
    bool WaitForResponse(int seconds) override;
    int Status() override;
    std::string StatusText() override;
    std::string ResponseText() override;
    std::string GetResponseHeader(const std::string& name) override;
    void Abort() override;
    void SetProxy(ProxySetting setting, const std::string& server, const std::string& bypassList) override;
    void SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total) override;

  private:
    using Clock = std::chrono::steady_clock;
    static constexpr int kHookStepMs = 50;

    void Configure(const std::string& body);
    void BuildHeaderList();
    // Runs the transfer until it ends or the deadline passes; true when it ended.
    bool Drive(const Clock::time_point* deadline);
    void Finish(int curlResult);
    void RequireResponse() const;
    void ResetResponse();
    void OnHeaderLine(std::string line);

    static size_t WriteBody(char* data, size_t size, size_t count, void* self);
    static size_t WriteHeader(char* data, size_t size, size_t count, void* self);

    CurlRequestOptions m_options;
    void* m_easy = nullptr;   // CURL*, kept opaque so users need not include curl.h
    void* m_multi = nullptr;  // CURLM*
    curl_slist* m_headerList = nullptr;
    char m_errorText[256] = {};

    std::string m_verb;
    std::string m_url;
    bool m_asynchronous = false;
    bool m_opened = false;
    std::vector<std::pair<std::string, std::string>> m_requestHeaders;
    ProxySetting m_proxySetting = ProxySetting::Default;
    std::string m_proxyServer;
    std::string m_bypassList;

    bool m_inFlight = false;
    bool m_complete = false;
    std::string m_failure;  // why the last transfer failed, empty when it did not
    int m_status = 0;
    std::string m_statusText;
    std::vector<std::pair<std::string, std::string>> m_responseHeaders;
    std::string m_body;
};

}  // namespace marlin
