#include "game/windowed/setup/moveprobe.h"

#include "game/common/gamenames.h"

namespace {

constexpr uint32_t PROBE_DEADLINE_MS = 3000;
constexpr uint32_t PROBE_REQUEST_MS = 250; // the watch request again, in case it was lost

} // namespace

ZEBMoveProbe::ZEBMoveProbe(const networkClient::session& bigger, const std::string& name, uint32_t nowMs)
    : m_target(bigger), m_startedMs(nowMs), m_lastRequestMs(nowMs - PROBE_REQUEST_MS) {
    m_connection.setLogging(false);
    m_connection.setApplicationGuid(APPLICATION_GUID);
    m_connection.initialise();
    m_collector.setPlayerName(name);
    m_collector.setWatching(true);
    m_connection.connectSession(bigger);
}

ZEBMoveProbe::~ZEBMoveProbe() {
    m_connection.disconnect();
}

ZEBMoveProbe::verdict ZEBMoveProbe::step(uint32_t nowMs) {
    if (nowMs - m_startedMs >= PROBE_DEADLINE_MS || !m_connection.isConnecting())
        return verdict::failed;
    messageQueue in;
    messageQueue out;
    m_connection.receiveMessages(in);
    m_collector.update(0.0f, in, out);
    if (m_collector.hasJoined())
        return verdict::real;
    if (m_collector.wasRefusedWatching())
        return verdict::failed;
    if (m_connection.isConnected() && nowMs - m_lastRequestMs >= PROBE_REQUEST_MS) {
        m_connection.sendMessages(out);
        m_lastRequestMs = nowMs;
    }
    return verdict::waiting;
}
