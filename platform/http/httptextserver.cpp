#include "platform/http/httptextserver.h"

#include <httplib.h>

#include <chrono>
#include <future>
#include <thread>

namespace {

// A scrape now and then needs no more; the library's default is a pool per core.
constexpr size_t HTTP_THREADS = 2;
constexpr time_t HTTP_READ_TIMEOUT_SECONDS = 5;
constexpr size_t HTTP_MAX_REQUEST_BODY = 1024; // a GET has none
constexpr auto HTTP_STOP_RETRY = std::chrono::milliseconds(10);

} // namespace

struct httpTextServer::state {
    httplib::Server server;
    std::thread thread;
    std::future<void> finished; // ready once the listening loop has returned
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
    server.set_read_timeout(HTTP_READ_TIMEOUT_SECONDS, 0);
    server.set_payload_max_length(HTTP_MAX_REQUEST_BODY);
    server.Get(path, [maker, contentType](const httplib::Request&, httplib::Response& response) {
        response.set_content(maker(), contentType.c_str());
    });
    const int bound =
        port == 0 ? server.bind_to_any_port(address) : (server.bind_to_port(address, port) ? port : -1);
    if (bound <= 0)
        return false;
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
