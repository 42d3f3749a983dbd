#include "game/rules/compactstate.h"

#include "core/littleendian.h"
#include "game/rules/playarea.h"

#include <cmath>

namespace {

constexpr int HEAD_ID_BITS = 12;
constexpr int DURATION_STEPS_PER_SECOND = 100;

// Steps of a value that wraps round a range of 65536 steps.
uint16_t wrappedSteps(double value, double origin, double step) {
    if (!std::isfinite(value))
        return 0;
    const double steps = std::floor((value - origin) / step + 0.5);
    return static_cast<uint16_t>(static_cast<int64_t>(std::fmod(steps, 65536.0) + 65536.0) & 0xFFFF);
}

uint16_t positionSteps(float value) {
    return wrappedSteps(value, -PLAY_AREA_HALF_WIDTH, COMPACT_POSITION_STEP);
}
float positionOf(uint16_t steps) {
    return static_cast<float>(steps * static_cast<double>(COMPACT_POSITION_STEP) - PLAY_AREA_HALF_WIDTH);
}

uint16_t rotationSteps(float degrees) {
    return wrappedSteps(degrees, 0.0, COMPACT_ROTATION_STEP);
}
float rotationOf(uint16_t steps) {
    return static_cast<float>(steps * static_cast<double>(COMPACT_ROTATION_STEP));
}

int16_t velocitySteps(float value) {
    if (!std::isfinite(value))
        return 0;
    const double steps = std::floor(value / COMPACT_VELOCITY_STEP + 0.5);
    return static_cast<int16_t>(steps > 32767.0 ? 32767.0 : (steps < -32768.0 ? -32768.0 : steps));
}
float velocityOf(int16_t steps) {
    return static_cast<float>(steps * static_cast<double>(COMPACT_VELOCITY_STEP));
}

uint8_t durationSteps(float seconds) {
    if (!(seconds > 0.0f))
        return 0;
    const float steps = std::floor(seconds * DURATION_STEPS_PER_SECOND + 0.5f);
    return static_cast<uint8_t>(steps > 255.0f ? 255.0f : steps);
}

void writeI16(uint8_t* out, int16_t value) {
    writeU16(out, static_cast<uint16_t>(value));
}
int16_t readI16(const uint8_t* in) {
    return static_cast<int16_t>(readU16(in));
}

// A motion's head kind also tells the controls: 1 none, then from 5 on.
constexpr int MOTION_WITH_CONTROLS = 5;
constexpr int MOTION_LAST_KIND = 9;
constexpr int CONTROLS_FIRST_KIND = 10;
constexpr int CONTROLS_LAST_KIND = 15;
constexpr int TURNS[] = {0, 1, -1, 0, 1, -1}; // by controls code: none, left, right, then with thrust

int controlsCode(const CompactEntry& entry) {
    const int turn = entry.turn > 0 ? 1 : (entry.turn < 0 ? 2 : 0);
    return turn + (entry.thrust ? 3 : 0);
}

int headKind(const CompactEntry& entry) {
    if (entry.kind == compactKind::controls)
        return CONTROLS_FIRST_KIND + controlsCode(entry);
    if (entry.kind != compactKind::motion || (entry.turn == 0 && !entry.thrust))
        return static_cast<int>(entry.kind);
    const int code = controlsCode(entry); // 1, 2 without thrust; 3, 4, 5 with it
    return code < 3 ? MOTION_WITH_CONTROLS + code - 1 : MOTION_WITH_CONTROLS + 2 + code - 3;
}

// Fills kind and controls from a head kind; false for a kind no copy knows.
bool readHeadKind(int kind, CompactEntry& entry, bool readsControls) {
    if (kind >= static_cast<int>(compactKind::motion) && kind <= static_cast<int>(compactKind::score)) {
        entry.kind = static_cast<compactKind>(kind);
        return true;
    }
    if (readsControls && kind >= CONTROLS_FIRST_KIND && kind <= CONTROLS_LAST_KIND) {
        entry.kind = compactKind::controls;
        entry.turn = TURNS[kind - CONTROLS_FIRST_KIND];
        entry.thrust = kind - CONTROLS_FIRST_KIND >= 3;
        return true;
    }
    if (kind < MOTION_WITH_CONTROLS || kind > MOTION_LAST_KIND)
        return false;
    const int code = kind - MOTION_WITH_CONTROLS + 1; // left, right, then with thrust
    entry.kind = compactKind::motion;
    entry.turn = TURNS[code];
    entry.thrust = code >= 3;
    return true;
}

void writePlace(uint8_t* out, const vector3& position, float rotation) {
    writeU16(out, positionSteps(position.x));
    writeU16(out + 2, positionSteps(position.y));
    writeU16(out + 4, rotationSteps(rotation));
}

void readPlace(const uint8_t* in, CompactEntry& entry) {
    entry.position = vector3(positionOf(readU16(in)), positionOf(readU16(in + 2)), 0.0f);
    entry.rotation = rotationOf(readU16(in + 4));
}

} // namespace

