#include "platform/net/netwebserver.h"

#include "platform/net/netdiscovery.h"
#include "platform/net/netenet.h"
#include "platform/net/netevents.h"
#include "platform/net/netpeer.h"
#include "platform/net/netprotocol.h"
#include "platform/net/nettcp.h"
#include "platform/net/netwebfiles.h"
#include "platform/net/netwebhttp.h"
#include "platform/net/netwebkey.h"

#include <algorithm>
#include <chrono>

namespace {

const std::string& subprotocol() {
    static const std::string name = "zeb." + std::to_string(NET_PROTOCOL_VERSION);
    return name;
}

webBytes shared(std::vector<uint8_t> bytes) {
    return std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
}

uint32_t elapsed(uint32_t now, uint32_t since) {
    return now - since; // the clock wraps; differences stay right
}

int remaining(uint32_t limit, uint32_t passed) {
    return passed >= limit ? 0 : static_cast<int>(limit - passed);
}

bool isHandshakeTarget(const std::string& target) {
    return target.substr(0, target.find('?')) == "/play";
}

} // namespace

netWebServer::~netWebServer() {
    stop();
}

bool netWebServer::start(uint16_t port, const std::string& root, hooks hooks) {
    if (m_serving || !m_wake.isValid())
        return false;
    m_listener = openTcpListener(port);
    if (m_listener == NET_NO_SOCKET)
        return false;
    m_port = localPort(m_listener);
    m_root = root;
    m_hooks = std::move(hooks);
    m_stop = false;
    m_serving = true;
    m_thread = std::thread(&netWebServer::run, this);
    return true;
}

void netWebServer::stop() {
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_outboxLock);
        m_stop = true;
    }
    m_wake.signal();
    m_thread.join();
    m_serving = false;
}

uint32_t netWebServer::now() const {
    return m_hooks.clock != nullptr ? m_hooks.clock() : netPeerClock();
}

void netWebServer::send(uint32_t player, const uint8_t* data, size_t size, bool reliable) {
    if (!m_serving || m_playerCount == 0)
        return;
    outgoing message;
    message.player = player;
    message.reliable = reliable;
    message.frame = shared(makeWebFrame(WEB_OPCODE_BINARY, data, size));
    {
        std::lock_guard<std::mutex> lock(m_outboxLock);
        if (m_outboxBytes + size > NET_OUTBOX_MAX_BYTES || m_outbox.size() >= NET_OUTBOX_MAX_PACKETS)
            return; // the thread cannot keep up; the browsers are lost soon anyway
        m_outboxBytes += message.frame->size();
        m_outbox.push_back(std::move(message));
    }
    m_wake.signal();
}

void netWebServer::disconnect(uint32_t player, uint32_t data) {
    if (!m_serving || player == 0)
        return;
    outgoing request;
    request.player = player;
    request.disconnect = true;
    request.data = data;
    {
        std::lock_guard<std::mutex> lock(m_outboxLock);
        m_outbox.push_back(std::move(request));
    }
    m_wake.signal();
}

netWebStats netWebServer::getStats() const {
    netWebStats stats;
    stats.sentBytes = m_sentBytes;
    stats.receivedBytes = m_receivedBytes;
    stats.sentMessages = m_sentMessages;
    stats.receivedMessages = m_receivedMessages;
    stats.droppedPlayers = m_droppedPlayers;
    stats.droppedMessages = m_droppedMessages;
    stats.playersJoined = m_playersJoined;
    return stats;
}

void netWebServer::run() {
    netNameServiceThread("zeb-host-web");
    std::vector<netPollEntry> entries;
    while (true) {
        entries.clear();
        entries.push_back({m_wake.socket()});
        entries.push_back({m_listener});
        for (const auto& connection : m_connections)
            entries.push_back({connection->socket(), connection->hasUnsent()});
        pollSockets(entries, msUntilDue(now()));
        m_wake.clear();
        takeOutbox();
        {
            std::lock_guard<std::mutex> lock(m_outboxLock);
            if (m_stop)
                break;
        }
        const uint32_t time = now();
        // Those accepted now are serviced in the next round, when polled.
        const size_t polled = m_connections.size();
        for (size_t i = 0; i < polled; ++i) {
            // One closed meanwhile (a reader too far behind) waits for the reaping.
            if (m_connections[i]->isOpen() &&
                (entries[i + 2].readable || entries[i + 2].writable || m_connections[i]->hasUnsent()))
                service(*m_connections[i], time);
        }
        if (entries[1].readable)
            acceptAll(time);
        supervise(time);
        reap();
    }
    shutdown();
}

