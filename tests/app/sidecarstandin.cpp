#include "tests/app/sidecarstandin.h"

#include "tests/app/appprocess.h"

#include <chrono>
#include <httplib.h>
#include <thread>

struct sidecarStandIn::state {
    httplib::Server server;
    std::thread thread;
    mutable std::mutex lock;
    std::vector<sidecarCall> calls;
    std::condition_variable released;
    int delayMs = 0;
    std::string held; // empty: nothing held
    int heldNow = 0;
};

sidecarStandIn::sidecarStandIn(bool playerTracking) : m_state(std::make_unique<state>()) {
    const auto record = [this](const httplib::Request& request, httplib::Response& response) {
        std::unique_lock<std::mutex> hold(m_state->lock);
        m_state->calls.push_back({request.method, request.path, request.body, monotonicMilliseconds()});
        const auto isHeld = [&] {
            return !m_state->held.empty() && request.path.rfind(m_state->held, 0) == 0;
        };
        if (isHeld()) {
            ++m_state->heldNow;
            m_state->released.wait(hold, [&] { return !isHeld(); });
            --m_state->heldNow;
        }
        m_state->released.wait_for(hold, std::chrono::milliseconds(m_state->delayMs), [] { return false; });
        response.set_content("{}", "application/json");
    };
    for (const char* path : {"/ready", "/health", "/shutdown"})
        m_state->server.Post(path, record);
    m_state->server.Put("/metadata/label", record);
    if (playerTracking) {
        m_state->server.Post("/alpha/player/connect", record);
        m_state->server.Post("/alpha/player/disconnect", record);
        m_state->server.Put("/alpha/player/capacity", record);
    }
}

sidecarStandIn::~sidecarStandIn() {
    stop();
}

bool sidecarStandIn::start(uint16_t port) {
    if (!m_state->server.bind_to_port("127.0.0.1", port))
        return false;
    m_state->thread = std::thread([this] { m_state->server.listen_after_bind(); });
    return true;
}

uint16_t sidecarStandIn::startOnFreePort() {
    const int port = m_state->server.bind_to_any_port("127.0.0.1");
    if (port <= 0 || port > 65535)
        return 0;
    m_state->thread = std::thread([this] { m_state->server.listen_after_bind(); });
    return static_cast<uint16_t>(port);
}

void sidecarStandIn::setDelayMs(int delayMs) {
    std::lock_guard<std::mutex> hold(m_state->lock);
    m_state->delayMs = delayMs;
}

void sidecarStandIn::hold(const std::string& prefix) {
    std::lock_guard<std::mutex> hold(m_state->lock);
    m_state->held = prefix;
}

void sidecarStandIn::release() {
    std::lock_guard<std::mutex> hold(m_state->lock);
    m_state->held.clear();
    m_state->released.notify_all();
}

int sidecarStandIn::heldNow() const {
    std::lock_guard<std::mutex> hold(m_state->lock);
    return m_state->heldNow;
}

void sidecarStandIn::stop() {
    release();
    m_state->server.stop();
    if (m_state->thread.joinable())
        m_state->thread.join();
}

std::vector<sidecarCall> sidecarStandIn::calls() const {
    std::lock_guard<std::mutex> hold(m_state->lock);
    return m_state->calls;
}

std::vector<sidecarCall> sidecarStandIn::callsTo(const std::string& path) const {
    std::vector<sidecarCall> matching;
    for (const sidecarCall& call : calls()) {
        if (call.path == path)
            matching.push_back(call);
    }
    return matching;
}

std::string bodyValue(const sidecarCall& call, const std::string& key) {
    const std::string opening = "\"" + key + "\": \"";
    const size_t at = call.body.find(opening);
    if (at == std::string::npos)
        return std::string();
    const size_t start = at + opening.size();
    const size_t end = call.body.find('"', start);
    return end == std::string::npos ? std::string() : call.body.substr(start, end - start);
}
