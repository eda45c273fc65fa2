#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
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
    // A 200-tweet page is about 1 MB; a body beyond this is no answer of the service.
    static constexpr std::size_t kMaxResponseBytes = std::size_t{64} << 20;

    std::chrono::milliseconds connectTimeout{15000};
    std::chrono::milliseconds totalTimeout{60000};
    std::string caFile;  // extra trusted CA bundle (PEM); empty for the system's store
    // A response whose body (or whose header lines together) would grow past this many
    // bytes ends as an error of the exchange, and what arrived of it is freed.
    std::size_t maxResponseBytes = kMaxResponseBytes;
};

// HttpRequest over libcurl. Always HTTP/1.1, so every response carries the reason
// phrase that becomes the status text. Proxies from the environment are ignored: only
// SetProxy routes a request through one. The transfer runs on the calling thread
// inside Send (synchronous) or WaitForResponse (asynchronous).
//
// No exception ever crosses libcurl: whatever fails inside its callbacks (memory, the
// size limit, the receive hook) is recorded, the transfer is stopped, and the exchange
// ends with that reason as an HttpError. The request stays usable for the next Send.
class CurlHttpRequest : public HttpRequest {
  public:
    // Called, inside the transfer, with the bytes of the response received so far (header
    // lines and body) each time a piece arrives. Whatever it throws ends the exchange.
    using ReceiveHook = std::function<void(std::size_t receivedBytes)>;

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

    // The size limit of the responses of the next Send.
    void SetMaxResponseBytes(std::size_t bytes) { m_options.maxResponseBytes = bytes; }
    void SetReceiveHook(ReceiveHook hook) { m_receiveHook = std::move(hook); }

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
    void ReleaseResponse() noexcept;
    void OnHeaderLine(std::string line);
    // The callbacks' work; each returns what libcurl expects, 0 to stop the transfer.
    std::size_t TakeBody(const char* data, std::size_t bytes) noexcept;
    std::size_t TakeHeader(const char* data, std::size_t bytes) noexcept;
    // What both callbacks share: the size cap on what is held so far, the progress mark,
    // and no exception crossing into libcurl. `keep` stores the bytes.
    template <typename Keep>
    std::size_t Take(std::size_t bytes, std::size_t held, Keep&& keep) noexcept;
    void NoteReceived(std::size_t bytes);
    void StopTransfer(const char* reason, const char* detail = "") noexcept;
    void StopForSize() noexcept;

    static size_t WriteBody(char* data, size_t size, size_t count, void* self);
    static size_t WriteHeader(char* data, size_t size, size_t count, void* self);

    CurlRequestOptions m_options;
    void* m_easy = nullptr;   // CURL*, kept opaque so users need not include curl.h
    void* m_multi = nullptr;  // CURLM*
    curl_slist* m_headerList = nullptr;
    char m_errorText[256] = {};
    // Why a callback stopped the transfer, empty while none did. A fixed buffer: writing
    // it must not fail where a failure cannot be passed on.
    char m_stopReason[256] = {};
    ReceiveHook m_receiveHook;

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
    std::size_t m_headerBytes = 0;
    std::string m_body;
};

}  // namespace marlin
