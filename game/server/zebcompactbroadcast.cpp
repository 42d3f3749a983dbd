#include "game/server/zebcompactbroadcast.h"

#include "game/server/zebroster.h"

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

void ZEBCompactBroadcast::addPeer(const ZEBGameStateGame& game, uint32_t playerID, uint32_t capabilities) {
    // The copy holds the full state just written, before this tick's move.
    m_compactPeers.emplace_back(playerID, (capabilities & CAPABILITY_UPLINK) != 0)
        .track(game.getElements(), m_compactTicks + 1, true, m_shipGuesses);
}

void ZEBCompactBroadcast::removePeer(uint32_t playerID) {
    std::erase_if(m_compactPeers,
                  [playerID](const ZEBCompactPeer& peer) { return peer.getPlayerID() == playerID; });
}

bool ZEBCompactBroadcast::isCompactPeer(uint32_t playerID) const {
    return std::any_of(m_compactPeers.begin(), m_compactPeers.end(),
                       [playerID](const ZEBCompactPeer& peer) { return peer.getPlayerID() == playerID; });
}

bool ZEBCompactBroadcast::hasDesignReaders(const ZEBGameStateGame& game, const ZEBRoster& roster) const {
    if (m_compactPeers.empty())
        return true; // the game's own messages are sent as ever, also to nobody
    for (const Listener& listener : roster.getListeners(game)) {
        if (!isCompactPeer(listener.playerID))
            return true;
    }
    return false;
}

void ZEBCompactBroadcast::handleAck(const networkMessage& message) {
    CompactAck ack;
    if (readCompactAck(message.getData(), message.getDataSize(), &ack))
        acknowledge(message.getPlayerID(), ack);
}

void ZEBCompactBroadcast::acknowledge(uint32_t playerID, const CompactAck& ack) {
    for (ZEBCompactPeer& peer : m_compactPeers) {
        if (peer.getPlayerID() == playerID)
            peer.acknowledge(ack);
    }
}

void ZEBCompactBroadcast::send(float dt, ZEBGameStateGame& game, const ZEBRoster& roster,
                               const std::vector<ZEBMotionGuess>& observed, messageQueue& toSend) {
    ++m_compactTicks;
    if (!m_compactPeers.empty()) {
        routeDesignState(game, roster, toSend);
        sendCompactTables(game, toSend);
        const std::vector<CompactScore> scores = compactScores(game);
        const std::vector<uint32_t>& changeCounts = game.getChangeCounts();
        m_shipGuesses.step(dt, m_compactTicks);
        const std::vector<ShipControls> controls = shipControls(game, observed);
        const CompactTick tick{m_compactTicks,           m_shipGuesses, dt,
                               game.getElements(),       controls,      changeCounts,
                               game.getTickExplosions(), scores};
        for (ZEBCompactPeer& peer : m_compactPeers) {
            networkMessage datagram;
            if (!peer.build(tick, &datagram))
                continue;
            datagram.setDestination(peer.getPlayerID());
            toSend.push(datagram);
        }
    }
    m_shipGuesses.sweep(m_compactTicks);
    game.clearTickExplosions();
}

// A ship flown by reports holds the controls its copy reported; any other
// those seen in its motion from tick to tick.
std::vector<ShipControls> ZEBCompactBroadcast::shipControls(const ZEBGameStateGame& game,
                                                            const std::vector<ZEBMotionGuess>& observed) {
    std::vector<ShipControls> controls(game.getElements().size());
    for (size_t id = 0; id < observed.size() && id < controls.size(); ++id)
        controls[id] = {observed[id].getTurn(), observed[id].getThrust()};
    for (int place = 0; place < game.getPlayerCount(); ++place) {
        const PlayerRecord& player = game.getPlayer(place);
        if (player.connected && player.uplink.isLive())
            controls[player.shipID] = {player.uplink.getTurn(), player.uplink.getThrust()};
    }
    return controls;
}

// The game's own state messages go to each player or watcher that reads them.
void ZEBCompactBroadcast::routeDesignState(const ZEBGameStateGame& game, const ZEBRoster& roster,
                                           messageQueue& toSend) const {
    std::vector<uint32_t> readers;
    for (const Listener& listener : roster.getListeners(game)) {
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
void ZEBCompactBroadcast::sendCompactTables(const ZEBGameStateGame& game, messageQueue& toSend) {
    networkMessage table = game.writeStats();
    std::vector<uint8_t> layout(table.getData(), table.getData() + table.getDataSize());
    for (size_t row = PLAYER_STATS_HEADER_SIZE + STATS_SCORE_OFFSET; row + 4 <= layout.size();
         row += PLAYER_STATS_ROW_SIZE)
        std::fill_n(layout.begin() + static_cast<std::ptrdiff_t>(row), 4, 0);
    table.setGuaranteed(true);
    const std::vector<CompactScore> scores = compactScores(game);
    for (ZEBCompactPeer& peer : m_compactPeers) {
        if (!peer.tableChanged(layout))
            continue;
        table.setDestination(peer.getPlayerID());
        toSend.push(table);
        peer.tableSent(scores);
    }
}

std::vector<CompactScore> ZEBCompactBroadcast::compactScores(const ZEBGameStateGame& game) {
    std::vector<CompactScore> scores;
    for (int place = 0; place < game.getPlayerCount(); ++place) {
        const PlayerRecord& player = game.getPlayer(place);
        if (!player.reserved)
            scores.push_back({player.shipID, player.score});
    }
    return scores;
}
