// The desktop's transport against a server of a few lines on 127.0.0.1: answers as they came,
// a POST's body delivered whole, an answer beyond the limit and a refused connection answered
// with status 0 and a line, and a transport that goes while a request hangs.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "framework/http_transport.h"

namespace quillomar {
namespace {

// Answers each connection with `reply(request)`; never answers while `hang` is set.
class tiny_server {
public:
    std::string answer;
    std::string last_request;
    std::atomic<bool> hang{false};

    tiny_server() {
        socket_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        bind(socket_, reinterpret_cast<sockaddr*>(&a), size);
        getsockname(socket_, reinterpret_cast<sockaddr*>(&a), &size);
        port = ntohs(a.sin_port);
        listen(socket_, 4);
    }
    ~tiny_server() {
        shutdown(socket_, SHUT_RDWR);
        close(socket_);
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    // Serves one connection on a thread.
    void serve_one() {
        if (thread_.joinable()) {
            thread_.join();
        }
        thread_ = std::thread([this] {
            const int c = accept(socket_, nullptr, nullptr);
            if (c < 0) {
                return;
            }
            std::string in;
            char buffer[4096];
            std::size_t wanted = std::string::npos;
            while (wanted == std::string::npos || in.size() < wanted) {
                const ssize_t got = recv(c, buffer, sizeof buffer, 0);
                if (got <= 0) {
                    break;
                }
                in.append(buffer, static_cast<std::size_t>(got));
                const std::size_t end = in.find("\r\n\r\n");
                if (end != std::string::npos && wanted == std::string::npos) {
                    const std::size_t length = in.find("Content-Length: ");
                    wanted = end + 4 + (length < end ? std::stoul(in.substr(length + 16)) : 0);
                }
            }
            last_request = in;
            while (hang) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            for (std::size_t sent = 0; sent < answer.size();) {
                const ssize_t n = send(c, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) {
                    break;
                }
                sent += static_cast<std::size_t>(n);
            }
            close(c);
        });
    }
    int port = 0;

private:
    int socket_ = -1;
    std::thread thread_;
};

std::string reply(int status, const std::string& body) {
    return "HTTP/1.1 " + std::to_string(status) + " X\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

http_answer wait_for(http_transport& t) {
    for (int i = 0; i < 2000; ++i) {
        std::vector<http_answer> got = t.collect();
        if (!got.empty()) {
            return got.front();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

TEST(HttpTransport, AnswersComeAsTheServerGaveThemAndFailuresAsStatusZero) {
    tiny_server server;
    const std::unique_ptr<http_transport> t =
        make_http_transport("http://127.0.0.1:" + std::to_string(server.port) + "/");
    const std::string big(http_transport::max_answer_bytes + 1, 'x');
    const struct {
        std::string answer;
        int status;
        std::string body;
    } cases[] = {
        {reply(200, "{\"api\": 1}"), 200, "{\"api\": 1}"},
        {reply(404, "{\"error\": \"no such level\"}"), 404, "{\"error\": \"no such level\"}"},
        {reply(200, big), 0, ""},
        {"not http at all\r\n\r\n", 0, ""},
    };
    for (const auto& c : cases) {
        server.answer = c.answer;
        server.serve_one();
        const int id = t->start({"POST", "/api/v1/runs", "{\"level\": \"\\u00e9\"}"});
        EXPECT_EQ(t->pending(), 1);
        const http_answer a = wait_for(*t);
        EXPECT_EQ(a.id, id);
        EXPECT_EQ(a.status, c.status);
        EXPECT_EQ(a.body, c.body);
        EXPECT_EQ(a.error.empty(), c.status != 0) << a.error;
        EXPECT_EQ(t->pending(), 0);
    }
    EXPECT_NE(server.last_request.find("POST /api/v1/runs HTTP/1.1\r\n"), std::string::npos);
    EXPECT_NE(server.last_request.find("\r\n\r\n{\"level\": \"\\u00e9\"}"), std::string::npos);
}

TEST(HttpTransport, NoServerIsOfflineAndATransportGoesWhileARequestHangs) {
    int port = 0;
    {
        tiny_server closed;
        port = closed.port;
    }
    const std::unique_ptr<http_transport> away =
        make_http_transport("http://127.0.0.1:" + std::to_string(port));
    away->start({"GET", "/api/v1", ""});
    const http_answer a = wait_for(*away);
    EXPECT_EQ(a.status, 0);
    EXPECT_FALSE(a.error.empty());

    tiny_server server;
    server.hang = true;
    server.serve_one();
    auto t = make_http_transport("http://127.0.0.1:" + std::to_string(server.port));
    t->start({"GET", "/api/v1", ""});
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    t.reset();  // joins its thread at once rather than after the request's 15 s
    server.hang = false;
}

}  // namespace
}  // namespace quillomar
