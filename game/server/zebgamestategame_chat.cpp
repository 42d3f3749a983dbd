#include "game/server/zebgamestategame.h"

#include "networklib/networkmessage.h"

#include <cstring>

void ZEBGameStateGame::handleChatSay(const networkMessage& message, messageQueue& toSend) {
    const int index = lookupPlayer(message.getPlayerID());
    if (index < 0 || !m_players[index].connected || (m_players[index].capabilities & CAPABILITY_CHAT) == 0)
        return;
    ChatLine line;
    if (!readChatSay(message.getData(), message.getDataSize(), &line.text))
        return;
    PlayerRecord& player = m_players[index];
    if (!player.chatLimit.allow(m_clock)) {
        if (player.chatLimit.shouldWarn(m_clock)) {
            ChatLine notice;
            copyPlayerName(notice.name, CHAT_HOST_NAME);
            notice.text = CHAT_TOO_FAST;
            sendChatTo(index, notice, toSend);
        }
        return;
    }
    line.senderID = player.shipID;
    std::memcpy(line.name, player.name, PLAYER_NAME_SIZE);
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
    for (int index = 0; index < getPlayerCount(); ++index)
        sendChatTo(index, line, toSend);
    if (static_cast<int>(m_chatLog.size()) >= MAX_CHAT_LOG)
        m_chatLog.erase(m_chatLog.begin());
    m_chatLog.push_back(line);
}

void ZEBGameStateGame::sendChatTo(int index, const ChatLine& line, messageQueue& toSend) const {
    const PlayerRecord& player = m_players[index];
    if (!player.connected || player.reserved || (player.capabilities & CAPABILITY_CHAT) == 0)
        return;
    networkMessage message = writeChatLine(line);
    message.setDestination(m_playerIDs[index]);
    toSend.push(message);
}

void ZEBGameStateGame::takeChatLines(std::vector<ChatLine>& lines) {
    lines.swap(m_chatLog);
    m_chatLog.clear();
}
