#include "game/shell.h"

#include "game/shellnetwork.h"
#include "game/zebgamestatecollector.h"
#include "game/zebgamestategame.h"
#include "game/zebobjectparticlesystem.h"
#include "networklib/networkclient.h"
#include "networklib/networkhost.h"
#include "sound/soundlist.h"

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

// Explosions the server announced become effects, placed by the explosion's
// own position and rotation.
void startExplosions() {
    for (int e = 0; e < g_collector->getElementCount(); ++e) {
        if (!g_collector->isExploding(e))
            continue;
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
            g_particleSystems.push_back(std::make_unique<ZEBObjectParticleSystem>(
                duration, g_clientObjects[objectID], pos, rot, g_collector->getElementScale(e), colour));
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

void updateClient(float changeInTime) {
    if (!g_client->isConnected()) {
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
    g_collector->setInput(g_input);
    g_collector->update(changeInTime, receivedMessages, messagesToSendOut);
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
    g_host->receiveMessages(receivedMessages);
    tickHostedGame(changeInTime, receivedMessages);
}

} // namespace

bool updateGame(float changeInTime) {
    if (!(changeInTime >= MIN_FRAME_TIME)) // also refuses a time that is not a number
        return false;
    readKeys();
    if (g_running) {
        if (g_client != nullptr && g_collector != nullptr)
            updateClient(changeInTime);
        if (g_host != nullptr && g_serverGame != nullptr)
            updateHost(changeInTime);
    }
    g_soundToggleDelay -= changeInTime;
    return true;
}