int netWebServer::msUntilDue(uint32_t time) const {
    int due = NET_SERVICE_IDLE_MS;
    for (const auto& connection : m_connections) {
        const uint32_t passed = elapsed(time, connection->m_since);
        switch (connection->getStage()) {
        case webConnection::stage::request:
            due = std::min(due, remaining(WEB_REQUEST_LIMIT_MS, passed));
            break;
        case webConnection::stage::player:
            due = std::min(due, remaining(NET_PEER_SILENCE_LIMIT_MS, passed));
            due = std::min(due, remaining(WEB_KEEPALIVE_MS, elapsed(time, connection->m_lastKeepalive)));
            break;
        case webConnection::stage::finishing: {
            const uint32_t left = connection->m_finishDeadline - time;
            due = std::min(due, left < 0x80000000u
                                    ? static_cast<int>(std::min<uint32_t>(left, NET_SERVICE_IDLE_MS))
                                    : 0);
            break;
        }
        default:
            return 0;
        }
    }
    return due;
}

void netWebServer::takeOutbox() {
    {
        std::lock_guard<std::mutex> lock(m_outboxLock);
        m_taken.swap(m_outbox);
        m_outboxBytes = 0;
    }
    for (outgoing& message : m_taken)
        deliver(message);
    m_taken.clear();
}

void netWebServer::deliver(outgoing& message) {
    for (const auto& connection : m_connections) {
        if (connection->getStage() != webConnection::stage::player)
            continue;
        if (message.player != 0 && connection->player() != message.player)
            continue;
        if (message.disconnect) {
            closePlayer(*connection, static_cast<uint16_t>(WEB_CLOSE_APPLICATION + message.data), now());
            leave(*connection, NET_REASON_CONNECTION_LOST, false);
        } else {
            sendToConnection(*connection, message.frame, message.reliable);
        }
        if (message.player != 0)
            return;
    }
}

void netWebServer::sendToConnection(webConnection& connection, const webBytes& frame, bool reliable) {
    if (!reliable && connection.unsentBytes() > WEB_BEHIND_BYTES) {
        ++m_droppedMessages;
        return;
    }
    connection.queue(frame);
    ++m_sentMessages;
    if (connection.unsentBytes() > WEB_LOST_BYTES)
        connection.close(); // a reader this far behind is gone
}

void netWebServer::acceptAll(uint32_t time) {
    while (true) {
        uint32_t from = 0;
        const netSocketHandle socket = acceptTcp(m_listener, from);
        if (socket == NET_NO_SOCKET)
            return;
        if (m_connections.size() >= WEB_MAX_CONNECTIONS)
            makeRoom();
        if (m_connections.size() >= WEB_MAX_CONNECTIONS) {
            closeSocket(socket);
            continue;
        }
        m_connections.push_back(std::make_unique<webConnection>(socket, from, time, NET_MAX_PACKET_SIZE));
    }
}

// The oldest connection still on its request makes way for a newcomer.
void netWebServer::makeRoom() {
    webConnection* oldest = nullptr;
    for (const auto& connection : m_connections) {
        if (connection->getStage() == webConnection::stage::request &&
            (oldest == nullptr || elapsed(connection->m_since, oldest->m_since) > 0x80000000u))
            oldest = connection.get();
    }
    if (oldest == nullptr)
        return;
    oldest->close();
    reap();
}

void netWebServer::service(webConnection& connection, uint32_t time) {
    uint64_t received = 0;
    const bool open = connection.receive(received);
    m_receivedBytes += received;
    if (connection.getStage() == webConnection::stage::request)
        answerRequests(connection, time);
    else if (connection.getStage() == webConnection::stage::player)
        readFrames(connection, time);
    else if (connection.getStage() == webConnection::stage::finishing && connection.isWebSocket())
        awaitCloseAnswer(connection);
    // What arrived before the other end closed has been taken above.
    if (!open)
        connection.close();
    flush(connection, time);
}