void writeCompactMotion(uint8_t* out, const vector3& position, float rotation, const vector3& velocity) {
    writePlace(out, position, rotation);
    writeI16(out + 6, velocitySteps(velocity.x));
    writeI16(out + 8, velocitySteps(velocity.y));
}

void readCompactMotion(const uint8_t* in, vector3* position, float* rotation, vector3* velocity) {
    *position = vector3(positionOf(readU16(in)), positionOf(readU16(in + 2)), 0.0f);
    *rotation = rotationOf(readU16(in + 4));
    *velocity = vector3(velocityOf(readI16(in + 6)), velocityOf(readI16(in + 8)), 0.0f);
}

float compactPosition(float value) {
    return positionOf(positionSteps(value));
}
float compactRotation(float degrees) {
    return rotationOf(rotationSteps(degrees));
}
float compactVelocity(float value) {
    return velocityOf(velocitySteps(value));
}
float compactDuration(float seconds) {
    return static_cast<float>(durationSteps(seconds)) / DURATION_STEPS_PER_SECOND;
}

CompactEntry quantised(const CompactEntry& entry) {
    CompactEntry out = entry;
    out.position = vector3(compactPosition(entry.position.x), compactPosition(entry.position.y), 0.0f);
    out.rotation = compactRotation(entry.rotation);
    out.velocity = vector3(compactVelocity(entry.velocity.x), compactVelocity(entry.velocity.y), 0.0f);
    out.duration = compactDuration(entry.duration);
    return out;
}

int compactEntrySize(compactKind kind) {
    switch (kind) {
    case compactKind::motion:
        return COMPACT_HEAD_SIZE + COMPACT_MOTION_SIZE;
    case compactKind::hide:
    case compactKind::controls:
        return COMPACT_HEAD_SIZE;
    case compactKind::explode:
        return COMPACT_HEAD_SIZE + 7;
    case compactKind::score:
        return COMPACT_HEAD_SIZE + 4;
    }
    return 0;
}

void applyCompactEntry(const CompactEntry& entry, ZEBGameStateElement* element) {
    switch (entry.kind) {
    case compactKind::motion:
        element->setPosition(entry.position);
        element->setRotation(entry.rotation);
        element->setVelocity(entry.velocity);
        element->setVisible(true);
        break;
    case compactKind::hide:
        element->setVisible(false);
        break;
    case compactKind::explode:
        element->startExplosion(entry.duration, entry.position, entry.rotation);
        break;
    case compactKind::score:
    case compactKind::controls:
        break;
    }
}

compactWriter::compactWriter(uint16_t sequence) : m_payload(COMPACT_HEADER_SIZE) {
    writeU16(m_payload.data(), sequence);
}

