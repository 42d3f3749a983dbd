#pragma once

#include "game/replay/replayformat.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

class ZEBGameStateCollector;
class messageQueue;

// A new chunk, opened by a keyframe, every few seconds of play: a replay can
// jump to any moment by playing at most that long from a keyframe.
constexpr uint32_t REPLAY_KEYFRAME_INTERVAL_MS = 5000;
constexpr size_t REPLAY_CHUNK_TARGET_BYTES = 1024 * 1024; // a busier chunk closes early
// A frame longer than this (the window was held, the machine slept) counts as
// this long: the game moved on no further between two frames than this either.
constexpr float REPLAY_LONGEST_FRAME = 1.0f;

// Records the game one client sees, on the game thread, without ever waiting
// for the disk: the frame's records go into a buffer, and each finished chunk
// is packed and written by a thread of the recorder's own.
class ZEBReplayRecorder {
  public:
    ZEBReplayRecorder() = default;
    ZEBReplayRecorder(const ZEBReplayRecorder&) = delete;
    ZEBReplayRecorder& operator=(const ZEBReplayRecorder&) = delete;
    ~ZEBReplayRecorder() { finish(); }

    // Opens path for a new recording; false (nothing recorded) when it cannot be written.
    bool start(const std::string& path, const std::string& level, const std::string& ownName);
    bool isRecording() const { return m_recording; }

    // Each client frame, before the collector takes the frame's messages: the
    // collector still shows the game as it stood before them.
    void noteFrame(float changeInTime, const messageQueue& received, const ZEBGameStateCollector& collector);

    // Marks the end, writes what is buffered and closes the file; waits for
    // the writing thread (a chunk at most).
    void finish();

    uint64_t getWrittenBytes(); // so far, by the writing thread
    bool hasFailed();           // a write failed: the recording stopped there
    // Messages left out, each larger than a replay may hold; said on standard error at the finish.
    uint64_t getLeftOutCount() const { return m_leftOut; }

  private:
    struct job {
        std::vector<uint8_t> prefix; // the header, before the first chunk
        ZEBReplayChunkBuilder chunk;
    };

    void startChunk(const ZEBGameStateCollector& collector);
    void handOver();
    void writeJobs();

    bool m_recording = false;
    bool m_headerWritten = false;
    ZEBReplayHeader m_header;
    ZEBReplayChunkBuilder m_chunk;
    double m_seconds = 0.0;
    uint32_t m_chunkStartMs = 0;
    uint64_t m_leftOut = 0;

    // Shared with the writing thread.
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<job> m_jobs;
    bool m_stopping = false;
    bool m_failed = false;
    uint64_t m_written = 0;
    std::ofstream m_file; // the writing thread's once started
    std::string m_path;
    std::thread m_writer;
};
