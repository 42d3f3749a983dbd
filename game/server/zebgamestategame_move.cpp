#include "game/server/zebgamestategame.h"

// The game moves to a bigger one: every copy that understands is told where,
// so that it joins that game at once instead of searching.
void ZEBGameStateGame::tellGameMove(const GameMove& move, messageQueue& toSend) const {
    for (const Listener& listener : getListeners()) {
        if ((listener.capabilities & CAPABILITY_MOVE) == 0)
            continue;
        networkMessage message = writeGameMove(move);
        message.setDestination(listener.playerID);
        toSend.push(message);
    }
}
