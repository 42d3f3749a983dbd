#include "game/shell/agoneslink.h"

#include "platform/http/httpclient.h"

#include <algorithm>
#include <chrono>

namespace {

struct restCall {
    const char* method;
    const char* path;
    std::string body;
};

// The sidecar's documented REST interface.
restCall restCallFor(const ZEBAgonesRequest& request) {
    switch (request.call) {
    case agonesCall::ready:
        return {"POST", "/ready", "{}"};
    case agonesCall::health:
        return {"POST", "/health", "{}"};
    case agonesCall::playersLabel:
        return {"PUT", "/metadata/label",
                "{\"key\": \"players\", \"value\": \"" + std::to_string(request.players) + "\"}"};
    case agonesCall::playerCapacity:
        return {"PUT", "/alpha/player/capacity", "{\"count\": \"" + std::to_string(request.players) + "\"}"};
    case agonesCall::playerConnect:
        return {"POST", "/alpha/player/connect",
                "{\"playerID\": \"" + std::to_string(request.players) + "\"}"};
    case agonesCall::playerDisconnect:
        return {"POST", "/alpha/player/disconnect",
                "{\"playerID\": \"" + std::to_string(request.players) + "\"}"};
    case agonesCall::shutdown:
        break;
    }
    return {"POST", "/shutdown", "{}"};
}

bool isCoalesced(agonesCall call) {
    return call == agonesCall::health || call == agonesCall::playersLabel;
}

bool isPlayerTracking(agonesCall call) {
    return call == agonesCall::playerCapacity || call == agonesCall::playerConnect ||
           call == agonesCall::playerDisconnect;
}

} // namespace

ZEBAgonesLink::ZEBAgonesLink(uint16_t sidecarPort, reportFunction report)
    : m_port(sidecarPort), m_report(std::move(report)), m_thread(&ZEBAgonesLink::run, this) {}

ZEBAgonesLink::~ZEBAgonesLink() {
    stop();
}

bool ZEBAgonesLink::isWaiting(agonesCall call) const {
    return std::any_of(m_queue.begin(), m_queue.end(),
                       [call](const ZEBAgonesRequest& waiting) { return waiting.call == call; });
}

void ZEBAgonesLink::post(const ZEBAgonesRequest& request) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_stopping)
        return;
    // A waiting Health says all a second one would; a waiting label takes the newer count.
    if (isCoalesced(request.call) && isWaiting(request.call)) {
        const auto same = std::find_if(m_queue.begin(), m_queue.end(), [&](const ZEBAgonesRequest& waiting) {
            return waiting.call == request.call;
        });
        *same = request;
        return;
    }
    m_queue.push_back(request);
    m_changed.notify_all();
}

bool ZEBAgonesLink::finish(int timeoutMs) {
    post({agonesCall::shutdown, 0});
    bool drained = false;
    {
        std::unique_lock<std::mutex> hold(m_lock);
        drained =
            m_changed.wait_for(hold, std::chrono::milliseconds(timeoutMs), [this] { return isDrained(); });
    }
    stop();
    return drained;
}

void ZEBAgonesLink::stop() {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_stopping = true;
        m_changed.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
}

void ZEBAgonesLink::run() {
    std::unique_lock<std::mutex> hold(m_lock);
    int retryMs = AGONES_FIRST_RETRY_MS;
    while (!m_stopping) {
        if (m_queue.empty()) {
            m_changed.wait(hold, [this] { return m_stopping || !m_queue.empty(); });
            continue;
        }
        const ZEBAgonesRequest request = m_queue.front();
        m_queue.pop_front();
        m_sending = true;
        hold.unlock();
        const bool done = deliver(request);
        hold.lock();
        m_sending = false;
        if (done) {
            retryMs = AGONES_FIRST_RETRY_MS;
            m_changed.notify_all();
            continue;
        }
        if (!isCoalesced(request.call) || !isWaiting(request.call))
            m_queue.push_front(request); // a newer call of its kind replaces it
        m_changed.wait_for(hold, std::chrono::milliseconds(retryMs), [this] { return m_stopping; });
        retryMs = std::min(retryMs * 2, AGONES_LONGEST_RETRY_MS);
    }
}

bool ZEBAgonesLink::deliver(const ZEBAgonesRequest& request) {
    if (isPlayerTracking(request.call))
        return deliverPlayerTracking(request);
    const restCall call = restCallFor(request);
    const httpReply reply =
        httpRequestLoopback(m_port, call.method, call.path, call.body, AGONES_CALL_TIMEOUT_MS);
    const std::string what = std::string(call.method) + " " + call.path;
    if (reply.status == 0 || reply.status >= 500) {
        if (!m_unreachable)
            m_report("the Agones sidecar on 127.0.0.1:" + std::to_string(m_port) + " does not answer " +
                     what + "; trying again");
        m_unreachable = true;
        return false;
    }
    m_unreachable = false;
    // A call the sidecar refuses would be refused again: it is reported and dropped.
    if (reply.status >= 300)
        m_report("the Agones sidecar refused " + what + " (status " + std::to_string(reply.status) + ")");
    return true;
}

// Player tracking is an alpha feature that a cluster may not have: the first
// call it does not take turns it off for good, and the label alone counts.
// Such a call is not tried again, since a sidecar without the feature may
// answer with any error.
bool ZEBAgonesLink::deliverPlayerTracking(const ZEBAgonesRequest& request) {
    if (m_playerTrackingOff)
        return true;
    const restCall call = restCallFor(request);
    const httpReply reply =
        httpRequestLoopback(m_port, call.method, call.path, call.body, AGONES_CALL_TIMEOUT_MS);
    if (reply.status < 200 || reply.status >= 300) {
        m_playerTrackingOff = true;
        m_report("the Agones sidecar does not track players (" + std::string(call.method) + " " + call.path +
                 ": status " + std::to_string(reply.status) + "); the label \"players\" counts them");
    }
    return true;
}
