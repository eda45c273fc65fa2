#include "service/curl_http_request.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <mutex>

#include "core/page_check.h"

namespace marlin {

namespace {

void InitialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

CURL* Easy(void* handle) {
    return static_cast<CURL*>(handle);
}
CURLM* Multi(void* handle) {
    return static_cast<CURLM*>(handle);
}

long Milliseconds(std::chrono::milliseconds value) {
    return static_cast<long>(value.count());
}

}  // namespace

CurlHttpRequest::CurlHttpRequest(const CurlRequestOptions& options) : m_options(options) {
    InitialiseCurlOnce();
    m_easy = curl_easy_init();
    m_multi = curl_multi_init();
    if (!m_easy || !m_multi) throw HttpError("The HTTP library could not create a request");
}

CurlHttpRequest::~CurlHttpRequest() {
    Abort();
    if (m_headerList) curl_slist_free_all(m_headerList);
    curl_multi_cleanup(Multi(m_multi));
    curl_easy_cleanup(Easy(m_easy));
}

HttpRequestFactory CurlHttpRequest::Factory(const CurlRequestOptions& options) {
    return [options]() -> std::unique_ptr<HttpRequest> { return std::make_unique<CurlHttpRequest>(options); };
}

void CurlHttpRequest::Open(const std::string& verb, const std::string& url, bool asynchronous) {
    Abort();
    ResetResponse();
    m_verb = verb;
    m_url = url;
    m_asynchronous = asynchronous;
    m_requestHeaders.clear();
    m_opened = true;
}

void CurlHttpRequest::SetRequestHeader(const std::string& name, const std::string& value) {
    if (!m_opened) throw HttpError("SetRequestHeader before Open");
    m_requestHeaders.emplace_back(name, value);
}

void CurlHttpRequest::Send(const std::string& body) {
    if (!m_opened) throw HttpError("Send before Open");
    Abort();
    ResetResponse();
    Configure(body);
    if (curl_multi_add_handle(Multi(m_multi), Easy(m_easy)) != CURLM_OK)
        throw HttpError("The HTTP library could not start the request");
    m_inFlight = true;
    if (m_asynchronous) {
        int running = 0;
        curl_multi_perform(Multi(m_multi), &running);
        return;
    }
    Drive(nullptr);
    RequireResponse();
}

bool CurlHttpRequest::WaitForResponse(int seconds) {
    if (m_inFlight) {
        const auto deadline = Clock::now() + std::chrono::seconds(std::max(seconds, 0));
        Drive(&deadline);
    }
    return m_complete;
}

int CurlHttpRequest::Status() {
    RequireResponse();
    return m_status;
}

std::string CurlHttpRequest::StatusText() {
    RequireResponse();
    return m_statusText;
}

std::string CurlHttpRequest::ResponseText() {
    RequireResponse();
    // A copy with room behind it, so that the page's JSON readers need not copy it again.
    std::string text;
    text.reserve(m_body.size() + PageCheck::kReadPastEnd);
    text.append(m_body);
    return text;
}

std::string CurlHttpRequest::GetResponseHeader(const std::string& name) {
    RequireResponse();
    for (const auto& [headerName, value] : m_responseHeaders)
        if (SameNameIgnoringCase(headerName, name)) return value;
    throw HttpError("The requested header was not found: " + name);
}

void CurlHttpRequest::Abort() {
    if (!m_inFlight) return;
    curl_multi_remove_handle(Multi(m_multi), Easy(m_easy));
    m_inFlight = false;
    m_complete = false;
    if (m_failure.empty()) m_failure = "The request was aborted";
}

void CurlHttpRequest::SetProxy(ProxySetting setting, const std::string& server,
                               const std::string& bypassList) {
    m_proxySetting = setting;
    m_proxyServer = server;
    m_bypassList = bypassList;
}

void CurlHttpRequest::SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total) {
    m_options.connectTimeout = connect;
    m_options.totalTimeout = total;
}

