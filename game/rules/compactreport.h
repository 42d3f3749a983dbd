#pragma once

// The player's half of the compact stream, between copies that both announce
// CAPABILITY_UPLINK (with CAPABILITY_COMPACT). Instead of the game's input and
// ship state every frame, the copy sends MSG_COMPACT_REPORT, unreliable, only
// when its controls change or when the host, carrying the ship on between
// reports by the controls last reported (ZEBMotionGuess), would drift past the
// thresholds of guessdrift.h; each report goes once more CONTROL_REPEAT_DELAY
// later unless another has gone meanwhile, and one goes at least every
// UPLINK_HEARTBEAT. The acknowledgement of the host's compact datagrams rides
// along when one is due; otherwise it goes alone (MSG_COMPACT_ACK), at once
// when a datagram was missed and else at most every COMPACT_ACK_INTERVAL. A
// copy that watches sends only acknowledgements and chat.
//
// MSG_COMPACT_REPORT payload: flags u8 (bit 0 fire, 1 thrust, 2 turn left,
// 3 turn right, 4 an acknowledgement follows, 5 the ship's motion follows;
// the other bits 0), then the acknowledgement (the layout of MSG_COMPACT_ACK),
// then the motion (x u16, y u16, rotation u16, vx i16, vy i16, as a compact
// motion entry has it). No motion: the copy holds no visible ship.

#include "core/maths/vector3.h"
#include "game/rules/compactstate.h"
#include "game/rules/zebgamestateelement.h"
#include "networklib/networkmessage.h"

#include <cstdint>

constexpr int MSG_COMPACT_REPORT = 21; // player to host
constexpr uint32_t CAPABILITY_UPLINK = 1u << 4;

constexpr float UPLINK_HEARTBEAT = 1.0f;
// Often enough that the host learns of arrivals well before it would take
// them as lost (COMPACT_RESEND_AFTER), seldom enough to cost little.
constexpr float COMPACT_ACK_INTERVAL = 0.1f;

constexpr int COMPACT_REPORT_MIN_SIZE = 1;
constexpr int COMPACT_REPORT_MAX_SIZE = 1 + COMPACT_ACK_SIZE + COMPACT_MOTION_SIZE;

struct CompactReport {
    bool fire = false;
    bool thrust = false;
    int turn = 0; // +1 left, -1 right
    bool hasAck = false;
    CompactAck ack;
    bool hasShip = false;
    vector3 position; // with hasShip, quantised as the host reads them
    float rotation = 0.0f;
    vector3 velocity;
};

// ship: the copy's own visible ship, or nullptr.
CompactReport makeCompactReport(bool fire, bool thrust, int turn, const ZEBGameStateElement* ship);
networkMessage writeCompactReport(const CompactReport& report);
// Refuses (false, output untouched) a payload whose size differs from what
// its flags announce, or with a flag no copy sets.
bool readCompactReport(const uint8_t* data, int size, CompactReport* out);
// The reported motion put on ship (visible).
void applyCompactReport(const CompactReport& report, ZEBGameStateElement* ship);
