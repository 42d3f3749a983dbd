#pragma once

// game/rules: what the host and every client share, compiled into both so that
// both compute alike: the protocol's messages and their exact-size readers and
// writers, the element record, the line shapes and their collision test, the
// play area with its wrap-around, and the motion constants. Nothing here knows
// whether it runs on the host or on a client.

#include "core/maths/colour4.h"
#include "core/maths/vector3.h"
#include "game/rules/zebgamestateelement.h"
#include "networklib/networkmessage.h"

#include <array>
#include <cstdint>
#include <vector>

// The game's messages: type numbers and payload layouts. Integers are signed
// 32-bit (player ids and reason codes unsigned), reals IEEE single, all
// little-endian; a bool is one byte 0 or 1; no padding, no length fields.
// Every reader refuses (returns false, output untouched) a payload whose size
// differs from its layout, or whose count disagrees with its size.

// 1 to 3 are kept for the transport's own events (networkEvent), which reach
// the game beside its messages and show under these numbers in the message
// log; no peer message uses them.
constexpr int MSG_PLAYER_CREATED = 1;     // host: a player connected
constexpr int MSG_PLAYER_DESTROYED = 2;   // host: a player left
constexpr int MSG_SESSION_TERMINATED = 3; // client: the session ended
constexpr int MSG_JOIN_REQUEST = 5;       // client to server
constexpr int MSG_FULL_STATE = 6;         // server to all
constexpr int MSG_NEW_ELEMENT = 7;        // server to all
constexpr int MSG_ELEMENT_UPDATE = 8;     // server to all
constexpr int MSG_PLAYER_INPUT = 9;       // client to server
constexpr int MSG_PLAYER_STATE = 10;      // client to server
constexpr int MSG_PLAYER_STATS = 11;      // server to all
constexpr int MSG_EXPLOSION = 12;         // server to all

constexpr int PLAYER_NAME_SIZE = 32; // zero-terminated, at most 31 characters
constexpr int JOIN_REQUEST_SIZE = PLAYER_NAME_SIZE;
constexpr int FULL_STATE_HEADER_SIZE = 8; // then FULL_RECORD_SIZE per element
constexpr int NEW_ELEMENT_SIZE = FULL_RECORD_SIZE;
constexpr int ELEMENT_UPDATE_SIZE = 4 + PARTIAL_RECORD_SIZE;
constexpr int PLAYER_INPUT_SIZE = 5;
constexpr int PLAYER_STATE_SIZE = PARTIAL_RECORD_SIZE;
constexpr int PLAYER_STATS_HEADER_SIZE = 4; // then PLAYER_STATS_ROW_SIZE per row
constexpr int PLAYER_STATS_ROW_SIZE = PLAYER_NAME_SIZE + 4 + 4 + 16;
constexpr int EXPLOSION_SIZE = 4 + 4 + 12 + 4;
static_assert(JOIN_REQUEST_SIZE == 32, "join request layout");
static_assert(ELEMENT_UPDATE_SIZE == 37, "element update layout");
static_assert(PLAYER_INPUT_SIZE == 5, "player input layout");
static_assert(PLAYER_STATS_ROW_SIZE == 56, "player stats row layout");
static_assert(EXPLOSION_SIZE == 24, "explosion layout");

constexpr int fullStateSize(int count) {
    return FULL_STATE_HEADER_SIZE + FULL_RECORD_SIZE * count;
}
constexpr int playerStatsSize(int count) {
    return PLAYER_STATS_HEADER_SIZE + PLAYER_STATS_ROW_SIZE * count;
}

// The five control flags; on the wire one byte each in this order.
struct PlayerInput {
    bool up = false;    // thrust
    bool down = false;  // never set
    bool left = false;  // rotation increases
    bool right = false; // rotation decreases
    bool fire = false;

    void clear() { *this = PlayerInput(); }
    static constexpr int getSize() { return PLAYER_INPUT_SIZE; }
    void write(uint8_t* buffer) const; // PLAYER_INPUT_SIZE bytes: 1 for a set flag, else 0
    void read(const uint8_t* buffer);  // a flag is set exactly when its byte is 1
    bool read(const uint8_t* buffer, int size);
};

// A name field: always zero-terminated, the bytes after the terminator zero.
void copyPlayerName(char (&field)[PLAYER_NAME_SIZE], const char* name);

struct JoinRequest {
    char name[PLAYER_NAME_SIZE] = {};
};

struct FullStateHeader {
    int32_t count = 0;  // full records that follow
    int32_t shipID = 0; // the ship of the player who has just joined
};

// A partial record as received, kept as bytes until the receiver has decided
// which element, if any, it may change.
struct PartialRecord {
    std::array<uint8_t, PARTIAL_RECORD_SIZE> bytes = {};

    int getID() const; // the id written in the record
    void applyTo(ZEBGameStateElement* element) const { element->readPartial(bytes.data()); }
};

struct ElementUpdate {
    int32_t elementID = 0;
    PartialRecord record; // its id equals elementID
};

// One row of the score table (the wire row of MSG_PLAYER_STATS).
struct PlayerStats {
    char name[PLAYER_NAME_SIZE] = {};
    int32_t uniqueID = 0; // the player's ship element
    int32_t score = 0;
    colour4 colour;
};

struct Explosion {
    int32_t elementID = 0;
    float duration = 0.0f; // seconds
    vector3 position;
    float rotation = 0.0f; // degrees
};

// Writers: a message of the type with its payload.
networkMessage writeJoinRequest(const char* name); // at most 31 characters are kept
networkMessage writeFullState(const std::vector<ZEBGameStateElement>& elements, int shipID);
networkMessage writeNewElement(const ZEBGameStateElement& element);
networkMessage writeElementUpdate(const ZEBGameStateElement& element);
networkMessage writePlayerInput(const PlayerInput& input);
networkMessage writePlayerState(const ZEBGameStateElement& ship);
networkMessage writePlayerStats(const std::vector<PlayerStats>& rows);
networkMessage writeExplosion(const Explosion& explosion);

// Readers of a payload (data, size in bytes). False: refused, output unchanged.
// The name is terminated within 32 bytes and made safe to show (displaytext.h).
bool readJoinRequest(const uint8_t* data, int size, JoinRequest* out);
bool readFullStateHeader(const uint8_t* data, int size, FullStateHeader* out);
// Appends the header's count of elements to *elements (nothing when refused).
bool readFullState(const uint8_t* data, int size, FullStateHeader* header,
                   std::vector<ZEBGameStateElement>* elements);
bool readNewElement(const uint8_t* data, int size, ZEBGameStateElement* out);
bool readElementUpdate(const uint8_t* data, int size, ElementUpdate* out); // refuses differing ids
bool readPlayerInput(const uint8_t* data, int size, PlayerInput* out);
bool readPlayerState(const uint8_t* data, int size, PartialRecord* out);
// Replaces *rows with the payload's rows (unchanged when refused).
bool readPlayerStats(const uint8_t* data, int size, std::vector<PlayerStats>* rows);
bool readExplosion(const uint8_t* data, int size, Explosion* out);