// A response that makes progress keeps its connection; one that makes none
// for the request's time limit is as idle as a request that never finishes.
void netWebServer::flush(webConnection& connection, uint32_t time) {
    if (!connection.isOpen() || !connection.hasUnsent())
        return;
    uint64_t sent = 0;
    if (!connection.flush(sent))
        connection.close();
    m_sentBytes += sent;
    if (sent > 0 && connection.getStage() == webConnection::stage::request)
        connection.m_since = time;
}

void netWebServer::answerRequests(webConnection& connection, uint32_t time) {
    std::vector<uint8_t>& bytes = connection.requestBytes();
    // One answer at a time: a pipelining client waits for the one before.
    while (connection.getStage() == webConnection::stage::request && !connection.hasUnsent()) {
        webRequest request;
        size_t consumed = 0;
        const webParse parsed = parseWebRequest(bytes.data(), bytes.size(), request, consumed);
        if (parsed == webParse::incomplete)
            return;
        if (parsed != webParse::complete) {
            connection.queue(shared(webTextResponse(parsed == webParse::tooLarge ? 431 : 400)));
            connection.finish(time + WEB_FINISH_LINGER_MS);
            return;
        }
        bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(consumed));
        connection.m_since = time;
        if (isHandshakeTarget(request.target)) {
            answerHandshake(connection, request, time);
            return;
        }
        connection.queue(shared(webFileResponse(m_root, request)));
        if (request.hasToken("connection", "close"))
            connection.finish(time + WEB_FINISH_LINGER_MS);
    }
}

void netWebServer::answerHandshake(webConnection& connection, const webRequest& request, uint32_t time) {
    const std::string key = request.header("sec-websocket-key");
    const bool upgrade = request.method == "GET" && request.hasToken("upgrade", "websocket") &&
                         request.hasToken("connection", "upgrade") && key.size() == 24;
    const bool version = request.header("sec-websocket-version") == "13";
    if (!upgrade || !version || !request.hasToken("sec-websocket-protocol", subprotocol())) {
        connection.queue(shared(webTextResponse(400, version ? "" : "Sec-WebSocket-Version: 13\r\n")));
        connection.finish(time + WEB_FINISH_LINGER_MS);
        return;
    }
    const std::string answer =
        "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
        "Sec-WebSocket-Accept: " +
        webSocketAccept(key) + "\r\nSec-WebSocket-Protocol: " + subprotocol() + "\r\n\r\n";
    connection.queue(shared(std::vector<uint8_t>(answer.begin(), answer.end())));
    const uint32_t player = m_hooks.nextPlayerID();
    connection.becomePlayer(player);
    connection.m_since = time;
    connection.m_lastKeepalive = time;
    ++m_playerCount;
    ++m_playersJoined;
    netIncoming joined{netEventKind::playerJoined, player, static_cast<int32_t>(connection.address()), {}};
    joined.viaBrowser = true;
    m_hooks.post(std::move(joined));
    // Frames sent right behind the handshake go to the reader.
    std::vector<uint8_t>& early = connection.requestBytes();
    connection.reader().append(early.data(), early.size());
    early.clear();
    early.shrink_to_fit();
    readFrames(connection, time);
}

void netWebServer::readFrames(webConnection& connection, uint32_t time) {
    while (connection.getStage() == webConnection::stage::player) {
        webRead read = connection.reader().next();
        if (read.kind == webReadKind::none)
            return;
        connection.m_since = time;
        switch (read.kind) {
        case webReadKind::message: {
            ++m_receivedMessages;
            netIncoming received{netEventKind::received, connection.player(), 0, std::move(read.payload)};
            m_hooks.post(std::move(received));
            break;
        }
        case webReadKind::ping:
            connection.queue(shared(makeWebFrame(WEB_OPCODE_PONG, read.payload.data(), read.payload.size())));
            break;
        case webReadKind::close: {
            // The browser's close is answered, and the connection ends once the answer is out.
            const bool onPurpose = read.code == WEB_CLOSE_APPLICATION + NET_DISCONNECT_LEAVE;
            closePlayer(connection, read.code == WEB_CLOSE_NO_CODE ? WEB_CLOSE_NORMAL : read.code, time);
            connection.reader() = webFrameReader(0, true);
            leave(connection, onPurpose ? NET_REASON_NORMAL : NET_REASON_CONNECTION_LOST, !onPurpose);
            break;
        }
        case webReadKind::fault:
            closePlayer(connection, read.code, time);
            leave(connection, NET_REASON_CONNECTION_LOST, true);
            break;
        default:
            break;
        }
    }
}

