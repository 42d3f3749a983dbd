#include "platform/system/displayevents.h"

#include "platform/system/x11calls.h"

#include <poll.h>

displayEvents::displayEvents() : m_x11(std::make_unique<x11Calls>()) {}

displayEvents::~displayEvents() = default;

void displayEvents::attach(void* nativeWindow) {
    Display* display = findX11Display(nativeWindow);
    m_display = display != nullptr && m_x11->load() ? display : nullptr;
    m_socket = m_display != nullptr ? m_x11->connectionNumber(display) : -1;
    m_pumped = false;
}

bool displayEvents::isPumpDue(const pumpFacts& facts) {
    return !facts.watched || facts.controllersOpen || !facts.pumpedBefore ||
           facts.sinceLastPump >= PUMP_AT_LEAST_EVERY || facts.newsWaiting;
}

bool displayEvents::worthPumping(uint32_t nowMilliseconds, bool controllersOpen) {
    pumpFacts facts{m_display != nullptr, controllersOpen, m_pumped, nowMilliseconds - m_lastPump, false};
    facts.newsWaiting = !isPumpDue(facts) && hasNews(); // the socket is looked at only when it decides
    const bool due = isPumpDue(facts);
    if (due) {
        m_lastPump = nowMilliseconds;
        m_pumped = true;
    }
    return due;
}

// Events Xlib has read already (a reply's read brings them along) or bytes
// waiting on the socket; polling it is no read.
bool displayEvents::hasNews() const {
    if (m_x11->eventsQueued(static_cast<Display*>(m_display), QueuedAlready) > 0)
        return true;
    pollfd socket{m_socket, POLLIN, 0};
    return poll(&socket, 1, 0) != 0; // an error, too, is for the pump to find
}
