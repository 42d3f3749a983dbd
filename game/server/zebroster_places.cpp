#include "game/server/zebroster.h"

#include "networklib/networkmessage.h"

#include <algorithm>
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

void ZEBRoster::reservePlaces(ZEBGameStateGame& game, const std::vector<PlayerStats>& formerTable) {
    keepPlaces(game, formerTable, false);
}

void ZEBRoster::keepPlaces(ZEBGameStateGame& game, const std::vector<PlayerStats>& table, bool anyColour) {
    for (size_t rowIndex = 0; rowIndex < table.size(); ++rowIndex) {
        const PlayerStats& row = table[rowIndex];
        if (game.getPlayerCount() >= MAX_PLAYERS)
            return;
        if (hasLeft(row))
            continue;
        int colour = 0;
        while (colour < PLAYER_COLOUR_COUNT && !(m_colours[colour] == row.colour))
            ++colour;
        if (colour < PLAYER_COLOUR_COUNT && !m_colourUsed[colour])
            m_colourUsed[colour] = true;
        else if (anyColour)
            colour = chooseColour();
        else
            continue; // a colour this game does not have, or has given: no place to keep
        char name[PLAYER_NAME_SIZE] = {};
        std::memcpy(name, row.name, PLAYER_NAME_SIZE - 1);
        const size_t length = std::strlen(name);
        constexpr size_t WATCHING_LENGTH = sizeof(WATCHING_SUFFIX) - 1;
        if (length > WATCHING_LENGTH && std::strcmp(name + length - WATCHING_LENGTH, WATCHING_SUFFIX) == 0)
            name[length - WATCHING_LENGTH] = '\0'; // kept for it as for those who played
        const int place = game.addPlace(m_colours[colour], name);
        m_playerIDs.push_back(0); // no connection holds it yet
        PlayerRecord& player = game.getPlayer(place);
        player.connected = false;
        player.reserved = true;
        player.formerRow = static_cast<int>(rowIndex);
        player.score = row.score;
        game.getElement(player.shipID).setVisible(false);
    }
}

// Players who share a name (everyone is "Player" by default) are told apart
// by the row their copies say was theirs; a copy that says nothing takes the
// first place kept under its name.
int ZEBRoster::reservedPlaceFor(const ZEBGameStateGame& game, const char* name, int formerRow) const {
    for (int place = 0; place < game.getPlayerCount(); ++place) {
        const PlayerRecord& player = game.getPlayer(place);
        if (player.reserved && std::strncmp(player.name, name, PLAYER_NAME_SIZE) == 0 &&
            (formerRow < 0 || player.formerRow == formerRow))
            return place;
    }
    return -1;
}

// A place that nobody holds and nobody is owed; -1 when there is none.
int ZEBRoster::freePlace(const ZEBGameStateGame& game) const {
    for (int place = 0; place < game.getPlayerCount(); ++place) {
        const PlayerRecord& player = game.getPlayer(place);
        // A place its player left to watch waits for it too.
        if (!player.connected && !player.reserved && player.watcherID == 0 && !(player.returnWait > 0.0f))
            return place;
    }
    return -1;
}

// A moving game's host brings its table once, before it joins, and only
// while this game expects a game to move here: a copy cannot give itself a
// score by sending a table at another time.
void ZEBRoster::handlePlacesFollow(ZEBGameStateGame& game, const networkMessage& message) {
    const uint32_t sender = message.getPlayerID();
    if (!m_takingMovingGames || lookupPlayer(sender) >= 0 || lookupWatcher(sender) >= 0 ||
        std::find(m_placesBrought.begin(), m_placesBrought.end(), sender) != m_placesBrought.end() ||
        static_cast<int>(m_placesBrought.size()) >= MAX_PENDING_CONNECTIONS)
        return;
    std::vector<PlayerStats> table;
    if (!readPlayerStats(message.getData(), message.getDataSize(), &table))
        return;
    m_placesBrought.push_back(sender);
    m_keptPlacesFor = 0.0f;
    keepPlaces(game, table, true);
}

void ZEBRoster::updateKeptPlaces(ZEBGameStateGame& game, float dt) {
    m_keptPlacesFor += dt;
    if (m_keptPlacesFor < KEPT_PLACE_LIMIT)
        return;
    for (int place = 0; place < game.getPlayerCount(); ++place) {
        PlayerRecord& player = game.getPlayer(place);
        if (!player.reserved)
            continue;
        player.reserved = false;
        player.formerRow = -1;
        labelRow(player, DISCONNECTED_SUFFIX);
    }
}
