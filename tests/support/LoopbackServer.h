#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace folio::testing_support {

// An HTTP server on a free loopback port that answers every request with a
// small page and counts the connections it accepted, so that a test can
// tell whether a page reached out at all. Given pages (path to HTML) are
// served as HTML at their paths.
class LoopbackServer {
public:
    explicit LoopbackServer(std::map<std::string, std::string> pages = {}) : m_pages(std::move(pages))
    {
        m_socket = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_socket < 0 || bind(m_socket, reinterpret_cast<sockaddr*>(&address), length) != 0
            || listen(m_socket, 16) != 0 || getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }

    ~LoopbackServer()
    {
        m_stopping = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_socket >= 0)
            close(m_socket);
    }

    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    bool isListening() const { return m_port != 0; }
    int port() const { return m_port; }
    std::string url(const std::string& path = "/") const
    {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }
    int connectionCount() const { return m_connections; }
    // The paths asked for so far, in order, joined by blanks.
    std::string requestedPaths() const
    {
        std::lock_guard<std::mutex> lock(m_pathsLock);
        return m_paths;
    }

private:
    void serve()
    {
        while (!m_stopping) {
            pollfd waiting{m_socket, POLLIN, 0};
            if (poll(&waiting, 1, 50) <= 0)
                continue;
            int connection = accept(m_socket, nullptr, nullptr);
            if (connection < 0)
                continue;
            ++m_connections;
            char request[4096];
            ssize_t received = recv(connection, request, sizeof request, 0);
            std::string line(request, received > 0 ? static_cast<std::size_t>(received) : 0);
            std::size_t start = line.find(' ');
            std::size_t end = start == std::string::npos ? start : line.find(' ', start + 1);
            std::string path = end == std::string::npos ? std::string() : line.substr(start + 1, end - start - 1);
            {
                std::lock_guard<std::mutex> lock(m_pathsLock);
                m_paths += (m_paths.empty() ? "" : " ") + path;
            }
            auto page = m_pages.find(path);
            std::string answer = page == m_pages.end()
                ? std::string("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n"
                              "Access-Control-Allow-Origin: *\r\nContent-Length: 7\r\n\r\nleaked!")
                : "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: "
                    + std::to_string(page->second.size()) + "\r\n\r\n" + page->second;
            (void)!send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
            close(connection);
        }
    }

    const std::map<std::string, std::string> m_pages;
    int m_socket = -1;
    int m_port = 0;
    std::atomic<int> m_connections{0};
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_pathsLock;
    std::string m_paths;
    std::thread m_thread;
};

} // namespace folio::testing_support
