#include "game/replay/zebreplayrecorder.h"

#include "game/client/zebgamestatecollector.h"
#include "game/rules/extensions.h"
#include "game/rules/protocol.h"
#include "networklib/networkmessage.h"
#include "platform/system/folderfiles.h"

#include <cstdio>

namespace {

// The largest file the recorder writes: the folder's whole allowance, less a
// chunk that may still come.
constexpr uint64_t RECORDING_LIMIT = MAX_REPLAY_FILE_BYTES - 2 * REPLAY_CHUNK_TARGET_BYTES;

// Whole milliseconds, within what a file can say.
uint32_t toMilliseconds(double seconds) {
    const double ms = seconds * 1000.0; // never later than the frame: a player at that time has it
    return ms >= static_cast<double>(MAX_REPLAY_MS) ? MAX_REPLAY_MS : static_cast<uint32_t>(ms);
}

// A watcher's copy has a picture of the game without a ship of its own.
bool hasPicture(const ZEBGameStateCollector& collector) {
    const int own = collector.getOwnIndex();
    return collector.hasJoined() &&
           (own == WATCHER_SHIP_ID || (own >= 0 && own < collector.getElementCount()));
}

} // namespace

bool ZEBReplayRecorder::start(const std::string& path, const std::string& level, const std::string& ownName) {
    finish();
    if (!openForWriting(m_file, path))
        return false;
    m_path = path;
    m_header = ZEBReplayHeader();
    m_header.level = level;
    m_header.ownName = ownName;
    m_headerWritten = false;
    m_chunk = ZEBReplayChunkBuilder();
    m_seconds = 0.0;
    m_chunkStartMs = 0;
    m_stopping = false;
    m_failed = false;
    m_written = 0;
    m_leftOut = 0;
    m_jobs.clear();
    m_recording = true;
    m_writer = std::thread(&ZEBReplayRecorder::writeJobs, this);
    return true;
}

void ZEBReplayRecorder::startChunk(const ZEBGameStateCollector& collector) {
    std::vector<ZEBGameStateElement> elements;
    elements.reserve(static_cast<size_t>(collector.getElementCount()));
    for (int i = 0; i < collector.getElementCount(); ++i)
        elements.push_back(collector.getElementState(i));
    m_chunkStartMs = toMilliseconds(m_seconds);
    m_chunk.keyframe(m_chunkStartMs, writeFullState(elements, collector.getOwnIndex()),
                     writePlayerStats(collector.getStats()));
}

void ZEBReplayRecorder::noteFrame(float changeInTime, const messageQueue& received,
                                  const ZEBGameStateCollector& collector) {
    if (!m_recording)
        return;
    if (hasFailed() || getWrittenBytes() >= RECORDING_LIMIT || toMilliseconds(m_seconds) >= MAX_REPLAY_MS) {
        finish();
        return;
    }
    const uint32_t nowMs = toMilliseconds(m_seconds);
    // A new chunk never starts at the moment the last one did: a reader refuses that.
    const bool due = nowMs > m_chunkStartMs && (nowMs - m_chunkStartMs >= REPLAY_KEYFRAME_INTERVAL_MS ||
                                                m_chunk.getRawSize() >= REPLAY_CHUNK_TARGET_BYTES);
    if (hasPicture(collector) && (m_chunk.isEmpty() || due)) {
        if (!m_chunk.isEmpty())
            handOver();
        startChunk(collector);
    }
    if (m_chunk.isEmpty())
        return; // nothing to start from yet
    if (!m_headerWritten && collector.getStatsCount() > 0) {
        m_header.names.clear();
        for (const PlayerStats& row : collector.getStats())
            m_header.names.emplace_back(row.name);
    }
    if (changeInTime > 0.0f)
        m_seconds += changeInTime < REPLAY_LONGEST_FRAME ? changeInTime : REPLAY_LONGEST_FRAME;
    const uint32_t timeMs = toMilliseconds(m_seconds);
    messageQueue copy = received;
    while (copy.hasMessages())
        m_leftOut += m_chunk.message(timeMs, copy.pop()) ? 0 : 1;
}

// The names are those of the first score table, which comes a second into a
// game: the header waits for the first chunk.
void ZEBReplayRecorder::handOver() {
    job next;
    if (!m_headerWritten) {
        next.prefix = encodeReplayHeader(m_header);
        m_headerWritten = true;
    }
    next.chunk = std::move(m_chunk);
    m_chunk = ZEBReplayChunkBuilder();
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_jobs.push_back(std::move(next));
    }
    m_wake.notify_one();
}

void ZEBReplayRecorder::finish() {
    if (!m_recording)
        return;
    m_recording = false;
    if (!m_chunk.isEmpty()) {
        m_chunk.end(toMilliseconds(m_seconds));
        handOver();
    }
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_writer.join();
    m_file.close();
    if (m_leftOut > 0)
        std::fprintf(stderr, "zeb: the recording %s leaves out messages too large to replay (%llu)\n",
                     m_path.c_str(), static_cast<unsigned long long>(m_leftOut));
    // A game that never showed itself leaves nothing that could not be played.
    if (m_written == 0)
        std::remove(m_path.c_str());
}

uint64_t ZEBReplayRecorder::getWrittenBytes() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_written;
}

bool ZEBReplayRecorder::hasFailed() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_failed;
}

void ZEBReplayRecorder::writeJobs() {
    std::unique_lock<std::mutex> guard(m_lock);
    while (true) {
        m_wake.wait(guard, [this] { return m_stopping || !m_jobs.empty(); });
        if (m_jobs.empty())
            return; // stopping, with everything written
        job next = std::move(m_jobs.front());
        m_jobs.pop_front();
        if (m_failed)
            continue;
        guard.unlock();
        const std::vector<uint8_t> packed = next.chunk.pack();
        bool good = !packed.empty();
        if (good) {
            m_file.write(reinterpret_cast<const char*>(next.prefix.data()),
                         static_cast<std::streamsize>(next.prefix.size()));
            m_file.write(reinterpret_cast<const char*>(packed.data()),
                         static_cast<std::streamsize>(packed.size()));
            good = static_cast<bool>(m_file.flush());
        }
        if (!good)
            std::fprintf(stderr, "zeb: the recording %s stopped: it cannot be written\n", m_path.c_str());
        guard.lock();
        m_failed = !good;
        m_written += good ? next.prefix.size() + packed.size() : 0;
    }
}
