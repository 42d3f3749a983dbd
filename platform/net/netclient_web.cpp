#include "platform/net/netclient.h"

#include "platform/net/netprotocol.h"

#include <emscripten/emscripten.h>
#include <emscripten/websocket.h>

#include <string>

// In a browser the connection is a WebSocket to the page's own host: one
// binary message per network message, ordered and reliable. The browser runs
// everything on one thread, so its callbacks post straight to the inbox.

namespace {

// The host sends an empty message twice a second (its pings never reach the
// page), so a long silence means a host gone without a word; one that stops
// is seen sooner, as its system closes the socket. A tab in the background
// may hold the page's frames for a while: hence the margin.
constexpr uint32_t WEB_HOST_SILENCE_MS = 30000;
constexpr size_t WEB_FRAME_HEADER_BYTES = 2; // what an empty message costs on the wire
constexpr unsigned short WEB_CLOSE_LEFT = 4001;
constexpr unsigned short WEB_CLOSE_BASE = 4000; // + the NET_DISCONNECT_* the host would send over ENet

std::string pageSocketUrl() {
    // clang-format off
    char* url = reinterpret_cast<char*>(EM_ASM_INT({
        var scheme = location.protocol == 'https:' ? 'wss://' : 'ws://';
        return stringToNewUTF8(scheme + location.host + '/play');
    }));
    // clang-format on
    std::string text = url != nullptr ? url : "";
    free(url);
    return text;
}

uint32_t endReason(unsigned short code) {
    switch (code) {
    case WEB_CLOSE_BASE + NET_DISCONNECT_HOST_STOPPED:
        return NET_REASON_SESSION_TERMINATED;
    case WEB_CLOSE_BASE + NET_DISCONNECT_GAME_FULL:
        return NET_REASON_GAME_FULL;
    case WEB_CLOSE_BASE + NET_DISCONNECT_NOT_JOINED:
        return NET_REASON_NOT_JOINED;
    default:
        return NET_REASON_CONNECTION_LOST;
    }
}

// The page shows why the game ended and offers to join again.
void tellPage(unsigned short code, bool wasConnected) {
    EM_ASM(
        {
            if (Module['zebConnectionEnded'])
                Module['zebConnectionEnded']($0, $1);
        },
        code, wasConnected);
}

std::chrono::steady_clock::time_point after(uint32_t ms) {
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
}

} // namespace

struct netClientWebEvents {
    static EM_BOOL opened(int, const EmscriptenWebSocketOpenEvent*, void* client) {
        static_cast<netClient*>(client)->finishConnect(NET_OK);
        return EM_TRUE;
    }
    static EM_BOOL received(int, const EmscriptenWebSocketMessageEvent* event, void* client) {
        static_cast<netClient*>(client)->receive(event->data, event->numBytes, event->isText);
        return EM_TRUE;
    }
    static EM_BOOL closed(int, const EmscriptenWebSocketCloseEvent* event, void* client) {
        static_cast<netClient*>(client)->onClosed(event->code);
        return EM_TRUE;
    }
};

netClient::~netClient() {
    close();
}

std::vector<netHostAnswer> netClient::enumerateHosts(const netGuid&, const std::vector<uint32_t>&, uint16_t,
                                                     int) {
    return {}; // a page has no discovery: its host is the page's own
}

bool netClient::connect(const netAddress&, uint32_t version) {
    if (m_state == CONNECTING || m_state == CONNECTED)
        return false;
    close();
    const std::string url = pageSocketUrl();
    const std::string protocol = "zeb." + std::to_string(version);
    EmscriptenWebSocketCreateAttributes attributes;
    emscripten_websocket_init_create_attributes(&attributes);
    attributes.url = url.c_str();
    attributes.protocols = protocol.c_str();
    const EMSCRIPTEN_WEBSOCKET_T socket = emscripten_websocket_new(&attributes);
    if (socket <= 0)
        return false;
    m_webSocket = socket;
    emscripten_websocket_set_onopen_callback(socket, this, netClientWebEvents::opened);
    emscripten_websocket_set_onmessage_callback(socket, this, netClientWebEvents::received);
    emscripten_websocket_set_onclose_callback(socket, this, netClientWebEvents::closed);
    m_deadline = after(NET_CONNECT_DEADLINE_MS);
    m_state = CONNECTING;
    return true;
}

