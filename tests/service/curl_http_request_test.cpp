#include "service/curl_http_request.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <new>

#include "loopback_server.h"

namespace marlin {
namespace {

using namespace std::chrono_literals;
using testing::LoopbackServer;

LoopbackServer::Reply Ok(const std::string& body = "{}") {
    return {
        LoopbackServer::Response("HTTP/1.1 200 OK", {"x-rate-limit-remaining: 179", "X-Custom: a b "}, body)};
}

std::string Head(const std::string& request) {
    return request.substr(0, request.find("\r\n\r\n") + 2);
}

TEST(CurlHttpRequestTest, SendsHeadersInOrderAndReadsStatusBodyAndHeaders) {
    LoopbackServer server([](const std::string&) { return Ok("[1,2]"); });
    CurlHttpRequest request;
    request.Open("GET", server.BaseUrl() + "/1.1/x.json?&count=5", false);
    request.SetRequestHeader("User-Agent", "Marlin Demo");
    request.SetRequestHeader("Authorization", "Bearer abc");
    request.Send();
    EXPECT_TRUE(request.WaitForResponse(5));

    EXPECT_EQ(request.Status(), 200);
    EXPECT_EQ(request.StatusText(), "OK");
    EXPECT_EQ(request.ResponseText(), "[1,2]");
    EXPECT_EQ(request.GetResponseHeader("X-Rate-Limit-Remaining"), "179");
    EXPECT_EQ(request.GetResponseHeader("x-custom"), "a b");
    EXPECT_THROW(request.GetResponseHeader("x-rate-limit-reset"), HttpError);

    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string head = Head(server.Requests()[0]);
    EXPECT_EQ(head.substr(0, head.find("\r\n")), "GET /1.1/x.json?&count=5 HTTP/1.1");
    const size_t agent = head.find("\r\nUser-Agent: Marlin Demo\r\n");
    const size_t authorization = head.find("\r\nAuthorization: Bearer abc\r\n");
    ASSERT_NE(agent, std::string::npos);
    ASSERT_NE(authorization, std::string::npos);
    EXPECT_LT(agent, authorization);
    EXPECT_EQ(head.find("Accept"), std::string::npos);  // nothing the caller did not set
}

TEST(CurlHttpRequestTest, KeepsTheReasonPhraseAndSendsEmptyHeaderValues) {
    LoopbackServer server([](const std::string&) {
        return LoopbackServer::Reply{LoopbackServer::Response("HTTP/1.1 429 Too Many Requests", {}, "{}")};
    });
    CurlHttpRequest request;
    request.Open("GET", server.BaseUrl() + "/", false);
    request.SetRequestHeader("User-Agent", "");
    request.SetRequestHeader("Authorization", "Bearer ");
    request.Send();
    EXPECT_EQ(request.Status(), 429);
    EXPECT_EQ(request.StatusText(), "Too Many Requests");
    EXPECT_NE(Head(server.Requests()[0]).find("\r\nUser-Agent:\r\nAuthorization: Bearer \r\n"),
              std::string::npos);
}

TEST(CurlHttpRequestTest, PostsTheBodyAsynchronouslyAndWaitsForTheAnswer) {
    LoopbackServer server([](const std::string&) { return Ok(); });
    CurlHttpRequest request;
    request.Open("POST", server.BaseUrl() + "/oauth2/token?grant_type=client_credentials", true);
    request.SetRequestHeader("Content-Type", "application/x-www-form-urlencoded;charset=UTF-8");
    request.SetRequestHeader("Content-Length", "29");
    request.Send("grant_type=client_credentials");
    EXPECT_TRUE(request.WaitForResponse(5));
    EXPECT_EQ(request.Status(), 200);

    const std::string sent = server.Requests().at(0);
    EXPECT_EQ(sent.substr(0, sent.find("\r\n")), "POST /oauth2/token?grant_type=client_credentials HTTP/1.1");
    EXPECT_EQ(sent.substr(sent.find("\r\n\r\n") + 4), "grant_type=client_credentials");
    // One length header, the one that matches the body.
    const size_t first = sent.find("Content-Length: 29\r\n");
    EXPECT_NE(first, std::string::npos);
    EXPECT_EQ(sent.find("Content-Length", first + 1), std::string::npos);
}

TEST(CurlHttpRequestTest, AnUnfinishedAsynchronousResponseCannotBeRead) {
    LoopbackServer server([](const std::string&) { return LoopbackServer::Reply{Ok().bytes, 3s}; });
    CurlHttpRequest request;
    request.Open("POST", server.BaseUrl() + "/slow", true);
    request.Send("x");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(request.WaitForResponse(1));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2500ms);
    EXPECT_THROW(request.Status(), HttpError);
    request.Abort();
}

TEST(CurlHttpRequestTest, StallsDropsAndRefusalsAreExchangeErrors) {
    LoopbackServer stalling([](const std::string&) { return LoopbackServer::Reply{Ok().bytes, 5s}; });
    CurlHttpRequest timed({.connectTimeout = 1000ms, .totalTimeout = 700ms, .caFile = ""});
    timed.Open("GET", stalling.BaseUrl() + "/", false);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_THROW(timed.Send(), HttpError);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
    EXPECT_THROW(timed.Status(), HttpError);

    int answered = 0;
    LoopbackServer dropping(
        [&](const std::string&) { return ++answered == 1 ? LoopbackServer::Reply{} : Ok("second"); });
    CurlHttpRequest dropped;
    dropped.Open("GET", dropping.BaseUrl() + "/", false);
    EXPECT_THROW(dropped.Send(), HttpError);
    // Sending again repeats the prepared request.
    dropped.Send();
    EXPECT_EQ(dropped.ResponseText(), "second");
    EXPECT_EQ(dropping.Requests().size(), 2u);

    int closedPort = 0;
    {
        LoopbackServer gone([](const std::string&) { return Ok(); });
        closedPort = gone.Port();
    }
    CurlHttpRequest refused;
    refused.Open("GET", "http://127.0.0.1:" + std::to_string(closedPort) + "/", false);
    EXPECT_THROW(refused.Send(), HttpError);
}

TEST(CurlHttpRequestTest, GoesThroughTheNamedProxyOnlyAndIgnoresTheEnvironment) {
    LoopbackServer proxy([](const std::string&) { return Ok("via proxy"); });
    LoopbackServer origin([](const std::string&) { return Ok("direct"); });

    CurlHttpRequest proxied;
    proxied.Open("GET", "http://api.example.invalid/1.1/search/tweets.json?q=a", false);
    proxied.SetProxy(ProxySetting::Proxy, proxy.HostPort(), "");
    proxied.Send();
    EXPECT_EQ(proxied.ResponseText(), "via proxy");
    const std::string sent = proxy.Requests().at(0);
    EXPECT_EQ(sent.substr(0, sent.find("\r\n")),
              "GET http://api.example.invalid/1.1/search/tweets.json?q=a HTTP/1.1");

    ::setenv("http_proxy", proxy.BaseUrl().c_str(), 1);
    CurlHttpRequest direct;
    direct.Open("GET", origin.BaseUrl() + "/", false);
    direct.Send();
    ::unsetenv("http_proxy");
    EXPECT_EQ(direct.ResponseText(), "direct");
    EXPECT_EQ(proxy.Requests().size(), 1u);
}

// The text of the HttpError that Send throws, or "" when it throws none.
std::string SendError(CurlHttpRequest& request) {
    try {
        request.Send();
    } catch (const HttpError& error) {
        return error.what();
    }
    return "";
}

// A body past the limit ends the exchange like a dropped connection, whether its length
// was announced or not; what arrived is gone, and the next Send works.
TEST(CurlHttpRequestTest, AResponseLargerThanTheLimitIsAnErrorOfTheExchange) {
    const std::string body(5000, 'x');
    const std::string unannounced = "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + body;
    for (const std::string& bytes : {Ok(body).bytes, unannounced}) {
        LoopbackServer server([&](const std::string&) { return LoopbackServer::Reply{bytes}; });
        CurlHttpRequest request;
        request.Open("GET", server.BaseUrl() + "/", false);
        request.SetMaxResponseBytes(4096);
        EXPECT_EQ(SendError(request), "The response is larger than the limit of 4096 bytes");
        EXPECT_THROW(request.ResponseText(), HttpError);

        request.SetMaxResponseBytes(5000);
        EXPECT_EQ(SendError(request), "");
        EXPECT_EQ(request.ResponseText(), body);
    }
    EXPECT_EQ(CurlRequestOptions{}.maxResponseBytes, 64u << 20);
}

// Whatever is thrown inside a transfer stays on this side of libcurl: the exchange ends
// with an HttpError that names it, and the same request works the next time.
TEST(CurlHttpRequestTest, AnExceptionInsideTheTransferEndsOnlyThatExchange) {
    LoopbackServer server([](const std::string&) { return Ok("[1,2]"); });
    const std::function<void()> throwers[] = {[] { throw std::bad_alloc(); }, [] { throw 42; }};
    const char* reasons[] = {"The response could not be received: std::bad_alloc",
                             "The response could not be received"};
    for (int i = 0; i < 2; ++i) {
        CurlHttpRequest request;
        request.Open("GET", server.BaseUrl() + "/", false);
        request.SetReceiveHook([&, i](std::size_t received) {
            if (received > 20) throwers[i]();
        });
        EXPECT_EQ(SendError(request), reasons[i]);
        EXPECT_THROW(request.Status(), HttpError);

        request.SetReceiveHook(nullptr);
        EXPECT_EQ(SendError(request), "");
        EXPECT_EQ(request.Status(), 200);
        EXPECT_EQ(request.ResponseText(), "[1,2]");
    }
}

TEST(CurlHttpRequestTest, ReadingBeforeSendingIsAnError) {
    CurlHttpRequest request;
    EXPECT_THROW(request.Send(), HttpError);
    request.Open("GET", "http://127.0.0.1:1/", false);
    EXPECT_THROW(request.Status(), HttpError);
    EXPECT_THROW(request.ResponseText(), HttpError);
}

}  // namespace
}  // namespace marlin
