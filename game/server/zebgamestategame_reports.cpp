#include "game/server/zebgamestategame.h"

#include "game/rules/shipcontrols.h"
#include "networklib/networkmessage.h"

#include <cmath>

void ZEBGameStateGame::handlePlayerInput(int index, const networkMessage& message) {
    if (index < 0 || !m_players[index].connected)
        return;
    PlayerInput input;
    if (!readPlayerInput(message.getData(), message.getDataSize(), &input))
        return;
    m_players[index].input = input;
    if (input.up || input.down || input.left || input.right || input.fire)
        m_players[index].untouched = false;
}

void ZEBGameStateGame::handlePlayerState(int index, const networkMessage& message) {
    if (index < 0 || !m_players[index].connected)
        return;
    PartialRecord record;
    if (!readPlayerState(message.getData(), message.getDataSize(), &record))
        return;
    const int shipID = m_players[index].shipID;
    if (record.getID() != shipID)
        return;
    // Only the game hides and shows ships (explosions, respawn, new round): a
    // state the client sent before it learnt of the explosion must not revive
    // the ship, nor one from before it learnt of the respawn hide it again.
    if (!m_elements[shipID].isVisible())
        return;
    ZEBGameStateElement ship = m_elements[shipID];
    record.applyTo(&ship);
    adoptShipState(index, ship);
}

bool ZEBGameStateGame::adoptShipState(int index, ZEBGameStateElement ship) {
    if (!ship.isVisible())
        return false;
    if (!std::isfinite(ship.getRotation()) || !m_players[index].stateCheck.accept(ship)) {
        ++m_refusedStates;
        return false;
    }
    ship.setRotation(wrapRotation(ship.getRotation())); // a copy that never wraps it sends any multiple
    // Turning and thrust reach the host only as the ship's state.
    const int shipID = m_players[index].shipID;
    const ZEBGameStateElement& before = m_elements[shipID];
    if (ship.getRotation() != before.getRotation() || !(ship.getVelocity() == ZERO) ||
        !(ship.getPosition() == before.getPosition()))
        m_players[index].untouched = false;
    m_elements[shipID] = ship;
    return true;
}

bool ZEBGameStateGame::handleCompactReport(int index, const networkMessage& message, CompactReport* report) {
    if (index < 0 || !m_players[index].connected ||
        (m_players[index].capabilities & CAPABILITY_UPLINK) == 0 ||
        !readCompactReport(message.getData(), message.getDataSize(), report))
        return false;
    PlayerRecord& player = m_players[index];
    player.input = PlayerInput();
    player.input.fire = report->fire;
    if (report->fire || report->thrust || report->turn != 0)
        player.untouched = false;
    // As with the game's own state, only the game hides and shows ships.
    ZEBGameStateElement ship = m_elements[player.shipID];
    if (!report->hasShip || !ship.isVisible()) {
        player.uplink.stop();
        return true;
    }
    applyCompactReport(*report, &ship);
    if (adoptShipState(index, ship))
        player.uplink.adopted(m_elements[player.shipID], report->turn, report->thrust,
                              player.stateCheck.getPlacings());
    return true;
}

void ZEBGameStateGame::carryReportedShips(float dt) {
    for (PlayerRecord& player : m_players) {
        if (player.connected)
            player.uplink.carry(m_elements[player.shipID], dt, player.stateCheck.getPlacings());
    }
}
