#include "foundation/system/TEURLUnshortener.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <future>
#include <string>
#include <thread>

namespace folio {

namespace {

// A loopback HTTP server for the length of one test: "/short" redirects to
// "/final", which answers 200. It counts the requests it serves.
class RedirectingServer {
public:
    RedirectingServer()
    {
        m_socket = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(m_socket, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(m_socket, 8) != 0
            || getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~RedirectingServer()
    {
        shutdown(m_socket, SHUT_RDWR);
        close(m_socket);
        if (m_thread.joinable())
            m_thread.join();
    }

    std::string base() const { return "http://127.0.0.1:" + std::to_string(m_port); }
    int requests() const { return m_requests; }

private:
    void serve()
    {
        for (;;) {
            int client = accept(m_socket, nullptr, nullptr);
            if (client < 0)
                return;
            char buffer[4096];
            ssize_t read = recv(client, buffer, sizeof buffer - 1, 0);
            std::string request(buffer, read > 0 ? std::size_t(read) : 0);
            ++m_requests;
            std::string response = request.find(" /short ") != std::string::npos
                ? "HTTP/1.1 301 Moved Permanently\r\nLocation: " + base() + "/final\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"
                : std::string("HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            send(client, response.data(), response.size(), MSG_NOSIGNAL);
            close(client);
        }
    }

    int m_socket = -1;
    int m_port = 0;
    std::atomic<int> m_requests{0};
    std::thread m_thread;
};

std::optional<std::string> unshorten(const std::string& url)
{
    std::promise<std::optional<std::string>> answer;
    TEURLUnshortener::unshortenWithCompletion(url, [&](std::optional<std::string> result) { answer.set_value(result); });
    return answer.get_future().get();
}

} // namespace

TEST(TEURLUnshortener, FollowsRedirectsAndRemembersTheAnswer)
{
    RedirectingServer server;
    std::optional<std::string> resolved = unshorten(server.base() + "/short");
    EXPECT_EQ(resolved, server.base() + "/final");
    int served = server.requests();
    EXPECT_EQ(served, 2);
    EXPECT_EQ(unshorten(server.base() + "/short"), resolved);
    EXPECT_EQ(server.requests(), served);
}

TEST(TEURLUnshortener, AFailedRequestAnswersNothing)
{
    int port;
    {
        RedirectingServer closed;
        port = std::stoi(closed.base().substr(closed.base().rfind(':') + 1));
    }
    EXPECT_EQ(unshorten("127.0.0.1:" + std::to_string(port) + "/short"), std::nullopt);
}

} // namespace folio