bool compactWriter::add(const CompactEntry& entry) {
    const int size = compactEntrySize(entry.kind);
    if (size == 0 || entry.id < 0 || entry.id > COMPACT_MAX_ID ||
        static_cast<int>(m_payload.size()) + size > COMPACT_MAX_PAYLOAD)
        return false;
    const size_t at = m_payload.size();
    m_payload.resize(at + static_cast<size_t>(size));
    uint8_t* out = m_payload.data() + at;
    writeU16(out, static_cast<uint16_t>((static_cast<unsigned>(headKind(entry)) << HEAD_ID_BITS) |
                                        static_cast<unsigned>(entry.id)));
    out += COMPACT_HEAD_SIZE;
    switch (entry.kind) {
    case compactKind::motion:
        writeCompactMotion(out, entry.position, entry.rotation, entry.velocity);
        break;
    case compactKind::explode:
        out[0] = durationSteps(entry.duration);
        writePlace(out + 1, entry.position, entry.rotation);
        break;
    case compactKind::score:
        writeI32(out, entry.score);
        break;
    case compactKind::hide:
    case compactKind::controls:
        break;
    }
    return true;
}

networkMessage compactWriter::message() const {
    return networkMessage(MSG_COMPACT_STATE, m_payload.data(), static_cast<int>(m_payload.size()));
}

bool readCompactState(const uint8_t* data, int size, uint16_t* sequence, std::vector<CompactEntry>* entries,
                      bool readsControls) {
    if (data == nullptr || sequence == nullptr || entries == nullptr || size < COMPACT_HEADER_SIZE ||
        size > COMPACT_MAX_PAYLOAD)
        return false;
    std::vector<CompactEntry> read;
    int at = COMPACT_HEADER_SIZE;
    while (at < size) {
        if (size - at < COMPACT_HEAD_SIZE)
            return false;
        const uint16_t head = readU16(data + at);
        CompactEntry& entry = read.emplace_back();
        if (!readHeadKind(head >> HEAD_ID_BITS, entry, readsControls))
            return false;
        entry.id = head & COMPACT_MAX_ID;
        const int entrySize = compactEntrySize(entry.kind);
        if (size - at < entrySize)
            return false;
        const uint8_t* in = data + at + COMPACT_HEAD_SIZE;
        if (entry.kind == compactKind::motion) {
            readCompactMotion(in, &entry.position, &entry.rotation, &entry.velocity);
        } else if (entry.kind == compactKind::explode) {
            entry.duration = static_cast<float>(in[0]) / DURATION_STEPS_PER_SECOND;
            readPlace(in + 1, entry);
        } else if (entry.kind == compactKind::score) {
            entry.score = readI32(in);
        }
        at += entrySize;
    }
    *sequence = readU16(data);
    entries->swap(read);
    return true;
}

networkMessage writeCompactAck(const CompactAck& ack) {
    uint8_t payload[COMPACT_ACK_SIZE];
    writeU16(payload, ack.newest);
    writeU32(payload + 2, ack.earlier);
    return networkMessage(MSG_COMPACT_ACK, payload, COMPACT_ACK_SIZE);
}

bool readCompactAck(const uint8_t* data, int size, CompactAck* out) {
    if (data == nullptr || out == nullptr || size != COMPACT_ACK_SIZE)
        return false;
    out->newest = readU16(data);
    out->earlier = readU32(data + 2);
    return true;
}

bool isNewerSequence(uint16_t a, uint16_t b) {
    const uint16_t ahead = static_cast<uint16_t>(a - b);
    return ahead != 0 && ahead < 0x8000;
}

bool acknowledges(const CompactAck& ack, uint16_t sequence) {
    if (sequence == ack.newest)
        return true;
    const uint16_t behind = static_cast<uint16_t>(ack.newest - sequence);
    return behind >= 1 && behind <= COMPACT_ACK_WINDOW && ((ack.earlier >> (behind - 1)) & 1u) != 0;
}
