#include "loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace marlin::testing {

LoopbackServer::LoopbackServer(Handler handler) : m_handler(std::move(handler)) {
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listener < 0) throw std::runtime_error("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_listener, 8) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot listen on loopback");
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer() {
    m_stopping = true;
    m_stopSignal.notify_all();
    m_thread.join();
    ::close(m_listener);
}

std::vector<std::string> LoopbackServer::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::string LoopbackServer::Response(const std::string& statusLine, const std::vector<std::string>& headers,
                                     const std::string& body) {
    std::string out = statusLine + "\r\n";
    for (const auto& header : headers) out += header + "\r\n";
    out += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    return out;
}

void LoopbackServer::Serve() {
    while (!m_stopping) {
        pollfd waiting{m_listener, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0) continue;
        const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        Answer(connection);
        ::close(connection);
    }
}

void LoopbackServer::Answer(int connection) {
    const std::string request = ReadRequest(connection);
    if (request.empty()) return;
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
    }
    const Reply reply = m_handler(request);
    if (reply.delay.count() > 0) {
        std::unique_lock lock(m_mutex);
        m_stopSignal.wait_for(lock, reply.delay, [this] { return m_stopping.load(); });
    }
    size_t sent = 0;
    while (sent < reply.bytes.size()) {
        const ssize_t n =
            ::send(connection, reply.bytes.data() + sent, reply.bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

std::string LoopbackServer::ReadRequest(int connection) {
    std::string data;
    char buffer[4096];
    size_t headEnd = std::string::npos;
    size_t wanted = 0;
    while (!m_stopping) {
        if (headEnd != std::string::npos && data.size() >= wanted) return data;
        pollfd readable{connection, POLLIN, 0};
        if (::poll(&readable, 1, 50) <= 0) continue;
        const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0) return data;
        data.append(buffer, static_cast<size_t>(n));
        if (headEnd == std::string::npos && (headEnd = data.find("\r\n\r\n")) != std::string::npos) {
            size_t bodyLength = 0;
            const size_t mark = data.find("Content-Length:");
            if (mark != std::string::npos && mark < headEnd)
                bodyLength = std::strtoul(data.c_str() + mark + 15, nullptr, 10);
            wanted = headEnd + 4 + bodyLength;
        }
    }
    return data;
}

}  // namespace marlin::testing
