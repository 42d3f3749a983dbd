#include "platform/net/netendpoint.h"

#include "platform/net/netenet.h"
#include "platform/net/netpeer.h"
#include "platform/net/netprotocol.h"

#include <enet/enet.h>

netEndpoint::~netEndpoint() = default;

bool netEndpoint::initialise() {
    return m_outbox.isValid() && netStartTransport();
}

void netEndpoint::startService(ENetHost* host, const char* threadName) {
    m_host = host;
    m_outbox.reset();
    m_pump.reset();
    m_ended = false;
    m_thread = std::thread(&netEndpoint::run, this, threadName);
}

void netEndpoint::stopService() {
    if (!m_thread.joinable())
        return;
    m_outbox.requestStop();
    m_thread.join();
}

void netEndpoint::joinEndedService() {
    if (m_thread.joinable())
        m_thread.join();
}

void netEndpoint::run(const char* threadName) {
    netNameServiceThread(threadName);
    std::vector<netOutgoing> packets;
    std::unique_lock<std::mutex> transport(m_transportLock);
    while (true) {
        // While the game services the transport as it takes its events, the
        // socket and ENet's timers are its; this thread still looks in at
        // least that often, to take the socket back when the game stalls.
        const uint32_t now = netPeerClock();
        const bool pumped = m_pump.isRecent(now) && isOpen();
        netWaitEntry sockets[3] = {{pumped ? NET_NO_SOCKET : netSocketHandle(m_host->socket)},
                                   {m_outbox.getWakeSocket()},
                                   {getSideSocket()}};
        const int due = pumped ? m_pump.msUntilStale(now) : msUntilDue();
        transport.unlock(); // the game thread may send and service meanwhile
        waitAnyReadable(sockets, 3, due);
        transport.lock();
        if (!serviceRound(sockets[2].readable, packets))
            break;
    }
    shutdownTransport();
    countTraffic();
    enet_host_destroy(m_host);
    m_host = nullptr;
}

bool netEndpoint::serviceRound(bool sideReadable, std::vector<netOutgoing>& packets) {
    if (m_ended)
        return false; // the game's own service saw the end
    m_outbox.take(packets);
    sendPackets(packets);
    if (m_outbox.isStopRequested()) {
        // Whatever was handed over before the stop, possibly after the take
        // above, still leaves ahead of the goodbyes.
        m_outbox.take(packets);
        sendPackets(packets);
        return false;
    }
    if (!serviceTransport())
        return false;
    if (sideReadable)
        serviceSideSocket();
    return true;
}

bool netEndpoint::serviceTransport() {
    ENetEvent event;
    bool alive = true;
    while (alive && enet_host_service(m_host, &event, 0) > 0)
        alive = dispatch(event);
    alive = alive && supervise();
    enet_host_flush(m_host);
    countTraffic();
    m_ended = !alive;
    return alive;
}

void netEndpoint::pump() {
    std::unique_lock<std::mutex> transport(m_transportLock, std::try_to_lock);
    if (!transport.owns_lock() || m_host == nullptr || m_ended || !isOpen())
        return;
    if (serviceTransport())
        m_pump.pumped(netPeerClock());
    else
        m_outbox.wake(); // the service thread ends the connection
}

void netEndpoint::releaseSends() {
    if (m_outbox.releaseQuietly() && !sendFromCaller())
        m_outbox.wake();
}

// A playing client hands over its input every frame and a host its tick's
// batch; waking the service thread only to pass them on would cost a wake-up
// each. While the thread sleeps the caller sends the batch itself. A batch
// with a reliable packet or a disconnect still wakes the thread, which plans
// the resends and the goodbyes when the game stops servicing.
bool netEndpoint::sendFromCaller() {
    std::unique_lock<std::mutex> transport(m_transportLock, std::try_to_lock);
    if (!transport.owns_lock() || m_host == nullptr || m_ended || !isOpen())
        return false;
    m_outbox.take(m_callerPackets);
    const bool needsThread = needsServiceThread(m_callerPackets);
    sendPackets(m_callerPackets);
    return !needsThread;
}

void netEndpoint::sendPackets(std::vector<netOutgoing>& packets) {
    if (packets.empty())
        return;
    for (netOutgoing& packet : packets)
        sendPacket(packet);
    enet_host_flush(m_host);
    countTraffic();
}

void netEndpoint::countTraffic() {
    m_sentBytes += m_host->totalSentData;
    m_host->totalSentData = 0;
    m_receivedBytes += m_host->totalReceivedData;
    m_host->totalReceivedData = 0;
    m_sentDatagrams += m_host->totalSentPackets;
    m_host->totalSentPackets = 0;
    m_receivedDatagrams += m_host->totalReceivedPackets;
    m_host->totalReceivedPackets = 0;
}
