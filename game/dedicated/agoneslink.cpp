#include "game/dedicated/agoneslink.h"

#include "platform/http/httpclient.h"

#include <algorithm>
#include <chrono>
#include <functional>

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

bool isUrgent(agonesCall call) {
    return call == agonesCall::health || call == agonesCall::shutdown;
}

bool isPlaceCall(agonesCall call) {
    return call == agonesCall::playerConnect || call == agonesCall::playerDisconnect;
}

bool isPlayerTracking(agonesCall call) {
    return call == agonesCall::playerCapacity || isPlaceCall(call);
}

// Where a lane's queue says "bring the sidecar's places to the count wanted".
constexpr ZEBAgonesRequest PLACES_MARK = {agonesCall::playerConnect, 0};

} // namespace

ZEBAgonesLink::ZEBAgonesLink(uint16_t sidecarPort, reportFunction report)
    : m_port(sidecarPort), m_report(std::move(report)) {
    m_urgent.thread = std::thread(&ZEBAgonesLink::run, this, std::ref(m_urgent));
    m_calls.thread = std::thread(&ZEBAgonesLink::run, this, std::ref(m_calls));
}

ZEBAgonesLink::~ZEBAgonesLink() {
    stop();
}

bool ZEBAgonesLink::isWaiting(const lane& which, agonesCall call) {
    return std::any_of(which.queue.begin(), which.queue.end(),
                       [call](const ZEBAgonesRequest& waiting) { return waiting.call == call; });
}

void ZEBAgonesLink::post(const ZEBAgonesRequest& request) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_stopping)
        return;
    if (isPlaceCall(request.call)) {
        wantPlaces(request.call == agonesCall::playerConnect ? request.players : request.players - 1);
        return;
    }
    lane& which = isUrgent(request.call) ? m_urgent : m_calls;
    // A waiting Health says all a second one would; a waiting label takes the newer count.
    if (isCoalesced(request.call) && isWaiting(which, request.call)) {
        *std::find_if(which.queue.begin(), which.queue.end(), [&](const ZEBAgonesRequest& waiting) {
            return waiting.call == request.call;
        }) = request;
        return;
    }
    which.queue.push_back(request);
    m_changed.notify_all();
}

// The places connected or given up since the last call only move the count:
// the calls lane catches up with the newest one when its turn comes.
void ZEBAgonesLink::wantPlaces(uint32_t places) {
    m_placesWanted = places;
    if (!isWaiting(m_calls, agonesCall::playerConnect)) {
        m_calls.queue.push_back(PLACES_MARK);
        m_changed.notify_all();
    }
}

bool ZEBAgonesLink::nextPlaceCall(ZEBAgonesRequest& request) {
    if (m_playerTrackingOff)
        m_placesTold = m_placesWanted;
    if (m_placesTold < m_placesWanted)
        request = {agonesCall::playerConnect, m_placesTold + 1};
    else if (m_placesTold > m_placesWanted)
        request = {agonesCall::playerDisconnect, m_placesTold};
    else
        return false;
    return true;
}

bool ZEBAgonesLink::finish(int timeoutMs) {
    bool sent = false;
    {
        std::unique_lock<std::mutex> hold(m_lock);
        if (!m_stopping) {
            m_urgent.queue.clear(); // a Health now says nothing Shutdown does not
            m_urgent.queue.push_back({agonesCall::shutdown, 0});
            m_changed.notify_all();
            sent = m_changed.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                                      [this] { return m_urgent.queue.empty() && !m_urgent.sending; });
        }
    }
    stop();
    return sent;
}

void ZEBAgonesLink::stop() {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_stopping = true;
        m_changed.notify_all();
    }
    for (lane* which : {&m_urgent, &m_calls}) {
        if (which->thread.joinable())
            which->thread.join();
    }
}

void ZEBAgonesLink::run(lane& which) {
    std::unique_lock<std::mutex> hold(m_lock);
    int retryMs = AGONES_FIRST_RETRY_MS;
    while (!m_stopping) {
        if (which.queue.empty()) {
            m_changed.wait(hold, [&] { return m_stopping || !which.queue.empty(); });
            continue;
        }
        ZEBAgonesRequest request = which.queue.front();
        which.queue.pop_front();
        const bool places = request.call == PLACES_MARK.call && request.players == PLACES_MARK.players;
        if (places && !nextPlaceCall(request))
            continue;
        if (places)
            which.queue.push_front(PLACES_MARK); // until the count is reached
        which.sending = true;
        hold.unlock();
        const bool done = deliver(request);
        hold.lock();
        which.sending = false;
        if (places && done && request.call == agonesCall::playerConnect)
            m_placesTold = request.players;
        else if (places && done)
            m_placesTold = request.players - 1;
        if (done) {
            retryMs = AGONES_FIRST_RETRY_MS;
            m_changed.notify_all();
            continue;
        }
        // A newer call of its kind replaces it; once Shutdown is asked for, only it is tried
        // again, without waiting out the back-off of the call before it.
        const bool shuttingDown = request.call == agonesCall::shutdown;
        const bool superseded = (isCoalesced(request.call) && isWaiting(which, request.call)) ||
                                (!shuttingDown && isWaiting(which, agonesCall::shutdown));
        if (!places && !superseded)
            which.queue.push_front(request);
        m_changed.wait_for(hold, std::chrono::milliseconds(retryMs), [&] {
            return m_stopping || (!shuttingDown && isWaiting(which, agonesCall::shutdown));
        });
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
        if (!m_unreachable.exchange(true))
            m_report("the Agones sidecar on 127.0.0.1:" + std::to_string(m_port) + " does not answer " +
                     what + "; trying again");
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
