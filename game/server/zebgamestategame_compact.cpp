#include "game/server/zebgamestategame.h"

#include "networklib/networkmessage.h"

#include <algorithm>

// Players whose copies announced the compact stream get one datagram a tick of
// what their copy does not hold yet, instead of the game's own element
// updates, explosions and score tables; every other player gets those as
// before, addressed to it alone once anyone takes the stream.

namespace {

constexpr int STATS_SCORE_OFFSET = PLAYER_NAME_SIZE + 4; // within a row: after the name and the ship id

bool isDesignState(const networkMessage& message) {
    const int type = message.getType();
    return message.getDestination() == ALL_PLAYERS &&
           (type == MSG_ELEMENT_UPDATE || type == MSG_EXPLOSION || type == MSG_PLAYER_STATS);
}

} // namespace

void ZEBGameStateGame::addCompactPeer(uint32_t playerID) {
    // The copy holds the full state just written, before this tick's move.
    bool readsControls = false;
    for (const Listener& listener : getListeners())
        readsControls = readsControls ||
                        (listener.playerID == playerID && (listener.capabilities & CAPABILITY_UPLINK) != 0);
    m_compactPeers.emplace_back(playerID, readsControls)
        .track(m_elements, m_compactTicks + 1, true, m_shipGuesses);
}

void ZEBGameStateGame::removeCompactPeer(uint32_t playerID) {
    std::erase_if(m_compactPeers,
                  [playerID](const ZEBCompactPeer& peer) { return peer.getPlayerID() == playerID; });
}

bool ZEBGameStateGame::isCompactPeer(uint32_t playerID) const {
    return std::any_of(m_compactPeers.begin(), m_compactPeers.end(),
                       [playerID](const ZEBCompactPeer& peer) { return peer.getPlayerID() == playerID; });
}

bool ZEBGameStateGame::hasDesignReaders() const {
    if (m_compactPeers.empty())
        return true; // the game's own messages are sent as ever, also to nobody
    for (const Listener& listener : getListeners()) {
        if (!isCompactPeer(listener.playerID))
            return true;
    }
    return false;
}

void ZEBGameStateGame::handleCompactAck(const networkMessage& message) {
    CompactAck ack;
    if (readCompactAck(message.getData(), message.getDataSize(), &ack))
        acknowledgeCompact(message.getPlayerID(), ack);
}

void ZEBGameStateGame::acknowledgeCompact(uint32_t playerID, const CompactAck& ack) {
    for (ZEBCompactPeer& peer : m_compactPeers) {
        if (peer.getPlayerID() == playerID)
            peer.acknowledge(ack);
    }
}

// A report stands for the input and the ship's state of the game's own
// messages, and holds until the next one.
void ZEBGameStateGame::handleCompactReport(const networkMessage& message) {
    const int index = lookupPlayer(message.getPlayerID());
    CompactReport report;
    if (index < 0 || !m_players[index].connected ||
        (m_players[index].capabilities & CAPABILITY_UPLINK) == 0 ||
        !readCompactReport(message.getData(), message.getDataSize(), &report))
        return;
    if (report.hasAck)
        acknowledgeCompact(message.getPlayerID(), report.ack);
    PlayerRecord& player = m_players[index];
    player.input = PlayerInput();
    player.input.fire = report.fire;
    if (report.fire || report.thrust || report.turn != 0)
        player.untouched = false;
    // As with the game's own state, only the game hides and shows ships.
    ZEBGameStateElement ship = m_elements[player.shipID];
    if (!report.hasShip || !ship.isVisible()) {
        player.uplink.stop();
        return;
    }
    applyCompactReport(report, &ship);
    if (adoptShipState(index, ship))
        player.uplink.adopted(m_elements[player.shipID], report.turn, report.thrust,
                              player.stateCheck.getPlacings());
}

void ZEBGameStateGame::carryReportedShips(float dt) {
    for (PlayerRecord& player : m_players) {
        if (player.connected)
            player.uplink.carry(m_elements[player.shipID], dt, player.stateCheck.getPlacings());
    }
}

void ZEBGameStateGame::sendCompactStates(float dt, messageQueue& toSend) {
    ++m_compactTicks;
    if (!m_compactPeers.empty()) {
        routeDesignState(toSend);
        sendCompactTables(toSend);
        const std::vector<CompactScore> scores = compactScores();
        m_changeCounts.resize(m_elements.size(), 0);
        m_shipGuesses.step(dt, m_compactTicks);
        const std::vector<ShipControls> controls = shipControls();
        const CompactTick tick{m_compactTicks, m_shipGuesses,    dt,    m_elements, controls,
                               m_changeCounts, m_tickExplosions, scores};
        for (ZEBCompactPeer& peer : m_compactPeers) {
            networkMessage datagram;
            if (!peer.build(tick, &datagram))
                continue;
            datagram.setDestination(peer.getPlayerID());
            toSend.push(datagram);
        }
    }
    m_shipGuesses.sweep(m_compactTicks);
    m_tickExplosions.clear();
}

// A ship flown by reports holds the controls its copy reported; any other
// those seen in its motion from tick to tick.
std::vector<ShipControls> ZEBGameStateGame::shipControls() const {
    std::vector<ShipControls> controls(m_elements.size());
    for (size_t id = 0; id < m_observed.size() && id < controls.size(); ++id)
        controls[id] = {m_observed[id].getTurn(), m_observed[id].getThrust()};
    for (const PlayerRecord& player : m_players) {
        if (player.connected && player.uplink.isLive())
            controls[player.shipID] = {player.uplink.getTurn(), player.uplink.getThrust()};
    }
    return controls;
}

// The game's own state messages go to each player or watcher that reads them.
void ZEBGameStateGame::routeDesignState(messageQueue& toSend) const {
    std::vector<uint32_t> readers;
    for (const Listener& listener : getListeners()) {
        if (!isCompactPeer(listener.playerID))
            readers.push_back(listener.playerID);
    }
    messageQueue routed;
    while (toSend.hasMessages()) {
        networkMessage message = toSend.pop();
        if (!isDesignState(message)) {
            routed.push(message);
            continue;
        }
        for (const uint32_t reader : readers) {
            message.setDestination(reader);
            routed.push(message);
        }
    }
    toSend = routed;
}

// The score table's rows (names, ships, colours) travel whole, sure to arrive,
// whenever they change; its scores change far more often and ride the stream.
void ZEBGameStateGame::sendCompactTables(messageQueue& toSend) {
    networkMessage table = writeStats();
    std::vector<uint8_t> layout(table.getData(), table.getData() + table.getDataSize());
    for (size_t row = PLAYER_STATS_HEADER_SIZE + STATS_SCORE_OFFSET; row + 4 <= layout.size();
         row += PLAYER_STATS_ROW_SIZE)
        std::fill_n(layout.begin() + static_cast<std::ptrdiff_t>(row), 4, 0);
    table.setGuaranteed(true);
    const std::vector<CompactScore> scores = compactScores();
    for (ZEBCompactPeer& peer : m_compactPeers) {
        if (!peer.tableChanged(layout))
            continue;
        table.setDestination(peer.getPlayerID());
        toSend.push(table);
        peer.tableSent(scores);
    }
}

std::vector<CompactScore> ZEBGameStateGame::compactScores() const {
    std::vector<CompactScore> scores;
    for (const PlayerRecord& player : m_players) {
        if (!player.reserved)
            scores.push_back({player.shipID, player.score});
    }
    return scores;
}
