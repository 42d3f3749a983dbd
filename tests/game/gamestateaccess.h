#pragma once

#include "game/client/zebgamestatecollector.h"
#include "game/server/zebhostedgamestate.h"

// Scenario tests set up positions, visibility, timers and scores directly
// instead of playing the game until they happen.
struct ZEBHostedGameStateAccess {
    static ZEBGameStateElement& element(ZEBHostedGameState& game, int id) {
        return game.m_game.getElement(id);
    }
    static PlayerRecord& player(ZEBHostedGameState& game, int index) { return game.m_game.getPlayer(index); }
};

struct ZEBGameStateCollectorAccess {
    static ZEBGameStateElement& element(ZEBGameStateCollector& collector, int index) {
        return collector.m_elements[index];
    }
};

inline ZEBGameStateElement& elementOf(ZEBHostedGameState& game, int id) {
    return ZEBHostedGameStateAccess::element(game, id);
}
inline PlayerRecord& playerOf(ZEBHostedGameState& game, int index) {
    return ZEBHostedGameStateAccess::player(game, index);
}
inline ZEBGameStateElement& elementOf(ZEBGameStateCollector& collector, int index) {
    return ZEBGameStateCollectorAccess::element(collector, index);
}
