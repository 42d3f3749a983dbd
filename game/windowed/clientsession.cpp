#include "game/windowed/clientsession.h"

#include "game/common/gamenames.h"
#include "game/rules/playarea.h"
#include "game/windowed/replay/replayviewer.h"
#include "sound/soundlist.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// std::bit_cast is missing from the browser build's C++ library.
float floatFromBits(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

const vector3 CAMERA_START = {floatFromBits(0xBCA3D6E0u), 0.0f, -23.98f};
// Following a ship the view comes this many times closer: a ship is then as
// large as a player's own ship on a window twice the size.
constexpr float FOLLOW_ZOOM = 2.0f;

// A ship's explosion is larger and lasts longer than the host's duration
// says: the loss of a ship must not pass unseen beside an asteroid's.
constexpr float SHIP_EXPLOSION_STRETCH = 3.0f;
constexpr float SHIP_EXPLOSION_OUTER_SCALE = 2.2f; // a second, wider ring of lines

} // namespace

ZEBClientSession::ZEBClientSession(std::vector<ZEBObject> shapes)
    : m_shapes(std::move(shapes)), m_outlines(m_shapes) {
    m_camera.setPosition(CAMERA_START);
    m_connection.setApplicationGuid(APPLICATION_GUID);
    m_connection.initialise();
}

ZEBClientSession::~ZEBClientSession() {
    m_connection.disconnect();
    finishReplayRecording(m_recorder);
}

void ZEBClientSession::startRecording(const std::string& playerName) {
    startReplayRecording(m_recorder, playerName);
}

// The view never shows beyond the play area's edges: there is nothing there.
void ZEBClientSession::aimCamera(int followed) {
    if (followed < 0 || followed >= m_collector.getElementCount()) {
        m_camera.setPosition(CAMERA_START);
        return;
    }
    const vector3 ship = m_collector.getDrawnPosition(followed);
    const float reach = PLAY_AREA_HALF_WIDTH * (1.0f - 1.0f / FOLLOW_ZOOM);
    m_camera.setPosition(vector3(std::clamp(ship.x, -reach, reach), std::clamp(ship.y, -reach, reach),
                                 CAMERA_START.z / FOLLOW_ZOOM));
}

void ZEBClientSession::setShapes(std::vector<ZEBObject> shapes) {
    m_shapes = std::move(shapes);
    m_outlines = ZEBShapeOutlines(m_shapes);
}

void ZEBClientSession::update(float changeInTime, const PlayerInput& input, soundList* sounds) {
    messageQueue receivedMessages;
    messageQueue messagesToSendOut;
    m_connection.receiveMessages(receivedMessages);
    m_hostSilence = receivedMessages.hasMessages() ? 0.0f : m_hostSilence + changeInTime;
    noteLink(changeInTime);
    if (m_recorder.isRecording())
        m_recorder.noteFrame(changeInTime, receivedMessages, m_collector);
    m_collector.setInput(input);
    m_collector.update(changeInTime, receivedMessages, messagesToSendOut);
    showFrame(changeInTime, sounds);
    m_connection.sendMessages(messagesToSendOut);
}

// The transport's own traffic (pings and their acknowledgements) counts: a
// quiet game sends no messages for seconds while its host is well.
void ZEBClientSession::noteLink(float changeInTime) {
    const uint64_t received = m_connection.getReceivedBytes();
    m_linkSilence = received != m_receivedBytes ? 0.0f : m_linkSilence + changeInTime;
    m_receivedBytes = received;
}

void ZEBClientSession::showFrame(float changeInTime, soundList* sounds) {
    m_feedback.update(changeInTime, m_collector);
    updateEffects(changeInTime);
    startExplosions();
    if (sounds != nullptr)
        playSounds(*sounds);
}

void ZEBClientSession::clearEffects() {
    m_effects.clear();
    m_feedback.reset();
}

void ZEBClientSession::endGame() {
    m_collector.reset();
}

void ZEBClientSession::updateEffects(float changeInTime) {
    for (const auto& effect : m_effects)
        effect->update(changeInTime);
    std::erase_if(m_effects, [](const auto& effect) { return !effect->isActive(); });
}

void ZEBClientSession::addEffect(float duration, int objectID, const vector3& position, float rotation,
                                 float scale, const colour4& colour) {
    if (m_effects.size() < MAX_LIVE_EFFECTS)
        m_effects.push_back(std::make_unique<ZEBObjectParticleSystem>(duration, m_shapes[objectID], position,
                                                                      rotation, scale, colour));
}

// Explosions the server announced become effects, placed by the explosion's
// own position and rotation.
void ZEBClientSession::startExplosions() {
    std::vector<int> exploded;
    for (int e = 0; e < m_collector.getElementCount(); ++e) {
        if (m_collector.isExploding(e))
            exploded.push_back(e);
    }
    m_feedback.noteExplosions(m_collector, exploded);
    for (const int e : exploded) {
        float duration = 0.0f;
        vector3 pos;
        float rot = 0.0f;
        m_collector.getExplosion(e, duration, pos, rot);
        bool visible = false;
        int type = 0;
        int objectID = 0;
        matrix transform;
        colour4 colour;
        m_collector.getElement(e, visible, type, objectID, transform, colour);
        if (objectID >= 0 && objectID < static_cast<int>(m_shapes.size())) {
            const float scale = m_collector.getElementScale(e);
            if (type == TYPE_PLAYER) {
                duration *= SHIP_EXPLOSION_STRETCH;
                addEffect(duration, objectID, pos, rot, scale * SHIP_EXPLOSION_OUTER_SCALE, colour);
            }
            addEffect(duration, objectID, pos, rot, scale, colour);
        }
        m_collector.clearExplosion(e);
    }
}

void ZEBClientSession::playSounds(soundList& sounds) {
    std::vector<int32_t> entries;
    m_collector.takeSounds(entries);
    for (const int32_t entry : entries)
        sounds.play(entry);
}
