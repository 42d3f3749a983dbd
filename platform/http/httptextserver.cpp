#include "platform/http/httptextserver.h"

#include <httplib.h>
#ifndef _WIN32
#include <sys/socket.h> // listen(); httplib brings Winsock's on Windows
#endif

#include <chrono>
#include <future>
#include <thread>

namespace {

// Every connection holds a worker from the moment it is accepted until it is
// closed, also while it sends nothing: the library waits the keep-alive time
// for a first request too. So a few idle or slow connections (a stuck
// scraper, a port scan) would keep a scrape waiting behind them for as long
// as they are held. Each is held at most about a second (the time-outs and
// the keep-alive time are whole seconds), and there are enough workers that
// 20 such connections still leave workers free: a scrape is answered at
// once, and behind any number of them within a second per 32 held.
constexpr size_t HTTP_THREADS = 32;
constexpr time_t HTTP_TIMEOUT_SECONDS = 1;     // reading a request, writing an answer, waiting for the next
constexpr size_t HTTP_KEEP_ALIVE_REQUESTS = 8; // on one connection, then it is closed
// The library listens with a queue of 5: a burst of connects (20 opened at
// once) fills it, and a connect that finds it full waits for the kernel's
// retransmission a second later. The listening socket is given a longer one.
constexpr int HTTP_LISTEN_BACKLOG = 128;
constexpr size_t HTTP_MAX_REQUEST_BODY = 1024; // a GET has none
constexpr auto HTTP_STOP_RETRY = std::chrono::milliseconds(10);

} // namespace

struct httpTextServer::state {
    httplib::Server server;
    std::thread thread;
    std::future<void> finished; // ready once the listening loop has returned
    int listeningSocket = -1;
    uint16_t port = 0;
    bool started = false;
    bool running = false;
};

httpTextServer::httpTextServer() : m_state(std::make_unique<state>()) {}

httpTextServer::~httpTextServer() {
    stop();
}

bool httpTextServer::start(const std::string& address, uint16_t port, const std::string& path,
                           const std::string& contentType, documentMaker maker) {
    if (m_state->started)
        return false;
    m_state->started = true;
    httplib::Server& server = m_state->server;
    server.new_task_queue = [] { return new httplib::ThreadPool(HTTP_THREADS); };
    server.set_read_timeout(HTTP_TIMEOUT_SECONDS, 0);
    server.set_write_timeout(HTTP_TIMEOUT_SECONDS, 0);
    server.set_keep_alive_timeout(HTTP_TIMEOUT_SECONDS);
    server.set_keep_alive_max_count(HTTP_KEEP_ALIVE_REQUESTS);
    server.set_payload_max_length(HTTP_MAX_REQUEST_BODY);
    server.Get(path, [maker, contentType](const httplib::Request&, httplib::Response& response) {
        response.set_content(maker(), contentType.c_str());
    });
    server.set_socket_options([this](socket_t sock) {
        httplib::default_socket_options(sock);
        m_state->listeningSocket = sock;
    });
    const int bound =
        port == 0 ? server.bind_to_any_port(address) : (server.bind_to_port(address, port) ? port : -1);
    if (bound <= 0)
        return false;
    ::listen(m_state->listeningSocket, HTTP_LISTEN_BACKLOG); // a second call only changes the queue
    m_state->port = static_cast<uint16_t>(bound);
    m_state->running = true;
    std::packaged_task<void()> listen([this] { m_state->server.listen_after_bind(); });
    m_state->finished = listen.get_future();
    m_state->thread = std::thread(std::move(listen));
    return true;
}

void httpTextServer::stop() {
    if (!m_state->running)
        return;
    // A stop that comes before the thread has begun listening is ignored by
    // the library, so it is repeated until the loop has really ended.
    do {
        m_state->server.stop();
    } while (m_state->finished.wait_for(HTTP_STOP_RETRY) != std::future_status::ready);
    m_state->thread.join();
    m_state->running = false;
    m_state->port = 0;
}

bool httpTextServer::isRunning() const {
    return m_state->running;
}

uint16_t httpTextServer::getPort() const {
    return m_state->port;
}
