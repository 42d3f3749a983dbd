#include "tests/app/discoveryliar.h"

#include "networklib/networkhost.h"
#include "platform/net/netguid.h"
#include "tests/app/appprocess.h"

#include <chrono>

namespace {

constexpr int READY_MS = 10000;

} // namespace

discoveryLiar::discoveryLiar(bool posesAsServer)
    : m_posesAsServer(posesAsServer), m_thread([this] { run(); }) {
    waitUntil([this] { return m_ready.load(); }, READY_MS);
}

discoveryLiar::~discoveryLiar() {
    m_stop = true;
    m_thread.join();
}

void discoveryLiar::run() {
    networkHost host;
    host.setApplicationGuid(ZEB_APPLICATION_GUID);
    host.setMaxPlayers(8);
    host.setPort(findFreePort());
    host.setRank(m_posesAsServer, false);
    host.initialise();
    host.startHosting();
    m_ready = true;
    while (!m_stop) {
        messageQueue in;
        std::vector<networkEvent> events;
        host.receiveMessages(in, events);
        for (const networkEvent& event : events) {
            if (event.kind != networkEventKind::playerJoined)
                continue;
            ++m_caught;
            host.dropPlayer(event.playerID, networkDropReason::notJoined);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    host.stopHosting();
}