void netWebServer::closePlayer(webConnection& connection, uint16_t code, uint32_t time) {
    connection.queue(shared(makeWebClose(code)));
    connection.finish(time + WEB_FINISH_LINGER_MS);
}

// After the host's close the browser answers with its own; then the
// connection ends, without waiting for the linger.
void netWebServer::awaitCloseAnswer(webConnection& connection) {
    while (connection.isOpen()) {
        const webRead read = connection.reader().next();
        if (read.kind == webReadKind::none)
            return;
        if (read.kind == webReadKind::close || read.kind == webReadKind::fault)
            connection.close();
    }
}

// A player leaves the game once: when its connection starts to close, or
// when it ends without a close.
void netWebServer::leave(webConnection& connection, uint32_t reason, bool lost) {
    const uint32_t player = connection.takePlayer();
    if (player == 0)
        return;
    --m_playerCount;
    if (lost)
        ++m_droppedPlayers;
    m_hooks.post(netIncoming{netEventKind::playerLeft, player, static_cast<int32_t>(reason), {}});
}

void netWebServer::supervise(uint32_t time) {
    for (const auto& connection : m_connections) {
        const uint32_t passed = elapsed(time, connection->m_since);
        switch (connection->getStage()) {
        case webConnection::stage::request:
            if (passed >= WEB_REQUEST_LIMIT_MS)
                connection->close();
            break;
        case webConnection::stage::player:
            if (passed >= NET_PEER_SILENCE_LIMIT_MS) {
                closePlayer(*connection, WEB_CLOSE_APPLICATION + NET_DISCONNECT_TIMED_OUT, time);
                leave(*connection, NET_REASON_CONNECTION_LOST, true);
            } else if (elapsed(time, connection->m_lastKeepalive) >= WEB_KEEPALIVE_MS) {
                connection->queue(shared(makeWebFrame(WEB_OPCODE_BINARY, nullptr, 0)));
                connection->queue(shared(makeWebFrame(WEB_OPCODE_PING, nullptr, 0)));
                connection->m_lastKeepalive = time;
            }
            break;
        case webConnection::stage::finishing:
            if (elapsed(time, connection->m_finishDeadline) < 0x80000000u)
                connection->close();
            break;
        default:
            break;
        }
        flush(*connection, time);
    }
}

// A player whose connection ended without a close is lost.
void netWebServer::reap() {
    for (const auto& connection : m_connections) {
        if (!connection->isOpen())
            leave(*connection, NET_REASON_CONNECTION_LOST, true);
    }
    std::erase_if(m_connections, [](const auto& connection) { return !connection->isOpen(); });
}

// The goodbyes get a moment to leave; no events reach the game now.
void netWebServer::shutdown() {
    const webBytes goodbye = shared(makeWebClose(WEB_CLOSE_APPLICATION + NET_DISCONNECT_HOST_STOPPED));
    for (const auto& connection : m_connections) {
        if (connection->getStage() == webConnection::stage::player) {
            connection->queue(goodbye);
            connection->finish(0);
        } else {
            connection->close();
        }
    }
    std::erase_if(m_connections, [](const auto& connection) { return !connection->isOpen(); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(NET_STOP_LINGER_MS);
    std::vector<netPollEntry> entries;
    while (!m_connections.empty() && std::chrono::steady_clock::now() < deadline) {
        entries.clear();
        for (const auto& connection : m_connections)
            entries.push_back({connection->socket(), connection->hasUnsent()});
        pollSockets(entries, 1);
        for (const auto& connection : m_connections) {
            uint64_t received = 0;
            uint64_t sent = 0;
            // Closed once the other end answers the goodbye with its own close.
            if (!connection->flush(sent) || !connection->receive(received))
                connection->close();
            m_sentBytes += sent;
        }
        std::erase_if(m_connections, [](const auto& connection) { return !connection->isOpen(); });
    }
    m_connections.clear();
    closeSocket(m_listener);
    m_listener = NET_NO_SOCKET;
    m_playerCount = 0;
}
