#include "game/server/zebgamestategame.h"

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

void ZEBGameStateGame::handleChatSay(const networkMessage& message, messageQueue& toSend) {
    const uint32_t from = message.getPlayerID();
    ChatSender sender;
    if (const int index = lookupPlayer(from); index >= 0 && m_players[index].connected) {
        PlayerRecord& player = m_players[index];
        sender = {&player.chatLimit, player.capabilities, player.shipID, player.name};
    } else if (const int watcher = lookupWatcher(from); watcher >= 0) {
        WatcherRecord& record = m_watchers[watcher];
        sender = {&record.chatLimit, record.capabilities, CHAT_FROM_WATCHER, record.name};
    }
    ChatLine line;
    if (sender.limit == nullptr || (sender.capabilities & CAPABILITY_CHAT) == 0 ||
        !readChatSay(message.getData(), message.getDataSize(), &line.text))
        return;
    if (!m_chatGate.admit(from, *sender.limit, m_clock)) {
        if (sender.limit->shouldWarn(m_clock)) {
            ChatLine notice;
            copyPlayerName(notice.name, CHAT_HOST_NAME);
            notice.text = CHAT_TOO_FAST;
            sendChatTo(from, sender.capabilities, notice, toSend);
        }
        return;
    }
    line.senderID = sender.senderID;
    copyPlayerName(line.name, sender.name);
    relayChat(line, toSend);
}

void ZEBGameStateGame::say(const std::string& text, messageQueue& toSend) {
    ChatLine line;
    line.text = makeChatText(text);
    if (line.text.empty())
        return;
    copyPlayerName(line.name, CHAT_HOST_NAME);
    relayChat(line, toSend);
}

void ZEBGameStateGame::relayChat(const ChatLine& line, messageQueue& toSend) {
    for (const Listener& listener : getListeners())
        sendChatTo(listener.playerID, listener.capabilities, line, toSend);
    if (static_cast<int>(m_chatLog.size()) >= MAX_CHAT_LOG)
        m_chatLog.erase(m_chatLog.begin());
    m_chatLog.push_back(line);
}

void ZEBGameStateGame::sendChatTo(uint32_t playerID, uint32_t capabilities, const ChatLine& line,
                                  messageQueue& toSend) const {
    if ((capabilities & CAPABILITY_CHAT) == 0)
        return;
    networkMessage message = writeChatLine(line);
    message.setDestination(playerID);
    toSend.push(message);
}

void ZEBGameStateGame::takeChatLines(std::vector<ChatLine>& lines) {
    lines.swap(m_chatLog);
    m_chatLog.clear();
}
