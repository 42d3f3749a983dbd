#include "game/server/zebgamestategame.h"

#include <cmath>
#include <cstring>
#include <string_view>

// When the host of a party is lost, the copy that hosts the next game keeps
// the places of the game before it: a player finds its ship again by its
// colour and spawn point, and keeps its score, since losing the host was
// nobody's doing. The host knows a player only by the name it joins under;
// players of the same name take their places in the table's order.

namespace {

bool hasLeft(const PlayerStats& row) {
    const std::string_view name(row.name, strnlen(row.name, PLAYER_NAME_SIZE));
    return name.ends_with(DISCONNECTED_SUFFIX);
}

} // namespace

void ZEBGameStateGame::reservePlaces(const std::vector<PlayerStats>& formerTable) {
    for (const PlayerStats& row : formerTable) {
        if (getPlayerCount() >= MAX_PLAYERS)
            return;
        if (hasLeft(row))
            continue;
        int colour = 0;
        while (colour < PLAYER_COLOUR_COUNT && !(m_colours[colour] == row.colour))
            ++colour;
        if (colour == PLAYER_COLOUR_COUNT || m_colourUsed[colour])
            continue; // a colour this game does not have, or has given: no place to keep
        m_colourUsed[colour] = true;
        char name[PLAYER_NAME_SIZE] = {};
        std::memcpy(name, row.name, PLAYER_NAME_SIZE - 1);
        const size_t length = std::strlen(name);
        constexpr size_t WATCHING_LENGTH = sizeof(WATCHING_SUFFIX) - 1;
        if (length > WATCHING_LENGTH && std::strcmp(name + length - WATCHING_LENGTH, WATCHING_SUFFIX) == 0)
            name[length - WATCHING_LENGTH] = '\0'; // kept for it as for those who played
        const int place = addPlace(colour, name);
        m_playerIDs.push_back(0); // no connection holds it yet
        PlayerRecord& player = m_players[place];
        player.connected = false;
        player.reserved = true;
        player.score = row.score;
        m_elements[player.shipID].setVisible(false);
    }
}

int ZEBGameStateGame::reservedPlaceFor(const char* name) const {
    for (int place = 0; place < getPlayerCount(); ++place) {
        if (m_players[place].reserved && std::strncmp(m_players[place].name, name, PLAYER_NAME_SIZE) == 0)
            return place;
    }
    return -1;
}

int ZEBGameStateGame::freePlace() const {
    int reserved = -1;
    for (int place = 0; place < getPlayerCount(); ++place) {
        const PlayerRecord& player = m_players[place];
        if (player.connected || player.watcherID != 0 || player.returnWait > 0.0f)
            continue; // its player watches and comes back to it
        if (!player.reserved)
            return place;
        if (reserved < 0)
            reserved = place;
    }
    return reserved; // the caller knows that a place is free
}
