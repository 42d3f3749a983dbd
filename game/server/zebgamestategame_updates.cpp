#include "game/server/zebgamestategame.h"

#include "networklib/networkmessage.h"

#include <cstring>

void ZEBGameStateGame::sendFullState(networkMessage& message, int shipID) const {
    message = writeFullState(m_elements, shipID);
}

// A place's elements as the game makes them, to every copy.
void ZEBGameStateGame::sendNewElement(int id, messageQueue& toSend) {
    networkMessage newElement = writeNewElement(m_elements[id]);
    newElement.setGuaranteed(true);
    toSend.push(newElement);
    m_sentElements.push_back({id, m_elements[id]});
}

void ZEBGameStateGame::sendElementUpdate(int id, messageQueue& toSend) {
    sendElementUpdate(id, false, toSend);
}

void ZEBGameStateGame::sendElementUpdate(int id, bool guaranteed, messageQueue& toSend) {
    m_elements[id].resetTimeSinceUpdate();
    networkMessage update = writeElementUpdate(m_elements[id]);
    update.setGuaranteed(guaranteed);
    toSend.push(update);
    m_sentElements.push_back({id, m_elements[id]});
    if (static_cast<int>(m_changeCounts.size()) <= id)
        m_changeCounts.resize(static_cast<size_t>(id) + 1, 0);
    ++m_changeCounts[id];
}

void ZEBGameStateGame::sendExplosion(int id, float duration, messageQueue& toSend) {
    Explosion explosion;
    explosion.elementID = id;
    explosion.duration = duration;
    explosion.position = m_elements[id].getPosition();
    explosion.rotation = m_elements[id].getRotation();
    toSend.push(writeExplosion(explosion));
    m_tickExplosions.push_back(explosion);
}

networkMessage ZEBGameStateGame::writeStats() const {
    std::vector<PlayerStats> rows;
    for (const PlayerRecord& player : m_players) {
        if (player.reserved)
            continue; // shown once its player is back
        PlayerStats& row = rows.emplace_back();
        std::memcpy(row.name, player.name, PLAYER_NAME_SIZE);
        row.uniqueID = player.shipID;
        row.score = player.score;
        row.colour = m_elements[player.shipID].getColour();
    }
    return writePlayerStats(rows);
}

void ZEBGameStateGame::takeSentElements(std::vector<SentElement>& sent) {
    sent.swap(m_sentElements);
    m_sentElements.clear();
}

void ZEBGameStateGame::takeShotsFired(std::vector<int>& shots) {
    shots.swap(m_shotsFired);
    m_shotsFired.clear();
}

const std::vector<uint32_t>& ZEBGameStateGame::getChangeCounts() {
    m_changeCounts.resize(m_elements.size(), 0);
    return m_changeCounts;
}
