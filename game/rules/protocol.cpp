#include "game/rules/protocol.h"

#include "core/displaytext.h"
#include "core/littleendian.h"
#include "game/rules/wiremaths.h"

#include <cstring>
#include <utility>

namespace {

// Offsets inside one stats row.
constexpr int ROW_NAME = 0;
constexpr int ROW_SHIP = 32;
constexpr int ROW_SCORE = 36;
constexpr int ROW_COLOUR = 40;
static_assert(ROW_COLOUR + WIRE_COLOUR4_SIZE == PLAYER_STATS_ROW_SIZE, "colour ends the row");

// Offsets inside an explosion.
constexpr int EXPLOSION_ID = 0;
constexpr int EXPLOSION_DURATION = 4;
constexpr int EXPLOSION_POSITION = 8;
constexpr int EXPLOSION_ROTATION = 20;
static_assert(EXPLOSION_ROTATION + 4 == EXPLOSION_SIZE, "rotation ends the explosion");

bool hasExactly(const uint8_t* data, int size, int expected) {
    return size == expected && (data != nullptr || size == 0);
}

// Header plus count records must account for every byte, no more, no less.
bool countMatches(int size, int header, int count, int record) {
    if (count < 0)
        return false;
    return static_cast<int64_t>(header) + static_cast<int64_t>(count) * record == size;
}

networkMessage makeMessage(int type, const std::vector<uint8_t>& payload) {
    return networkMessage(type, payload.data(), static_cast<int>(payload.size()));
}

void writeName(uint8_t* out, const char (&name)[PLAYER_NAME_SIZE]) {
    std::memcpy(out, name, PLAYER_NAME_SIZE);
}

void readName(const uint8_t* in, char (&name)[PLAYER_NAME_SIZE]) {
    std::memcpy(name, in, PLAYER_NAME_SIZE);
    name[PLAYER_NAME_SIZE - 1] = '\0'; // a sender that left out the terminator is cut short
}

} // namespace

void PlayerInput::write(uint8_t* buffer) const {
    std::memset(buffer, 0, PLAYER_INPUT_SIZE);
    buffer[0] = up ? 1 : 0;
    buffer[1] = down ? 1 : 0;
    buffer[2] = left ? 1 : 0;
    buffer[3] = right ? 1 : 0;
    buffer[4] = fire ? 1 : 0;
}

void PlayerInput::read(const uint8_t* buffer) {
    up = buffer[0] == 1;
    down = buffer[1] == 1;
    left = buffer[2] == 1;
    right = buffer[3] == 1;
    fire = buffer[4] == 1;
}

bool PlayerInput::read(const uint8_t* buffer, int size) {
    if (!hasExactly(buffer, size, PLAYER_INPUT_SIZE))
        return false;
    read(buffer);
    return true;
}

void copyPlayerName(char (&field)[PLAYER_NAME_SIZE], const char* name) {
    std::memset(field, 0, PLAYER_NAME_SIZE);
    if (name != nullptr)
        std::strncpy(field, name, PLAYER_NAME_SIZE - 1);
}

int PartialRecord::getID() const {
    return readI32(bytes.data());
}

networkMessage writeJoinRequest(const char* name) {
    JoinRequest request;
    copyPlayerName(request.name, name);
    std::vector<uint8_t> payload(JOIN_REQUEST_SIZE);
    writeName(payload.data(), request.name);
    return makeMessage(MSG_JOIN_REQUEST, payload);
}

networkMessage writeFullState(const std::vector<ZEBGameStateElement>& elements, int shipID) {
    const int count = static_cast<int>(elements.size());
    std::vector<uint8_t> payload(fullStateSize(count));
    writeI32(payload.data(), count);
    writeI32(payload.data() + 4, shipID);
    uint8_t* record = payload.data() + FULL_STATE_HEADER_SIZE;
    for (const ZEBGameStateElement& element : elements) {
        element.writeFull(record);
        record += FULL_RECORD_SIZE;
    }
    return makeMessage(MSG_FULL_STATE, payload);
}

networkMessage writeNewElement(const ZEBGameStateElement& element) {
    std::vector<uint8_t> payload(NEW_ELEMENT_SIZE);
    element.writeFull(payload.data());
    return makeMessage(MSG_NEW_ELEMENT, payload);
}

networkMessage writeElementUpdate(const ZEBGameStateElement& element) {
    std::vector<uint8_t> payload(ELEMENT_UPDATE_SIZE);
    writeI32(payload.data(), element.getUniqueID());
    element.writePartial(payload.data() + 4);
    return makeMessage(MSG_ELEMENT_UPDATE, payload);
}

networkMessage writePlayerInput(const PlayerInput& input) {
    std::vector<uint8_t> payload(PLAYER_INPUT_SIZE);
    input.write(payload.data());
    return makeMessage(MSG_PLAYER_INPUT, payload);
}

networkMessage writePlayerState(const ZEBGameStateElement& ship) {
    std::vector<uint8_t> payload(PLAYER_STATE_SIZE);
    ship.writePartial(payload.data());
    return makeMessage(MSG_PLAYER_STATE, payload);
}

