#pragma once

// The compact stream's side of the hosted game: one datagram a tick to every
// copy that announced the stream, and the game's own state messages routed to
// those that did not.

#include "game/rules/zebmotionguess.h"
#include "game/server/zebcompactpeer.h"
#include "game/server/zebcompactshipguesses.h"
#include "game/server/zebgamestategame.h"

#include <cstdint>
#include <vector>

class ZEBRoster;
class messageQueue;
class networkMessage;

class ZEBCompactBroadcast {
  public:
    // A player that has just been sent the full state; capabilities: what its copy was told the host shares.
    void addPeer(const ZEBGameStateGame& game, uint32_t playerID, uint32_t capabilities);
    void removePeer(uint32_t playerID);
    // A player or watcher reads the game's own state messages.
    bool hasDesignReaders(const ZEBGameStateGame& game, const ZEBRoster& roster) const;
    void handleAck(const networkMessage& message);
    void acknowledge(uint32_t playerID, const CompactAck& ack);
    // observed: per ship, the controls it holds now.
    void send(float dt, ZEBGameStateGame& game, const ZEBRoster& roster,
              const std::vector<ZEBMotionGuess>& observed, messageQueue& toSend);
    int getPeerCount() const { return static_cast<int>(m_compactPeers.size()); }

  private:
    bool isCompactPeer(uint32_t playerID) const;
    void routeDesignState(const ZEBGameStateGame& game, const ZEBRoster& roster, messageQueue& toSend) const;
    void sendCompactTables(const ZEBGameStateGame& game, messageQueue& toSend);
    static std::vector<CompactScore> compactScores(const ZEBGameStateGame& game);
    static std::vector<ShipControls> shipControls(const ZEBGameStateGame& game,
                                                  const std::vector<ZEBMotionGuess>& observed);

    std::vector<ZEBCompactPeer> m_compactPeers;
    uint32_t m_compactTicks = 0;
    ZEBCompactShipGuesses m_shipGuesses;
};
