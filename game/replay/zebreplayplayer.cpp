#include "game/replay/zebreplayplayer.h"

#include "game/rules/extensions.h"
#include "game/rules/protocol.h"
#include "networklib/networkmessage.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// A jump plays from the keyframe in steps of a frame, as the game was seen.
constexpr double CATCH_UP_STEP_MS = 1000.0 / 45.0;

} // namespace

bool ZEBReplayPlayer::openChunk(int index) {
    if (index < 0 || index >= m_file.getChunkCount() || !m_file.decodeChunk(index, m_chunk, m_error)) {
        m_broken = true;
        return false;
    }
    m_chunkIndex = index;
    m_nextEvent = 0;
    return true;
}

bool ZEBReplayPlayer::start() {
    m_broken = false;
    jumpTo(0);
    return !m_broken && m_collector.hasJoined();
}

void ZEBReplayPlayer::playUntil(double untilMs, float seconds) {
    messageQueue due;
    size_t dueBytes = 0;
    while (!m_broken) {
        for (; m_nextEvent < m_chunk.events.size(); ++m_nextEvent) {
            const ZEBReplayEvent& event = m_chunk.events[m_nextEvent];
            if (static_cast<double>(event.timeMs) > untilMs || due.size() >= REPLAY_FRAME_MAX_MESSAGES ||
                dueBytes >= REPLAY_FRAME_MAX_BYTES)
                break; // what is left is due still, and goes with the frames that follow
            due.push(event.message);
            dueBytes += static_cast<size_t>(event.message.getDataSize());
        }
        // The next chunk goes on where this one ends; its keyframe is not needed.
        if (m_nextEvent < m_chunk.events.size() || m_chunkIndex + 1 >= m_file.getChunkCount() ||
            static_cast<double>(m_file.getChunkStart(m_chunkIndex + 1)) > untilMs)
            break;
        openChunk(m_chunkIndex + 1);
    }
    messageQueue unused; // what the collector would send the host
    m_collector.update(seconds, due, unused);
    m_timeMs = untilMs;
}

bool ZEBReplayPlayer::isBehind() const {
    if (m_broken || m_chunkIndex < 0)
        return false;
    if (m_nextEvent < m_chunk.events.size())
        return static_cast<double>(m_chunk.events[m_nextEvent].timeMs) <= m_timeMs;
    return m_chunkIndex + 1 < m_file.getChunkCount() &&
           static_cast<double>(m_file.getChunkStart(m_chunkIndex + 1)) <= m_timeMs;
}

float ZEBReplayPlayer::advance(float changeInTime) {
    if (m_paused || isAtEnd() || m_broken || !(changeInTime > 0.0f))
        return 0.0f;
    const double endMs = static_cast<double>(getDurationMs());
    const double untilMs = std::min(endMs, m_timeMs + static_cast<double>(changeInTime * m_speed) * 1000.0);
    const float seconds = static_cast<float>((untilMs - m_timeMs) / 1000.0);
    playUntil(untilMs, seconds);
    return seconds;
}

void ZEBReplayPlayer::jumpTo(uint32_t timeMs) {
    const uint32_t target = std::min(timeMs, getDurationMs());
    int index = 0;
    while (index + 1 < m_file.getChunkCount() && m_file.getChunkStart(index + 1) <= target)
        ++index;
    if (!openChunk(index))
        return;
    m_collector = ZEBGameStateCollector();
    FullStateHeader header;
    m_collector.setWatching(
        readFullStateHeader(m_chunk.fullState.getData(), m_chunk.fullState.getDataSize(), &header) &&
        header.shipID == WATCHER_SHIP_ID); // recorded by a copy that watched
    messageQueue keyframe;
    keyframe.push(m_chunk.fullState);
    keyframe.push(m_chunk.stats);
    messageQueue unused;
    m_collector.update(0.0f, keyframe, unused);
    m_collector.playRecording();
    m_timeMs = static_cast<double>(m_chunk.startMs);
    const double targetMs = std::max(static_cast<double>(target), m_timeMs);
    while (m_timeMs < targetMs && !m_broken) {
        const double untilMs = std::min(targetMs, m_timeMs + CATCH_UP_STEP_MS);
        playUntil(untilMs, static_cast<float>((untilMs - m_timeMs) / 1000.0));
    }
    // What happened on the way is over: no effects, no sounds, no chat.
    for (int e = 0; e < m_collector.getElementCount(); ++e)
        m_collector.clearExplosion(e);
    std::vector<int32_t> sounds;
    m_collector.takeSounds(sounds);
    std::vector<ChatLine> lines;
    m_collector.takeChatLines(lines);
}

void ZEBReplayPlayer::jumpBy(int32_t changeMs) {
    const int64_t target = static_cast<int64_t>(getTimeMs()) + changeMs;
    jumpTo(static_cast<uint32_t>(std::clamp<int64_t>(target, 0, getDurationMs())));
}

void ZEBReplayPlayer::faster() {
    m_speed = std::min(REPLAY_FASTEST, m_speed * 2.0f);
}

void ZEBReplayPlayer::slower() {
    m_speed = std::max(REPLAY_SLOWEST, m_speed / 2.0f);
}
