#include "game/rules/compactreport.h"

#include "core/littleendian.h"

namespace {

enum reportFlag : uint8_t {
    FLAG_FIRE = 1u << 0,
    FLAG_THRUST = 1u << 1,
    FLAG_LEFT = 1u << 2,
    FLAG_RIGHT = 1u << 3,
    FLAG_ACK = 1u << 4,
    FLAG_SHIP = 1u << 5,
};
constexpr uint8_t KNOWN_FLAGS = FLAG_FIRE | FLAG_THRUST | FLAG_LEFT | FLAG_RIGHT | FLAG_ACK | FLAG_SHIP;

uint8_t flagsOf(const CompactReport& report) {
    uint8_t flags = 0;
    flags |= report.fire ? FLAG_FIRE : 0;
    flags |= report.thrust ? FLAG_THRUST : 0;
    flags |= report.turn > 0 ? FLAG_LEFT : (report.turn < 0 ? FLAG_RIGHT : 0);
    flags |= report.hasAck ? FLAG_ACK : 0;
    flags |= report.hasShip ? FLAG_SHIP : 0;
    return flags;
}

int sizeOf(uint8_t flags) {
    return 1 + ((flags & FLAG_ACK) != 0 ? COMPACT_ACK_SIZE : 0) +
           ((flags & FLAG_SHIP) != 0 ? COMPACT_MOTION_SIZE : 0);
}

} // namespace

CompactReport makeCompactReport(bool fire, bool thrust, int turn, const ZEBGameStateElement* ship) {
    CompactReport report;
    report.fire = fire;
    report.thrust = thrust;
    report.turn = turn > 0 ? 1 : (turn < 0 ? -1 : 0);
    if (ship != nullptr && ship->isVisible()) {
        CompactEntry motion;
        motion.position = ship->getPosition();
        motion.rotation = ship->getRotation();
        motion.velocity = ship->getVelocity();
        motion = quantised(motion);
        report.hasShip = true;
        report.position = motion.position;
        report.rotation = motion.rotation;
        report.velocity = motion.velocity;
    }
    return report;
}

networkMessage writeCompactReport(const CompactReport& report) {
    uint8_t payload[COMPACT_REPORT_MAX_SIZE] = {};
    const uint8_t flags = flagsOf(report);
    payload[0] = flags;
    int at = 1;
    if (report.hasAck) {
        writeU16(payload + at, report.ack.newest);
        writeU32(payload + at + 2, report.ack.earlier);
        at += COMPACT_ACK_SIZE;
    }
    if (report.hasShip) {
        writeCompactMotion(payload + at, report.position, report.rotation, report.velocity);
        at += COMPACT_MOTION_SIZE;
    }
    return networkMessage(MSG_COMPACT_REPORT, payload, at);
}

bool readCompactReport(const uint8_t* data, int size, CompactReport* out) {
    if (data == nullptr || out == nullptr || size < COMPACT_REPORT_MIN_SIZE || size > COMPACT_REPORT_MAX_SIZE)
        return false;
    const uint8_t flags = data[0];
    if ((flags & ~KNOWN_FLAGS) != 0 || ((flags & FLAG_LEFT) != 0 && (flags & FLAG_RIGHT) != 0) ||
        size != sizeOf(flags))
        return false;
    CompactReport report;
    report.fire = (flags & FLAG_FIRE) != 0;
    report.thrust = (flags & FLAG_THRUST) != 0;
    report.turn = (flags & FLAG_LEFT) != 0 ? 1 : ((flags & FLAG_RIGHT) != 0 ? -1 : 0);
    int at = 1;
    if ((flags & FLAG_ACK) != 0) {
        report.hasAck = true;
        report.ack.newest = readU16(data + at);
        report.ack.earlier = readU32(data + at + 2);
        at += COMPACT_ACK_SIZE;
    }
    if ((flags & FLAG_SHIP) != 0) {
        report.hasShip = true;
        readCompactMotion(data + at, &report.position, &report.rotation, &report.velocity);
    }
    *out = report;
    return true;
}

void applyCompactReport(const CompactReport& report, ZEBGameStateElement* ship) {
    ship->setPosition(report.position);
    ship->setRotation(report.rotation);
    ship->setVelocity(report.velocity);
}
