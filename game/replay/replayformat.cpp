#include "game/replay/replayformat.h"

#include "core/bytereader.h"
#include "core/displaytext.h"
#include "core/littleendian.h"
#include "game/client/zebgamestatecollector.h"
#include "game/rules/extensions.h"
#include "game/rules/protocol.h"
#include "platform/compress/zlibstream.h"

namespace {

constexpr uint8_t HEADER_MAGIC[4] = {'Z', 'E', 'B', 'R'};
constexpr uint8_t CHUNK_MAGIC[4] = {'Z', 'E', 'B', 'C'};
constexpr uint8_t RECORD_KEYFRAME = 'K';
constexpr uint8_t RECORD_MESSAGE = 'M';
constexpr uint8_t RECORD_END = 'E';
constexpr size_t MAX_LEVEL_NAME = 64;
constexpr size_t MESSAGE_RECORD_SIZE = 1 + 4 + 4 + 4; // kind, time, type, length: then the payload
constexpr size_t END_RECORD_SIZE = 1 + 4;

void putU32(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t bytes[4];
    writeU32(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

void putText(std::vector<uint8_t>& out, const std::string& text) {
    const size_t length = text.size() < MAX_REPLAY_TEXT ? text.size() : MAX_REPLAY_TEXT;
    out.push_back(static_cast<uint8_t>(length));
    out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
}

// A payload: its u32 length, at most MAX_RECORD_PAYLOAD, then the bytes.
bool readPayload(byteReader& in, int type, networkMessage& message) {
    std::span<const uint8_t> bytes;
    if (!in.block32(MAX_RECORD_PAYLOAD, bytes))
        return false;
    message = networkMessage(type, bytes.data(), static_cast<int>(bytes.size()));
    return true;
}

bool isLevelName(const std::string& name) {
    if (name.empty() || name.size() > MAX_LEVEL_NAME || name[0] == '.')
        return false;
    for (const char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '_' || c == '-' || c == '.';
        if (!plain)
            return false;
    }
    return true;
}

bool isPlayerName(const std::string& name) {
    return name.size() < PLAYER_NAME_SIZE && makeDisplayText(name) == name;
}

bool readHeader(byteReader& in, ZEBReplayHeader& header, std::string& error) {
    uint32_t version = 0;
    if (!in.expect(HEADER_MAGIC) || !in.u32(version)) {
        error = "is not a ZEB replay";
        return false;
    }
    if (version != REPLAY_VERSION) {
        error = "is a replay of version " + std::to_string(version) + ", this program reads version " +
                std::to_string(REPLAY_VERSION);
        return false;
    }
    uint8_t count = 0;
    error = "is damaged: its header is cut short or holds a bad name";
    if (!in.text8(header.level) || !isLevelName(header.level) || !in.text8(header.ownName) ||
        !isPlayerName(header.ownName) || !in.u8(count) || count > MAX_REPLAY_NAMES)
        return false;
    header.names.resize(count);
    for (std::string& name : header.names) {
        if (!in.text8(name) || !isPlayerName(name))
            return false;
    }
    error.clear();
    return true;
}

// The keyframe must be a picture a client can take as its join reply, a
// watching one included.
bool isKeyframe(const networkMessage& fullState, const networkMessage& stats) {
    FullStateHeader header;
    std::vector<ZEBGameStateElement> elements;
    std::vector<PlayerStats> rows;
    return readFullStateHeader(fullState.getData(), fullState.getDataSize(), &header) &&
           header.count <= MAX_COLLECTOR_ELEMENTS &&
           readFullState(fullState.getData(), fullState.getDataSize(), &header, &elements) &&
           (header.shipID == WATCHER_SHIP_ID || (header.shipID >= 0 && header.shipID < header.count)) &&
           readPlayerStats(stats.getData(), stats.getDataSize(), &rows);
}

bool readTime(byteReader& in, uint32_t lowest, uint32_t highest, uint32_t& timeMs) {
    return in.u32(timeMs) && timeMs >= lowest && timeMs <= highest;
}

} // namespace

void ZEBReplayChunkBuilder::putTime(uint8_t kind, uint32_t timeMs) {
    if (m_records.empty())
        m_startMs = timeMs;
    m_lastMs = timeMs;
    m_records.push_back(kind);
    putU32(m_records, timeMs);
}

void ZEBReplayChunkBuilder::putPayload(const networkMessage& message) {
    putU32(m_records, static_cast<uint32_t>(message.getDataSize()));
    if (message.getDataSize() > 0)
        m_records.insert(m_records.end(), message.getData(), message.getData() + message.getDataSize());
}

void ZEBReplayChunkBuilder::keyframe(uint32_t timeMs, const networkMessage& fullState,
                                     const networkMessage& stats) {
    putTime(RECORD_KEYFRAME, timeMs);
    putPayload(fullState);
    putPayload(stats);
}

bool ZEBReplayChunkBuilder::message(uint32_t timeMs, const networkMessage& message) {
    const size_t size = static_cast<size_t>(message.getDataSize());
    if (size > MAX_RECORD_PAYLOAD ||
        m_records.size() + MESSAGE_RECORD_SIZE + size + END_RECORD_SIZE > MAX_CHUNK_RAW_BYTES)
        return false;
    putTime(RECORD_MESSAGE, timeMs);
    putU32(m_records, static_cast<uint32_t>(message.getType()));
    putPayload(message);
    return true;
}

void ZEBReplayChunkBuilder::end(uint32_t timeMs) {
    putTime(RECORD_END, timeMs);
}

std::vector<uint8_t> ZEBReplayChunkBuilder::pack() const {
    const std::vector<uint8_t> stream = deflateBytes(m_records.data(), m_records.size());
    if (stream.empty() || m_records.size() > MAX_CHUNK_RAW_BYTES)
        return {};
    std::vector<uint8_t> chunk(CHUNK_MAGIC, CHUNK_MAGIC + 4);
    putU32(chunk, m_startMs);
    putU32(chunk, m_lastMs);
    putU32(chunk, static_cast<uint32_t>(m_records.size()));
    putU32(chunk, static_cast<uint32_t>(stream.size()));
    chunk.insert(chunk.end(), stream.begin(), stream.end());
    return chunk;
}

std::vector<uint8_t> encodeReplayHeader(const ZEBReplayHeader& header) {
    std::vector<uint8_t> out(HEADER_MAGIC, HEADER_MAGIC + 4);
    putU32(out, REPLAY_VERSION);
    putText(out, header.level);
    putText(out, header.ownName);
    const size_t count = header.names.size() < MAX_REPLAY_NAMES ? header.names.size() : MAX_REPLAY_NAMES;
    out.push_back(static_cast<uint8_t>(count));
    for (size_t i = 0; i < count; ++i)
        putText(out, header.names[i]);
    return out;
}

bool readReplayRecords(const uint8_t* data, size_t size, uint32_t startMs, uint32_t endMs,
                       ZEBReplayChunk& chunk, std::string& error) {
    chunk = ZEBReplayChunk();
    chunk.startMs = startMs;
    chunk.endMs = endMs;
    byteReader in(data, size);
    uint8_t kind = 0;
    uint32_t timeMs = 0;
    if (!in.u8(kind) || kind != RECORD_KEYFRAME || !readTime(in, startMs, startMs, timeMs) ||
        !readPayload(in, MSG_FULL_STATE, chunk.fullState) ||
        !readPayload(in, MSG_PLAYER_STATS, chunk.stats) || !isKeyframe(chunk.fullState, chunk.stats)) {
        error = "its keyframe is damaged";
        return false;
    }
    uint32_t lastMs = startMs;
    while (in.remaining() > 0) {
        uint32_t type = 0;
        ZEBReplayEvent event;
        if (chunk.ended || !in.u8(kind) || !readTime(in, lastMs, endMs, event.timeMs)) {
            error = "a record is out of order or past the chunk's end";
            return false;
        }
        lastMs = event.timeMs;
        if (kind == RECORD_END) {
            chunk.ended = true;
            continue;
        }
        if (kind != RECORD_MESSAGE || !in.u32(type) ||
            !readPayload(in, static_cast<int32_t>(type), event.message)) {
            error = "a message record is damaged";
            return false;
        }
        chunk.events.push_back(std::move(event));
    }
    if (lastMs != endMs) {
        error = "its records end before its last time";
        return false;
    }
    return true;
}

bool ZEBReplayFile::readChunkPlaces(size_t offset, std::string& error) {
    byteReader in(reinterpret_cast<const uint8_t*>(m_bytes.data()) + offset, m_bytes.size() - offset);
    uint32_t previousEnd = 0;
    while (in.remaining() > 0) {
        const size_t number = m_chunks.size() + 1;
        chunkPlace place;
        if (!in.expect(CHUNK_MAGIC) || !in.u32(place.startMs) || !in.u32(place.endMs) ||
            !in.u32(place.rawSize) || !in.u32(place.streamSize)) {
            error = "is damaged: chunk " + std::to_string(number) + " has no valid header";
            return false;
        }
        place.offset = m_bytes.size() - in.remaining();
        std::span<const uint8_t> stream;
        const bool after = m_chunks.empty() || place.startMs > m_chunks.back().startMs;
        if (!after || place.startMs < previousEnd || place.endMs < place.startMs ||
            place.endMs > MAX_REPLAY_MS || place.endMs - place.startMs > MAX_CHUNK_SPAN_MS ||
            place.rawSize > MAX_CHUNK_RAW_BYTES || !in.view(place.streamSize, stream)) {
            error = "is damaged: chunk " + std::to_string(number) + " is cut short, out of order or too long";
            return false;
        }
        previousEnd = place.endMs;
        m_chunks.push_back(place);
    }
    if (m_chunks.empty()) {
        error = "holds no recorded game";
        return false;
    }
    return true;
}

bool ZEBReplayFile::load(std::string bytes, std::string& error) {
    m_bytes = std::move(bytes);
    m_chunks.clear();
    m_header = ZEBReplayHeader();
    byteReader in(reinterpret_cast<const uint8_t*>(m_bytes.data()), m_bytes.size());
    if (!readHeader(in, m_header, error) || !readChunkPlaces(m_bytes.size() - in.remaining(), error))
        return false;
    ZEBReplayChunk first;
    return decodeChunk(0, first, error);
}

bool ZEBReplayFile::decodeChunk(int index, ZEBReplayChunk& chunk, std::string& error) const {
    const chunkPlace& place = m_chunks[static_cast<size_t>(index)];
    const std::string number = std::to_string(index + 1);
    std::vector<uint8_t> raw;
    if (!inflateBytes(reinterpret_cast<const uint8_t*>(m_bytes.data()) + place.offset, place.streamSize,
                      place.rawSize, raw)) {
        error = "is damaged: chunk " + number + " cannot be unpacked";
        return false;
    }
    std::string reason;
    if (!readReplayRecords(raw.data(), raw.size(), place.startMs, place.endMs, chunk, reason)) {
        error = "is damaged: in chunk " + number + ", " + reason;
        return false;
    }
    if (chunk.ended && index + 1 < getChunkCount()) {
        error = "is damaged: the game ends in chunk " + number + " of " + std::to_string(getChunkCount());
        return false;
    }
    return true;
}
