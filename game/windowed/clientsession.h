#pragma once

#include "drawing/camera.h"
#include "game/client/zebfeedback.h"
#include "game/client/zebgamestatecollector.h"
#include "game/replay/zebreplayrecorder.h"
#include "game/rules/protocol.h"
#include "game/rules/zebobject.h"
#include "game/windowed/draw/zebobjectparticlesystem.h"
#include "game/windowed/draw/zebshapeoutlines.h"
#include "networklib/networkclient.h"

#include <cstdint>
#include <memory>
#include <vector>

class soundList;

// One game this copy plays or tries to join: the connection to its host, the
// collector that mirrors the game, the camera and the level's shapes it is
// drawn with, the effects and feedback drawn over it, and how long the host
// has been silent. Made when set-up starts to look for a game; it dies when
// the copy gives that game up: a failed join, a new search after the game
// ended, or quitting. Dying, it leaves the session.
class ZEBClientSession {
  public:
    explicit ZEBClientSession(std::vector<ZEBObject> shapes);
    ~ZEBClientSession();
    ZEBClientSession(const ZEBClientSession&) = delete;
    ZEBClientSession& operator=(const ZEBClientSession&) = delete;

    // One frame of play: the host's messages in (and into the recording, if
    // one runs), the input out; then showFrame.
    void update(float changeInTime, const PlayerInput& input, soundList* sounds);
    // What the collector's last update brought, shown: feedback, effects,
    // and sounds (sounds may be null).
    void showFrame(float changeInTime, soundList* sounds);
    void clearEffects(); // the game jumped: what was shown belongs to another moment
    // Records this game into the user's replay folder, from now until the
    // session dies; nothing (after a line on standard error) when it cannot.
    void startRecording(const std::string& playerName);
    // The game is over under this copy: what it shows of it goes.
    void endGame();

    networkClient& getConnection() { return m_connection; }
    ZEBGameStateCollector& getCollector() { return m_collector; }
    const ZEBGameStateCollector& getCollector() const { return m_collector; }
    ZEBFeedback& getFeedback() { return m_feedback; }
    const ZEBFeedback& getFeedback() const { return m_feedback; }
    camera& getCamera() { return m_camera; } // its view matrix is computed when asked
    // The whole field, or a closer view that keeps the element followed in
    // its middle as far as the play area reaches (followed < 0: none).
    void aimCamera(int followed);
    const std::vector<ZEBObject>& getShapes() const { return m_shapes; }
    const ZEBShapeOutlines& getOutlines() const { return m_outlines; }
    void setShapes(std::vector<ZEBObject> shapes); // and their outlines
    const std::vector<std::unique_ptr<ZEBObjectParticleSystem>>& getEffects() const { return m_effects; }
    float getHostSilence() const { return m_hostSilence; } // seconds of play since the host's last message
    float getLinkSilence() const { return m_linkSilence; } // since anything at all came from the host
    void setHostSilence(float seconds) { m_hostSilence = m_linkSilence = seconds; }

  private:
    void noteLink(float changeInTime);
    void updateEffects(float changeInTime);
    void addEffect(float duration, int objectID, const vector3& position, float rotation, float scale,
                   const colour4& colour);
    void startExplosions();
    void playSounds(soundList& sounds);

    networkClient m_connection;
    ZEBGameStateCollector m_collector;
    camera m_camera;
    std::vector<ZEBObject> m_shapes;
    ZEBShapeOutlines m_outlines; // the shapes as drawn, by the same index
    std::vector<std::unique_ptr<ZEBObjectParticleSystem>> m_effects;
    ZEBFeedback m_feedback; // score popups and who shot the own ship
    float m_hostSilence = 0.0f;
    float m_linkSilence = 0.0f;
    uint64_t m_receivedBytes = 0; // the link's count when it last grew
    ZEBReplayRecorder m_recorder;
};
