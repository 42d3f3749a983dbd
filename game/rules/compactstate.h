#pragma once

// The compact state stream between ZEB copies that both announce
// CAPABILITY_COMPACT (extensions.h). Instead of the game's own element
// updates, explosions and score tables, the host sends such a player at most
// one MSG_COMPACT_STATE a tick, unreliable, holding what changed since the
// state that player has acknowledged; the player answers MSG_COMPACT_ACK.
//
// MSG_COMPACT_STATE payload: sequence u16, then entries until the end. Each
// entry opens with a u16 head, the kind in its top 4 bits and an element id
// (or, for a score, the ship id of the row) in its low 12 bits:
//   motion   x u16, y u16, rotation u16, vx i16, vy i16  the element is visible and moves so;
//            its kind tells the controls a ship holds: 1 none, 5 left, 6 right,
//            7 thrust, 8 thrust and left, 9 thrust and right
//   hide     -                                           the element left play
//   explode  duration u8 (hundredths of a second), x u16, y u16, rotation u16
//   score    score i32                                   the row of that ship
//   controls -   (kinds 10 to 15, only to a copy that shares CAPABILITY_UPLINK)
//            the ship goes on from where the copy's guess has it, now holding
//            10 none, 11 left, 12 right, 13 thrust, 14 thrust and left,
//            15 thrust and right: a change of controls costs the head alone
// A datagram may hold no entry: while entries are not yet acknowledged the
// host sends one every tick, so that the next acknowledgement tells a loss.
// MSG_COMPACT_ACK payload: the newest sequence received u16, then a u32 whose
// bit i says that sequence newest - 1 - i was received too.
//
// Quantisation, from what a player sees: the default window shows the 20
// units of the play area on 700 pixels, so a position step of 20 / 65536
// units is a hundredth of a pixel; a rotation step of 360 / 65536 degrees
// moves a ship's nose by a thousandth of a pixel; a velocity step of 1 / 1024
// units a second takes a copy a hundredth of a pixel off in 20 seconds, far
// below the host's thresholds, so a drift from it is corrected long before it
// shows.

#include "core/maths/vector3.h"
#include "game/rules/zebgamestateelement.h"
#include "networklib/networkmessage.h"

#include <cstdint>
#include <vector>

constexpr int MSG_COMPACT_STATE = 17; // host to one player
constexpr int MSG_COMPACT_ACK = 18;   // player to host
constexpr uint32_t CAPABILITY_COMPACT = 1u << 2;

enum class compactKind : uint8_t { motion = 1, hide = 2, explode = 3, score = 4, controls = 5 };

constexpr int COMPACT_MAX_ID = 4095; // what the head's 12 bits can name
constexpr int COMPACT_HEADER_SIZE = 2;
constexpr int COMPACT_HEAD_SIZE = 2;
constexpr int COMPACT_ACK_SIZE = 6;
constexpr int COMPACT_MOTION_SIZE = 10; // position, rotation, velocity
constexpr int COMPACT_ACK_WINDOW = 32;  // earlier sequences an acknowledgement can name
// A datagram stays under a usual path MTU whatever the host has to say; what
// does not fit goes in the next one.
constexpr int COMPACT_MAX_PAYLOAD = 1000;

constexpr float COMPACT_POSITION_STEP = 20.0f / 65536.0f;
constexpr float COMPACT_ROTATION_STEP = 360.0f / 65536.0f;
constexpr float COMPACT_VELOCITY_STEP = 1.0f / 1024.0f;

struct CompactEntry {
    compactKind kind = compactKind::hide;
    int id = 0;
    vector3 position;      // motion, explode
    float rotation = 0.0f; // motion, explode: degrees from 0 to 360
    vector3 velocity;      // motion
    int turn = 0;          // motion of a ship: +1 left, -1 right
    bool thrust = false;   // motion of a ship
    float duration = 0.0f; // explode
    int32_t score = 0;     // score
};

struct CompactAck {
    uint16_t newest = 0;
    uint32_t earlier = 0; // bit i: newest - 1 - i received
};

// The value a copy holds once a quantity has crossed the wire, so that the
// host can keep exactly what its players hold.
float compactPosition(float value); // wrapped into the play area
float compactRotation(float degrees);
float compactVelocity(float value);
float compactDuration(float seconds);
// An entry as its receiver reads it: the values quantised.
CompactEntry quantised(const CompactEntry& entry);

// An element's motion as an entry carries it, in COMPACT_MOTION_SIZE bytes.
void writeCompactMotion(uint8_t* out, const vector3& position, float rotation, const vector3& velocity);
void readCompactMotion(const uint8_t* in, vector3* position, float* rotation, vector3* velocity);

int compactEntrySize(compactKind kind);
// What a received entry makes of the element a copy holds: a motion shows and
// places it, a hide or an explosion takes it out of play. Not for scores.
void applyCompactEntry(const CompactEntry& entry, ZEBGameStateElement* element);

// Builds a datagram entry by entry; refuses (false) an entry that would take
// it past COMPACT_MAX_PAYLOAD or whose id the head cannot carry.
class compactWriter {
  public:
    explicit compactWriter(uint16_t sequence);
    bool add(const CompactEntry& entry);
    bool isEmpty() const { return m_payload.size() == COMPACT_HEADER_SIZE; }
    networkMessage message() const;

  private:
    std::vector<uint8_t> m_payload;
};

// Reads a whole datagram; refuses (false, outputs untouched) one that is cut
// short inside an entry or holds a kind it does not know: controls entries
// only when the copy reads them.
bool readCompactState(const uint8_t* data, int size, uint16_t* sequence, std::vector<CompactEntry>* entries,
                      bool readsControls = false);

networkMessage writeCompactAck(const CompactAck& ack);
bool readCompactAck(const uint8_t* data, int size, CompactAck* out);

// Sequence numbers wrap: a is newer than b when it is less than half the range ahead.
bool isNewerSequence(uint16_t a, uint16_t b);
// Whether an acknowledgement says that sequence arrived.
bool acknowledges(const CompactAck& ack, uint16_t sequence);