networkMessage writePlayerStats(const std::vector<PlayerStats>& rows) {
    const int count = static_cast<int>(rows.size());
    std::vector<uint8_t> payload(playerStatsSize(count));
    writeI32(payload.data(), count);
    uint8_t* row = payload.data() + PLAYER_STATS_HEADER_SIZE;
    for (const PlayerStats& stats : rows) {
        writeName(row + ROW_NAME, stats.name);
        writeI32(row + ROW_SHIP, stats.uniqueID);
        writeI32(row + ROW_SCORE, stats.score);
        writeColour4(row + ROW_COLOUR, stats.colour);
        row += PLAYER_STATS_ROW_SIZE;
    }
    return makeMessage(MSG_PLAYER_STATS, payload);
}

networkMessage writeExplosion(const Explosion& explosion) {
    std::vector<uint8_t> payload(EXPLOSION_SIZE);
    writeI32(payload.data() + EXPLOSION_ID, explosion.elementID);
    writeF32(payload.data() + EXPLOSION_DURATION, explosion.duration);
    writeVector3(payload.data() + EXPLOSION_POSITION, explosion.position);
    writeF32(payload.data() + EXPLOSION_ROTATION, explosion.rotation);
    return makeMessage(MSG_EXPLOSION, payload);
}

bool readJoinRequest(const uint8_t* data, int size, JoinRequest* out) {
    if (out == nullptr || !hasExactly(data, size, JOIN_REQUEST_SIZE))
        return false;
    readName(data, out->name);
    // The name goes on to every player's table and the host's output: it is
    // made safe here, where it enters, by the rule every copy shows names by.
    // Bytes after the terminator carry no meaning and are cleared.
    copyPlayerName(out->name, makeDisplayText(out->name, std::strlen(out->name)).c_str());
    return true;
}

bool readFullStateHeader(const uint8_t* data, int size, FullStateHeader* out) {
    if (out == nullptr || data == nullptr || size < FULL_STATE_HEADER_SIZE)
        return false;
    const int32_t count = readI32(data);
    if (!countMatches(size, FULL_STATE_HEADER_SIZE, count, FULL_RECORD_SIZE))
        return false;
    out->count = count;
    out->shipID = readI32(data + 4);
    return true;
}

bool readFullState(const uint8_t* data, int size, FullStateHeader* header,
                   std::vector<ZEBGameStateElement>* elements) {
    FullStateHeader read;
    if (header == nullptr || elements == nullptr || !readFullStateHeader(data, size, &read))
        return false;
    elements->reserve(elements->size() + read.count);
    const uint8_t* record = data + FULL_STATE_HEADER_SIZE;
    for (int i = 0; i < read.count; ++i) {
        ZEBGameStateElement element;
        element.readFull(record);
        elements->push_back(element);
        record += FULL_RECORD_SIZE;
    }
    *header = read;
    return true;
}

bool readNewElement(const uint8_t* data, int size, ZEBGameStateElement* out) {
    if (out == nullptr || !hasExactly(data, size, NEW_ELEMENT_SIZE))
        return false;
    out->readFull(data);
    return true;
}

bool readElementUpdate(const uint8_t* data, int size, ElementUpdate* out) {
    if (out == nullptr || !hasExactly(data, size, ELEMENT_UPDATE_SIZE))
        return false;
    const int32_t elementID = readI32(data);
    // The record repeats the id; applying one whose ids differ would give an
    // element an id other than its index.
    if (readI32(data + 4) != elementID)
        return false;
    out->elementID = elementID;
    std::memcpy(out->record.bytes.data(), data + 4, PARTIAL_RECORD_SIZE);
    return true;
}

bool readPlayerInput(const uint8_t* data, int size, PlayerInput* out) {
    return out != nullptr && out->read(data, size);
}

bool readPlayerState(const uint8_t* data, int size, PartialRecord* out) {
    if (out == nullptr || !hasExactly(data, size, PLAYER_STATE_SIZE))
        return false;
    std::memcpy(out->bytes.data(), data, PARTIAL_RECORD_SIZE);
    return true;
}

bool readPlayerStats(const uint8_t* data, int size, std::vector<PlayerStats>* rows) {
    if (rows == nullptr || data == nullptr || size < PLAYER_STATS_HEADER_SIZE)
        return false;
    const int32_t count = readI32(data);
    if (!countMatches(size, PLAYER_STATS_HEADER_SIZE, count, PLAYER_STATS_ROW_SIZE))
        return false;
    std::vector<PlayerStats> table(count);
    const uint8_t* row = data + PLAYER_STATS_HEADER_SIZE;
    for (PlayerStats& stats : table) {
        readName(row + ROW_NAME, stats.name);
        stats.uniqueID = readI32(row + ROW_SHIP);
        stats.score = readI32(row + ROW_SCORE);
        stats.colour = readColour4(row + ROW_COLOUR);
        row += PLAYER_STATS_ROW_SIZE;
    }
    *rows = std::move(table);
    return true;
}

bool readExplosion(const uint8_t* data, int size, Explosion* out) {
    if (out == nullptr || !hasExactly(data, size, EXPLOSION_SIZE))
        return false;
    out->elementID = readI32(data + EXPLOSION_ID);
    out->duration = readF32(data + EXPLOSION_DURATION);
    out->position = readVector3(data + EXPLOSION_POSITION);
    out->rotation = readF32(data + EXPLOSION_ROTATION);
    return true;
}
