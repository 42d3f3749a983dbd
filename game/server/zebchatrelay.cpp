#include "game/server/zebchatrelay.h"

#include "game/server/zebgamestategame.h"
#include "game/server/zebroster.h"

#include "networklib/networkmessage.h"

#include <cstring>

namespace {

// Who said a line: a player with its ship, or a watcher.
struct ChatSender {
    ZEBChatLimit* limit = nullptr; // null: nobody who may chat
    uint32_t capabilities = 0;
    int32_t senderID = CHAT_FROM_WATCHER;
    const char* name = "";
};

} // namespace

void ZEBChatRelay::handleChatSay(ZEBGameStateGame& game, ZEBRoster& roster, const networkMessage& message,
                                 messageQueue& toSend) {
    const uint32_t from = message.getPlayerID();
    ChatSender sender;
    if (const int index = roster.lookupPlayer(from); index >= 0 && game.getPlayer(index).connected) {
        PlayerRecord& player = game.getPlayer(index);
        sender = {&player.chatLimit, player.capabilities, player.shipID, player.name};
    } else if (const int watcher = roster.lookupWatcher(from); watcher >= 0) {
        WatcherRecord& record = roster.getWatcher(watcher);
        sender = {&record.chatLimit, record.capabilities, CHAT_FROM_WATCHER, record.name};
    }
    ChatLine line;
    if (sender.limit == nullptr || (sender.capabilities & CAPABILITY_CHAT) == 0 ||
        !readChatSay(message.getData(), message.getDataSize(), &line.text))
        return;
    if (!m_chatGate.admit(from, *sender.limit, game.getClock())) {
        if (sender.limit->shouldWarn(game.getClock())) {
            ChatLine notice;
            copyPlayerName(notice.name, CHAT_HOST_NAME);
            notice.text = CHAT_TOO_FAST;
            sendChatTo(from, sender.capabilities, notice, toSend);
        }
        return;
    }
    line.senderID = sender.senderID;
    copyPlayerName(line.name, sender.name);
    relayChat(game, roster, line, toSend);
}

void ZEBChatRelay::say(const ZEBGameStateGame& game, const ZEBRoster& roster, const std::string& text,
                       messageQueue& toSend) {
    ChatLine line;
    line.text = makeChatText(text);
    if (line.text.empty())
        return;
    copyPlayerName(line.name, CHAT_HOST_NAME);
    relayChat(game, roster, line, toSend);
}

void ZEBChatRelay::relayChat(const ZEBGameStateGame& game, const ZEBRoster& roster, const ChatLine& line,
                             messageQueue& toSend) {
    for (const Listener& listener : roster.getListeners(game))
        sendChatTo(listener.playerID, listener.capabilities, line, toSend);
    if (static_cast<int>(m_chatLog.size()) >= MAX_CHAT_LOG)
        m_chatLog.erase(m_chatLog.begin());
    m_chatLog.push_back(line);
}

void ZEBChatRelay::sendChatTo(uint32_t playerID, uint32_t capabilities, const ChatLine& line,
                              messageQueue& toSend) const {
    if ((capabilities & CAPABILITY_CHAT) == 0)
        return;
    networkMessage message = writeChatLine(line);
    message.setDestination(playerID);
    toSend.push(message);
}

void ZEBChatRelay::takeChatLines(std::vector<ChatLine>& lines) {
    lines.swap(m_chatLog);
    m_chatLog.clear();
}
