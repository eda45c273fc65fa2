#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace marlin::testing {

// A bare HTTP/1.1 listener on loopback that answers every request with raw bytes a test
// chooses. It shows exactly what went over the wire (request line, header order, body),
// acts as a proxy when a client is pointed at it, and can stall or drop a connection,
// which a full server would not let a test do byte for byte.
class LoopbackServer {
  public:
    struct Reply {
        std::string bytes;                   // the whole response; empty drops the connection
        std::chrono::milliseconds delay{0};  // wait this long before answering
    };
    using Handler = std::function<Reply(const std::string& request)>;

    explicit LoopbackServer(Handler handler);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int Port() const { return m_port; }
    std::string HostPort() const { return "127.0.0.1:" + std::to_string(m_port); }
    std::string BaseUrl() const { return "http://" + HostPort(); }
    // Every request received so far, head and body as sent.
    std::vector<std::string> Requests() const;

    // A complete response with the given status line text, headers and body.
    static std::string Response(const std::string& statusLine, const std::vector<std::string>& headers,
                                const std::string& body);

  private:
    void Serve();
    void Answer(int connection);
    std::string ReadRequest(int connection);

    Handler m_handler;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_stopSignal;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};

}  // namespace marlin::testing
