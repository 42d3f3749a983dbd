#pragma once

// game/replay: recordings of games. A copy records what its client receives,
// with the times it came, and now and then its whole picture of the game (a
// keyframe), so a replay can start anywhere near a keyframe. The file format
// is here; the recorder writes it off the game thread, the player shows it.
//
// A file is a header, then chunks until the end of the file; integers are
// little-endian. Each chunk starts after the one before it has started and
// ended: at least a millisecond later, so that no moment opens two chunks.
//   header: "ZEBR", version (u32), the level's file name, the recording
//           player's name, the count of names (u8) and the names; each text
//           a length (u8) and UTF-8 bytes
//   chunk:  "ZEBC", first and last time (u32 ms from the start), the length
//           of the packed records (u32) and of their zlib stream (u32), then
//           the stream.
// A chunk's records: first its keyframe, then messages, each in time order:
//   'K' time (u32), the full state (u32 length, bytes) and the score table
//       (u32 length, bytes), as the host's join reply and table carry them
//   'M' time (u32), message type (i32), payload (u32 length, bytes)
//   'E' time (u32): the game ended here; only last in the last chunk.

#include "networklib/networkmessage.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t REPLAY_VERSION = 1;
constexpr const char* REPLAY_FILE_SUFFIX = ".zebreplay";
constexpr size_t MAX_REPLAY_FILE_BYTES = 100u * 1024u * 1024u; // the whole folder's allowance
constexpr uint32_t MAX_CHUNK_RAW_BYTES = 8u * 1024u * 1024u;
// The largest message a recording holds, for the recorder and the reader alike:
// a larger one is left out of the recording (and counted), never written.
constexpr uint32_t MAX_RECORD_PAYLOAD = 512u * 1024u; // a full state of the largest game is 250 KB
constexpr uint32_t MAX_REPLAY_MS = 7u * 24u * 3600u * 1000u;
// A jump plays from the keyframe before it, frame by frame: chunks are short.
constexpr uint32_t MAX_CHUNK_SPAN_MS = 60000;
constexpr int MAX_REPLAY_NAMES = 64;
constexpr size_t MAX_REPLAY_TEXT = 255; // a text's length travels as one byte
constexpr size_t REPLAY_CHUNK_HEADER_SIZE = 4 + 4 + 4 + 4 + 4;

struct ZEBReplayHeader {
    std::string level;              // the level's file name, without folders
    std::string ownName;            // the player whose copy recorded the game
    std::vector<std::string> names; // the players in the game when the recording began
};

struct ZEBReplayEvent {
    uint32_t timeMs = 0;
    networkMessage message;
};

// One chunk, unpacked.
struct ZEBReplayChunk {
    uint32_t startMs = 0; // the keyframe's time
    uint32_t endMs = 0;
    networkMessage fullState; // the keyframe as the host's join reply and score table
    networkMessage stats;
    std::vector<ZEBReplayEvent> events;
    bool ended = false; // the game ended at endMs
};

// Writing: the records of one chunk, then the packed chunk.
class ZEBReplayChunkBuilder {
  public:
    void keyframe(uint32_t timeMs, const networkMessage& fullState, const networkMessage& stats);
    // False, and the message left out, when it is larger than a reader takes
    // or would make the chunk too large to unpack.
    bool message(uint32_t timeMs, const networkMessage& message);
    void end(uint32_t timeMs);

    bool isEmpty() const { return m_records.empty(); }
    size_t getRawSize() const { return m_records.size(); }
    // The chunk as it goes into the file; empty when it cannot be packed.
    std::vector<uint8_t> pack() const;

  private:
    void putTime(uint8_t kind, uint32_t timeMs);
    void putPayload(const networkMessage& message);

    std::vector<uint8_t> m_records;
    uint32_t m_startMs = 0;
    uint32_t m_lastMs = 0;
};

std::vector<uint8_t> encodeReplayHeader(const ZEBReplayHeader& header);

// Reading, with the care of the wire: every length and count is checked before
// the bytes are touched, and what does not fit the format is refused with a
// reason fit for one line ("is damaged: ...").
class ZEBReplayFile {
  public:
    // Takes the file's bytes and checks the header, every chunk's place and
    // the first chunk, unpacked; the others are unpacked as they are played.
    bool load(std::string bytes, std::string& error);

    const ZEBReplayHeader& getHeader() const { return m_header; }
    int getChunkCount() const { return static_cast<int>(m_chunks.size()); }
    uint32_t getChunkStart(int index) const { return m_chunks[static_cast<size_t>(index)].startMs; }
    uint32_t getDurationMs() const { return m_chunks.empty() ? 0 : m_chunks.back().endMs; }
    // Only the last chunk may say the game ended.
    bool decodeChunk(int index, ZEBReplayChunk& chunk, std::string& error) const;

  private:
    struct chunkPlace {
        uint32_t startMs = 0;
        uint32_t endMs = 0;
        size_t offset = 0; // of the stream within m_bytes
        uint32_t rawSize = 0;
        uint32_t streamSize = 0;
    };

    bool readChunkPlaces(size_t offset, std::string& error);

    std::string m_bytes;
    ZEBReplayHeader m_header;
    std::vector<chunkPlace> m_chunks;
};

// The chunk's records (raw, unpacked) into chunk; false with a reason.
bool readReplayRecords(const uint8_t* data, size_t size, uint32_t startMs, uint32_t endMs,
                       ZEBReplayChunk& chunk, std::string& error);
