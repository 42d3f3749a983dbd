#include "platform/http/httpclient.h"
#include "platform/http/httptextserver.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int TIMEOUT_MS = 5000;

class plainHttp : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(
            m_server.start("127.0.0.1", 0, "/metrics", "text/plain", [] { return std::string("up 1\n"); }));
        ASSERT_NE(m_server.getPort(), 0);
    }
    // A connection that sends text and then nothing more; -1 when it cannot connect.
    int openStalled(const std::string& text) const {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(m_server.getPort());
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
            close(fd);
            return -1;
        }
        send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        return fd;
    }
    httpTextServer m_server;
};

// The one path answers GET with the document; anything else is 404.
TEST_F(plainHttp, answersTheOnePathOnly) {
    struct row {
        const char* method;
        const char* path;
        int status;
        const char* body;
    } const rows[] = {
        {"GET", "/metrics", 200, "up 1\n"},       {"GET", "/metrics?x=1", 200, "up 1\n"},
        {"GET", "/", 404, "Not Found\n"},         {"GET", "/metricsx", 404, "Not Found\n"},
        {"POST", "/metrics", 404, "Not Found\n"},
    };
    for (const row& r : rows) {
        const httpReply reply = httpRequestLoopback(m_server.getPort(), r.method, r.path, "{}", TIMEOUT_MS);
        EXPECT_EQ(reply.status, r.status) << r.method << " " << r.path;
        EXPECT_EQ(reply.body, r.body) << r.method << " " << r.path;
    }
}

// Clients that stall, or send a head that never ends, cannot keep a scrape
// waiting: twenty of them open at once, and a scrape behind them is answered
// long before their deadlines would have let a one-at-a-time server reach it.
TEST_F(plainHttp, stalledClientsDoNotStopTheServing) {
    std::vector<int> stalled;
    for (int i = 0; i < 19; ++i)
        stalled.push_back(openStalled(i % 2 == 0 ? "" : "GET /metr"));
    stalled.push_back(openStalled("GET /metrics HTTP/1.1\r\n" + std::string(9000, 'x')));
    for (const int fd : stalled)
        ASSERT_GE(fd, 0);
    const httpReply reply = httpRequestLoopback(m_server.getPort(), "GET", "/metrics", "", TIMEOUT_MS);
    EXPECT_EQ(reply.status, 200);
    for (const int fd : stalled)
        close(fd);
}

// Nothing listening, or a server stopped: the client reports no answer.
TEST_F(plainHttp, noServerNoAnswer) {
    const uint16_t port = m_server.getPort();
    m_server.stop();
    EXPECT_FALSE(m_server.isRunning());
    EXPECT_EQ(httpRequestLoopback(port, "POST", "/ready", "{}", TIMEOUT_MS).status, 0);
    EXPECT_FALSE(m_server.start("127.0.0.1", 0, "/metrics", "text/plain", [] { return std::string(); }))
        << "a server serves once";
}

} // namespace
