#pragma once

#include "game/server/zebchatlimit.h"

#include <cstdint>
#include <map>

// What a chat line must pass besides its sender's own limit: the limit of
// the address it came from, which outlives the sender's connection, and the
// budget of the whole game. Addresses are IPv4 in host order, 0 when unknown.
class ZEBChatGate {
  public:
    void connected(uint32_t playerID, uint32_t address);
    void disconnected(uint32_t playerID);
    // True: the line goes out, counted against the sender, its address and the game.
    bool admit(uint32_t playerID, ZEBChatLimit& sender, double now);

  private:
    // One entry per connection the transport holds, so bounded by it.
    std::map<uint32_t, uint32_t> m_addressOf;
    // Only addresses that spoke within the window: the game's budget bounds them.
    std::map<uint32_t, ZEBChatLimit> m_addresses;
    ZEBChatLimit m_game{CHAT_GAME_LINES_PER_SECOND, CHAT_GAME_WINDOW};
};