void CurlHttpRequest::Configure(const std::string& body) {
    CURL* easy = Easy(m_easy);
    curl_easy_reset(easy);
    m_errorText[0] = '\0';
    curl_easy_setopt(easy, CURLOPT_URL, m_url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, m_errorText);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, Milliseconds(m_options.connectTimeout));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, Milliseconds(m_options.totalTimeout));
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    // An announced length beyond the limit is refused before any of the body arrives.
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(m_options.maxResponseBytes));
    if (!m_options.caFile.empty()) curl_easy_setopt(easy, CURLOPT_CAINFO, m_options.caFile.c_str());

    // An empty proxy text stops libcurl from picking one up from the environment.
    const bool viaProxy = m_proxySetting == ProxySetting::Proxy && !m_proxyServer.empty();
    curl_easy_setopt(easy, CURLOPT_PROXY, viaProxy ? m_proxyServer.c_str() : "");
    curl_easy_setopt(easy, CURLOPT_NOPROXY, viaProxy ? m_bypassList.c_str() : "");
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);

    if (m_verb == "GET") {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    } else if (m_verb == "POST") {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
        curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, body.c_str());
    } else {
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, m_verb.c_str());
        if (!body.empty()) {
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
            curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, body.c_str());
        }
    }

    BuildHeaderList();
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, m_headerList);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlHttpRequest::WriteBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlHttpRequest::WriteHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
}

void CurlHttpRequest::BuildHeaderList() {
    if (m_headerList) curl_slist_free_all(m_headerList);
    m_headerList = nullptr;
    bool acceptSet = false;
    bool expectSet = false;
    for (const auto& [name, value] : m_requestHeaders) {
        // libcurl drops a header written "Name:" with nothing after it; "Name;" sends it empty.
        const std::string line = value.empty() ? name + ";" : name + ": " + value;
        m_headerList = curl_slist_append(m_headerList, line.c_str());
        acceptSet = acceptSet || SameNameIgnoringCase(name, "Accept");
        expectSet = expectSet || SameNameIgnoringCase(name, "Expect");
    }
    // The service sees only the headers the caller set (plus Host and the body's length).
    if (!acceptSet) m_headerList = curl_slist_append(m_headerList, "Accept:");
    if (!expectSet) m_headerList = curl_slist_append(m_headerList, "Expect:");
}

bool CurlHttpRequest::Drive(const Clock::time_point* deadline) {
    CURLM* multi = Multi(m_multi);
    while (m_inFlight) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            m_failure = "The HTTP library failed while transferring";
            Abort();
            break;
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued))
            if (message->msg == CURLMSG_DONE) Finish(message->data.result);
        if (!m_inFlight) break;

        // With a wait hook the caller's window runs between polls, so poll in short steps.
        int waitMs = m_waitHook ? kHookStepMs : 1000;
        if (deadline) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now());
            if (left.count() <= 0) return false;
            waitMs = static_cast<int>(std::min<long long>(left.count(), waitMs));
        }
        curl_multi_poll(multi, nullptr, 0, waitMs, nullptr);
        if (m_waitHook && !m_waitHook()) {
            m_failure = "The request was cancelled";
            Abort();
            throw RequestAborted(m_failure);
        }
    }
    return m_complete;
}

void CurlHttpRequest::Finish(int curlResult) {
    curl_multi_remove_handle(Multi(m_multi), Easy(m_easy));
    m_inFlight = false;
    const auto result = static_cast<CURLcode>(curlResult);
    m_complete = result == CURLE_OK && m_stopReason[0] == '\0';
    if (m_complete) return;
    if (result == CURLE_FILESIZE_EXCEEDED) StopForSize();
    if (m_stopReason[0] != '\0') {
        m_failure = m_stopReason;
    } else {
        m_failure = m_errorText[0] ? std::string(m_errorText) : std::string(curl_easy_strerror(result));
    }
    ReleaseResponse();
}

