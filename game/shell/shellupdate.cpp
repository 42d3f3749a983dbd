#include "game/shell/shell.h"

#include "baselib/source/random.h"
#include "game/client/zebfeedback.h"
#include "game/client/zebgamestatecollector.h"
#include "game/client/zebobjectparticlesystem.h"
#include "game/server/zebgamestategame.h"
#include "game/shell/shellnetwork.h"
#include "networklib/networkclient.h"
#include "networklib/networkhost.h"
#include "sound/soundlist.h"

#include <algorithm>
#include <cstddef>

namespace {

void updateParticleSystems(float changeInTime) {
    for (const auto& system : g_particleSystems)
        system->update(changeInTime);
    for (size_t i = 0; i < g_particleSystems.size();) {
        if (!g_particleSystems[i]->isActive())
            g_particleSystems.erase(g_particleSystems.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
}

// A ship's explosion is larger and lasts longer than the host's duration
// says: the loss of a ship must not pass unseen beside an asteroid's.
constexpr float SHIP_EXPLOSION_STRETCH = 3.0f;
constexpr float SHIP_EXPLOSION_OUTER_SCALE = 2.2f; // a second, wider ring of lines

void addEffect(float duration, int objectID, const vector3& position, float rotation, float scale,
               const colour4& colour) {
    if (g_particleSystems.size() < MAX_LIVE_EFFECTS)
        g_particleSystems.push_back(std::make_unique<ZEBObjectParticleSystem>(
            duration, g_clientObjects[objectID], position, rotation, scale, colour));
}

// Explosions the server announced become effects, placed by the explosion's
// own position and rotation.
void startExplosions() {
    std::vector<int> exploded;
    for (int e = 0; e < g_collector->getElementCount(); ++e) {
        if (g_collector->isExploding(e))
            exploded.push_back(e);
    }
    g_feedback.noteExplosions(*g_collector, exploded);
    for (const int e : exploded) {
        float duration = 0.0f;
        vector3 pos;
        float rot = 0.0f;
        g_collector->getExplosion(e, duration, pos, rot);
        bool visible = false;
        int type = 0;
        int objectID = 0;
        matrix transform;
        colour4 colour;
        g_collector->getElement(e, visible, type, objectID, transform, colour);
        if (objectID >= 0 && objectID < static_cast<int>(g_clientObjects.size())) {
            const float scale = g_collector->getElementScale(e);
            if (type == TYPE_PLAYER) {
                duration *= SHIP_EXPLOSION_STRETCH;
                addEffect(duration, objectID, pos, rot, scale * SHIP_EXPLOSION_OUTER_SCALE, colour);
            }
            addEffect(duration, objectID, pos, rot, scale, colour);
        }
        g_collector->clearExplosion(e);
    }
}

void playSounds() {
    std::vector<int32_t> sounds;
    g_collector->takeSounds(sounds);
    for (const int32_t entry : sounds)
        g_soundList->play(entry);
}

// After the host has left, every copy searches again; the first to find
// nothing hosts and the others join it. The copies wait in turn, by the place
// each held, so that two rarely search at once, with a little chance on top.
constexpr float REJOIN_FIRST_DELAY = 0.5f;
constexpr float REJOIN_STAGGER = 0.75f; // more than a search and a start of hosting take
constexpr float REJOIN_JITTER = 0.25f;

float rejoinDelay(int place) {
    return REJOIN_FIRST_DELAY + REJOIN_STAGGER * static_cast<float>(std::max(place, 0) % MAX_PLAYERS) +
           REJOIN_JITTER * static_cast<float>(random15()) / static_cast<float>(RANDOM_MAX);
}

constexpr int ELEMENTS_PER_PLACE = 1 + BULLETS_PER_PLAYER; // a ship and its bullets

// The own row's place in the score table: rows keep the host's order of
// places, so no two players share a turn. Before the first table has come,
// the ship's element id tells the place, as long as nothing was made between
// two joins (asteroids' pieces can be, later in a game).
int ownPlace() {
    for (int row = 0; row < g_collector->getStatsCount(); ++row)
        if (g_collector->isOwnStatsRow(row))
            return row;
    const int ownShip = g_collector->getOwnIndex();
    return ownShip >= 0 ? ownShip / ELEMENTS_PER_PLACE : 0;
}

void scheduleRejoin() {
    const networkEnd end = g_client->getEnd();
    if (g_options.rejoin && (end == networkEnd::hostStopped || end == networkEnd::connectionLost))
        g_rejoinDelay = rejoinDelay(ownPlace());
}

void waitToRejoin(float changeInTime) {
    g_rejoinDelay -= changeInTime;
    if (g_rejoinDelay >= 0.0f)
        return;
    g_rejoinDelay = -1.0f;
    if (restartSession() == setupResult::unavailable && g_options.rejoin)
        g_rejoinDelay = rejoinDelay(-1) + REJOIN_STAGGER * MAX_PLAYERS; // nothing to join yet: later
}

void updateClient(float changeInTime) {
    if (!g_client->isConnected()) {
        noticeGameEnded();
        rememberLostSession();
        scheduleRejoin();
        g_collector->reset();
        g_running = false;
        // Its own player gone, a hosting copy cannot go on: a game nobody
        // steps would freeze for everyone, and newcomers would join it.
        stopHosting();
        return;
    }
    messageQueue receivedMessages;
    messageQueue messagesToSendOut;
    g_client->receiveMessages(receivedMessages);
    g_hostSilence = receivedMessages.hasMessages() ? 0.0f : g_hostSilence + changeInTime;
    g_collector->setInput(g_input);
    g_collector->update(changeInTime, receivedMessages, messagesToSendOut);
    g_feedback.update(changeInTime, *g_collector);
    if (g_collector->getStatsCount() > 0)
        g_formerTable = g_collector->getStats();
    updateParticleSystems(changeInTime);
    startExplosions();
    if (g_soundList != nullptr)
        playSounds();
    g_client->sendMessages(messagesToSendOut);
}

void updateHost(float changeInTime) {
    if (!g_host->isConnected()) {
        g_serverGame->idle();
        g_running = false;
        return;
    }
    messageQueue receivedMessages;
    std::vector<networkEvent> events;
    g_host->receiveMessages(receivedMessages, events);
    tickHostedGame(changeInTime, receivedMessages, events);
}

} // namespace

bool updateGame(float changeInTime) {
    return updateGame(changeInTime, changeInTime);
}

bool updateGame(float changeInTime, float frameTime) {
    if (!(frameTime >= MIN_FRAME_TIME)) // also refuses a time that is not a number
        return false;
    readKeys();
    if (!g_running && g_rejoinDelay >= 0.0f)
        waitToRejoin(changeInTime);
    if (g_running) {
        if (g_client != nullptr && g_collector != nullptr)
            updateClient(changeInTime);
        if (g_host != nullptr && g_serverGame != nullptr)
            updateHost(changeInTime);
    }
    g_soundToggleDelay -= changeInTime;
    return true;
}
