#pragma once

// Chat at the host: lines from players and watchers, within their limits,
// and from the host's operator, to every copy that understands chat; a log
// of them for the host's own output.

#include "game/rules/extensions.h"
#include "game/server/zebchatgate.h"

#include <cstdint>
#include <string>
#include <vector>

class ZEBGameStateGame;
class ZEBRoster;
class messageQueue;
class networkMessage;

// Chat lines kept for the host's own output between two takes; older ones go first.
constexpr int MAX_CHAT_LOG = 64;

class ZEBChatRelay {
  public:
    // The transport's connections, for the gate's count per address.
    void connected(uint32_t playerID, uint32_t address) { m_chatGate.connected(playerID, address); }
    void disconnected(uint32_t playerID) { m_chatGate.disconnected(playerID); }
    void handleChatSay(ZEBGameStateGame& game, ZEBRoster& roster, const networkMessage& message,
                       messageQueue& toSend);
    // A line from the host itself (its operator) to every player whose copy
    // understands chat; text as makeChatText leaves it.
    void say(const ZEBGameStateGame& game, const ZEBRoster& roster, const std::string& text,
             messageQueue& toSend);
    // The lines relayed since the last take, for the host's own output.
    void takeChatLines(std::vector<ChatLine>& lines);

  private:
    void relayChat(const ZEBGameStateGame& game, const ZEBRoster& roster, const ChatLine& line,
                   messageQueue& toSend);
    void sendChatTo(uint32_t playerID, uint32_t capabilities, const ChatLine& line,
                    messageQueue& toSend) const;

    std::vector<ChatLine> m_chatLog;
    ZEBChatGate m_chatGate;
};