void CurlHttpRequest::RequireResponse() const {
    if (m_complete) return;
    if (!m_failure.empty()) throw HttpError(m_failure);
    throw HttpError(m_inFlight ? "The response has not arrived yet" : "The request has not been sent");
}

void CurlHttpRequest::ResetResponse() {
    m_complete = false;
    m_failure.clear();
    m_stopReason[0] = '\0';
    m_status = 0;
    m_statusText.clear();
    ReleaseResponse();
}

// Gives back the memory of what arrived, not just its contents: a failed answer may have
// been many megabytes.
void CurlHttpRequest::ReleaseResponse() noexcept {
    std::vector<std::pair<std::string, std::string>>().swap(m_responseHeaders);
    std::string().swap(m_body);
    m_headerBytes = 0;
}

void CurlHttpRequest::StopTransfer(const char* reason, const char* detail) noexcept {
    if (m_stopReason[0] != '\0') return;  // the first reason is the one that counts
    std::snprintf(m_stopReason, sizeof m_stopReason, "%s%s", reason, detail);
    ReleaseResponse();
}

void CurlHttpRequest::StopForSize() noexcept {
    char limit[32];
    std::snprintf(limit, sizeof limit, "%zu bytes", m_options.maxResponseBytes);
    StopTransfer("The response is larger than the limit of ", limit);
}

void CurlHttpRequest::NoteReceived(std::size_t bytes) {
    if (m_receiveHook) m_receiveHook(m_headerBytes + m_body.size() + bytes);
}

void CurlHttpRequest::OnHeaderLine(std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    if (line.rfind("HTTP/", 0) == 0) {
        // A new status line starts a new response (an interim 100 Continue came before).
        m_responseHeaders.clear();
        const auto codeStart = line.find(' ');
        const auto textStart = codeStart == std::string::npos ? codeStart : line.find(' ', codeStart + 1);
        m_status = codeStart == std::string::npos ? 0 : std::atoi(line.c_str() + codeStart + 1);
        m_statusText = textStart == std::string::npos ? std::string() : line.substr(textStart + 1);
        return;
    }
    const auto colon = line.find(':');
    if (colon == std::string::npos) return;
    m_responseHeaders.emplace_back(line.substr(0, colon), Trim(line.substr(colon + 1)));
}

size_t CurlHttpRequest::WriteBody(char* data, size_t size, size_t count, void* self) {
    return static_cast<CurlHttpRequest*>(self)->TakeBody(data, size * count);
}

size_t CurlHttpRequest::WriteHeader(char* data, size_t size, size_t count, void* self) {
    return static_cast<CurlHttpRequest*>(self)->TakeHeader(data, size * count);
}

// Returning fewer bytes than offered makes libcurl end the transfer with a write error,
// which Finish replaces by the recorded reason.
template <typename Keep>
std::size_t CurlHttpRequest::Take(std::size_t bytes, std::size_t held, Keep&& keep) noexcept {
    try {
        if (bytes > m_options.maxResponseBytes - std::min(held, m_options.maxResponseBytes)) {
            StopForSize();
            return 0;
        }
        NoteReceived(bytes);
        keep();
        return bytes;
    } catch (const std::exception& error) {
        StopTransfer("The response could not be received: ", error.what());
    } catch (...) {
        StopTransfer("The response could not be received");
    }
    return 0;
}

std::size_t CurlHttpRequest::TakeBody(const char* data, std::size_t bytes) noexcept {
    return Take(bytes, m_body.size(), [&] { m_body.append(data, bytes); });
}

std::size_t CurlHttpRequest::TakeHeader(const char* data, std::size_t bytes) noexcept {
    return Take(bytes, m_headerBytes, [&] {
        m_headerBytes += bytes;
        OnHeaderLine(std::string(data, bytes));
    });
}

}  // namespace marlin
