#include "game/server/zebchatgate.h"

void ZEBChatGate::connected(uint32_t playerID, uint32_t address) {
    m_addressOf[playerID] = address;
}

void ZEBChatGate::disconnected(uint32_t playerID) {
    m_addressOf.erase(playerID);
}

bool ZEBChatGate::admit(uint32_t playerID, ZEBChatLimit& sender, double now) {
    std::erase_if(m_addresses, [now](const auto& entry) { return entry.second.isIdle(now); });
    const auto known = m_addressOf.find(playerID);
    const uint32_t address = known == m_addressOf.end() ? 0 : known->second;
    const auto spoke = m_addresses.find(address);
    if (!sender.hasRoom(now) || !m_game.hasRoom(now) ||
        (spoke != m_addresses.end() && !spoke->second.hasRoom(now)))
        return false;
    sender.count(now);
    m_game.count(now);
    m_addresses.try_emplace(address, CHAT_ADDRESS_LINES_PER_WINDOW, CHAT_WINDOW).first->second.count(now);
    return true;
}
