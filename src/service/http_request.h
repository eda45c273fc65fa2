#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace marlin {

// Anything that goes wrong in an HTTP exchange: no connection, name resolution, a
// secure-channel failure, a time-out, a response not complete yet, a missing response
// header. The service client turns it into its retry question or passes it on.
class HttpError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The caller's wait hook asked to stop: the request was dropped on purpose, which is no
// fault of the exchange to ask about.
class RequestAborted : public HttpError {
  public:
    using HttpError::HttpError;
};

// The proxy settings a request accepts; only "named proxy" is used by the client.
enum class ProxySetting { Default = 0, Direct = 1, Proxy = 2 };

// One HTTP request and its response, modelled on the desktop's request object: the
// caller opens it, sets headers in order, sends it, then reads status, body and
// headers. Every operation that cannot do its job throws HttpError.
class HttpRequest {
  public:
    virtual ~HttpRequest() = default;

    // Prepares a request. An asynchronous request returns from Send at once and is
    // completed by WaitForResponse; a synchronous one completes inside Send.
    virtual void Open(const std::string& verb, const std::string& url, bool asynchronous) = 0;

    // Adds a header; headers go out in the order they were set.
    virtual void SetRequestHeader(const std::string& name, const std::string& value) = 0;

    // Sends the request with the given body (none when empty). Sending again repeats
    // the whole exchange with the same prepared request.
    virtual void Send(const std::string& body = {}) = 0;

    // Waits at most this long for an asynchronous response; true when it has arrived.
    // Returns at once for a synchronous request.
    virtual bool WaitForResponse(int seconds) = 0;

    // The response; each throws HttpError while no complete response is there.
    virtual int Status() = 0;
    virtual std::string StatusText() = 0;
    virtual std::string ResponseText() = 0;
    // Looked up by case-insensitive name; a header the response lacks throws HttpError.
    virtual std::string GetResponseHeader(const std::string& name) = 0;

    // Cancels a request in flight; harmless when there is none.
    virtual void Abort() = 0;

    // Routes the request through a proxy given as host:port, except for the hosts in
    // the bypass list (separated by commas, may be empty).
    virtual void SetProxy(ProxySetting setting, const std::string& server, const std::string& bypassList) = 0;

    // Gives up connecting after `connect` and the whole exchange after `total`;
    // running into either is an HttpError.
    virtual void SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total) = 0;

    // Called again and again while the request waits for the service, at least ten times a
    // second, so the caller's window keeps answering. Returning false drops the request:
    // the waiting operation throws RequestAborted. A request that never waits may ignore it.
    using WaitHook = std::function<bool()>;
    virtual void SetWaitHook(WaitHook hook) { m_waitHook = std::move(hook); }

  protected:
    WaitHook m_waitHook;
};

// Makes a fresh request object for every exchange.
using HttpRequestFactory = std::function<std::unique_ptr<HttpRequest>()>;

}  // namespace marlin
