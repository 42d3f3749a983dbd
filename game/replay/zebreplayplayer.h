#pragma once

#include "game/client/zebgamestatecollector.h"
#include "game/replay/replayformat.h"

#include <cstddef>
#include <cstdint>
#include <string>

constexpr float REPLAY_SLOWEST = 0.5f;
constexpr float REPLAY_FASTEST = 2.0f;
constexpr int32_t REPLAY_JUMP_MS = 10000;
// What one frame hands the collector at most: a game sends a few dozen
// messages a frame. A recording that crowds more into a moment is played
// over the frames that follow, and never holds more than one chunk unpacked.
constexpr int REPLAY_FRAME_MAX_MESSAGES = 4096;
constexpr size_t REPLAY_FRAME_MAX_BYTES = 4u * 1024u * 1024u;

// Plays a recording into a collector (the watching game's), as the recording
// client's collector saw it, but with no ship of its own: every ship moves as
// the host sent it. Time runs at a chosen speed and can stop; a jump starts from the
// keyframe before the moment and plays up to it at once.
class ZEBReplayPlayer {
  public:
    ZEBReplayPlayer(const ZEBReplayFile& file, ZEBGameStateCollector& collector)
        : m_file(file), m_collector(collector) {}

    // Plays from the beginning; false when the recording cannot be played.
    bool start();

    // One frame of changeInTime real seconds: the game time played, 0 while
    // paused or at the end.
    float advance(float changeInTime);
    void jumpTo(uint32_t timeMs); // within the recording
    void jumpBy(int32_t changeMs);

    void togglePause() { m_paused = !m_paused; }
    bool isPaused() const { return m_paused; }
    void faster();
    void slower();
    float getSpeed() const { return m_speed; }

    uint32_t getTimeMs() const { return static_cast<uint32_t>(m_timeMs); }
    uint32_t getDurationMs() const { return m_file.getDurationMs(); }
    bool isAtEnd() const { return m_timeMs >= static_cast<double>(getDurationMs()) && !isBehind(); }
    // Messages are due that a frame's bound left for the frames that follow.
    bool isBehind() const;
    // A chunk could not be read: the replay stopped there, for this reason.
    bool isBroken() const { return m_broken; }
    const std::string& getError() const { return m_error; }
    int getChunkIndex() const { return m_chunkIndex; } // the one unpacked now

    ZEBGameStateCollector& getCollector() { return m_collector; }
    const ZEBGameStateCollector& getCollector() const { return m_collector; }

  private:
    bool openChunk(int index);
    // The game up to untilMs: the messages due go into the collector, which
    // moves the game on by the seconds given.
    void playUntil(double untilMs, float seconds);

    const ZEBReplayFile& m_file;
    ZEBGameStateCollector& m_collector;
    ZEBReplayChunk m_chunk;
    int m_chunkIndex = -1;
    size_t m_nextEvent = 0;
    double m_timeMs = 0.0;
    float m_speed = 1.0f;
    bool m_paused = false;
    bool m_broken = false; // a chunk could not be read: the replay stops there
    std::string m_error;
};