void netClient::close() {
    if (m_webSocket <= 0)
        return;
    if (m_state == CONNECTED)
        emscripten_websocket_close(m_webSocket, WEB_CLOSE_LEFT, "left");
    emscripten_websocket_delete(m_webSocket); // no callback comes after this
    m_webSocket = 0;
    m_state = IDLE;
}

void netClient::send(const uint8_t* data, size_t size, bool) {
    if (m_state != CONNECTED || data == nullptr || size == 0 || size > NET_MAX_PACKET_SIZE)
        return;
    if (emscripten_websocket_send_binary(m_webSocket, const_cast<uint8_t*>(data),
                                         static_cast<uint32_t>(size)) == EMSCRIPTEN_RESULT_SUCCESS)
        countSent(size);
}

void netClient::receive(const uint8_t* data, uint32_t size, bool isText) {
    if (m_state != CONNECTED || isText || size > NET_MAX_PACKET_SIZE)
        return; // the host sends binary messages only
    m_deadline = after(WEB_HOST_SILENCE_MS);
    if (size == 0) {
        // The host's keepalive: the link is alive, though the game is quiet.
        countReceived(WEB_FRAME_HEADER_BYTES);
        return;
    }
    netIncoming received{netEventKind::received, NET_SERVER_PLAYER_ID, 0, {}};
    received.bytes.assign(data, data + size);
    countReceived(size);
    post(std::move(received));
}

void netClient::onClosed(unsigned short code) {
    emscripten_websocket_delete(m_webSocket);
    m_webSocket = 0;
    tellPage(code, m_state == CONNECTED);
    if (m_state == CONNECTING)
        finishConnect(NET_E_NOCONNECTION);
    else if (m_state == CONNECTED)
        postEnd(endReason(code));
    m_state = IDLE;
}

void netClient::sendPacket(netOutgoing&) {}

bool netClient::dispatch(_ENetEvent&) {
    return true;
}

// Run from pump: the connect's deadline and the host's silence.
bool netClient::supervise() {
    if ((m_state != CONNECTING && m_state != CONNECTED) || std::chrono::steady_clock::now() < m_deadline)
        return true;
    const bool connecting = m_state == CONNECTING;
    emscripten_websocket_close(m_webSocket, WEB_CLOSE_LEFT, "timed out");
    emscripten_websocket_delete(m_webSocket);
    m_webSocket = 0;
    tellPage(WEB_CLOSE_BASE + NET_DISCONNECT_TIMED_OUT, !connecting);
    if (connecting)
        finishConnect(NET_E_TIMEDOUT);
    else
        postEnd(NET_REASON_CONNECTION_LOST);
    m_state = IDLE;
    return false;
}

int netClient::msUntilDue() const {
    return NET_SERVICE_IDLE_MS;
}

void netClient::shutdownTransport() {}

bool netClient::isHostSilent() const {
    return m_state == CONNECTED && std::chrono::steady_clock::now() >= m_deadline;
}

void netClient::finishConnect(int result) {
    m_state = result == NET_OK ? CONNECTED : CLOSING;
    if (result == NET_OK)
        m_deadline = after(WEB_HOST_SILENCE_MS);
    post(netIncoming{netEventKind::connected, NET_SERVER_PLAYER_ID, result, {}});
}

void netClient::postEnd(uint32_t reason) {
    post(netIncoming{netEventKind::sessionEnded, NET_SERVER_PLAYER_ID, static_cast<int32_t>(reason), {}});
}
