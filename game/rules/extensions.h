#pragma once

// Messages beyond the game's own, understood only by copies that say so.
//
// A copy that knows them announces what it understands inside its join
// request: in the last bytes of the name field, after the name's terminator,
// which the game's own protocol leaves unspecified and a host reading only the
// name never looks at. A host that knows them answers with MSG_CAPABILITIES,
// to that player alone, with what both understand. A host that does not know
// them never answers, so its player never sends an extension; a host never
// sends one to a player that did not announce it. Copies that know only the
// game's own messages thus never meet a type they do not know. Each extension
// is one bit: a later one takes the next bit, and a copy ignores bits it does
// not know. A name too long to leave room for the announcement announces
// nothing, and its player plays without the extensions.

#include "game/rules/compactreport.h"
#include "game/rules/compactstate.h"
#include "game/rules/protocol.h"
#include "networklib/networkmessage.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr int MSG_CAPABILITIES = 13; // host to client: the extensions both understand
constexpr int MSG_CHAT_SAY = 14;     // client to host: a line the player typed
constexpr int MSG_CHAT_LINE = 15;    // host to one player: a line to show
constexpr int MSG_WATCHERS = 16;     // host to one copy: the names of those who watch the game
constexpr int MSG_GAME_MOVES = 19;   // host to one copy: the game moves to a bigger one, at this address
// The moving host's copy to the bigger game's host, before its join request:
// the score table of the game that moves (the layout of MSG_PLAYER_STATS), so
// that its players keep their places' scores and colours there. Sent only to
// a host that ranks its game, which understands it.
constexpr int MSG_PLACES_FOLLOW = 20;

constexpr uint32_t CAPABILITY_CHAT = 1u << 0;
// Copies that watch without a ship, and the list of their names.
constexpr uint32_t CAPABILITY_WATCH = 1u << 1;
// CAPABILITY_COMPACT (1u << 2), with its messages 17 and 18: compactstate.h.
// A host whose game moves to a bigger one tells the copies where, and they
// join it at once; the others learn only that the session ended, and search.
constexpr uint32_t CAPABILITY_MOVE = 1u << 3;
// CAPABILITY_UPLINK (1u << 4), the compact stream's other half, with its
// message 21 and the controls entries: compactreport.h. A host shares it only
// with CAPABILITY_COMPACT.
// What this build understands.
constexpr uint32_t OWN_CAPABILITIES =
    CAPABILITY_CHAT | CAPABILITY_WATCH | CAPABILITY_COMPACT | CAPABILITY_MOVE | CAPABILITY_UPLINK;
// What a host that understands all this shares with a copy that announced these bits.
uint32_t sharedCapabilities(uint32_t announced);
// Not something understood but something asked: the copy joins to watch. Only
// a host that shares CAPABILITY_WATCH reads it and answers with a full state
// whose ship is WATCHER_SHIP_ID; a host that does not gives the copy a ship
// like any player's, and the copy leaves at once.
constexpr uint32_t ANNOUNCE_WATCHING = 1u << 15;
// Also asked, not understood: the copy played in the game before this one (a
// host was lost) and says which row of that game's score table was its own,
// in the byte before the announcement. A host keeping places for that table
// gives a kept place only to the copy of its row when several share a name.
constexpr uint32_t ANNOUNCE_FORMER_ROW = 1u << 14;
constexpr int32_t WATCHER_SHIP_ID = -1;
constexpr int MAX_WATCHERS = 16; // a host admits no more; they take none of the players' places

constexpr int CAPABILITIES_SIZE = 4;
constexpr int GAME_MOVE_SIZE = 4 + 2; // the bigger game's IPv4 address, its port
constexpr int CHAT_TEXT_MAX_BYTES = 120;
constexpr int CHAT_LINE_HEADER_SIZE = 4 + PLAYER_NAME_SIZE; // sender's ship id, sender's name; then the text
// The ship id of a line from the host itself (its operator, or a notice).
constexpr int32_t CHAT_FROM_HOST = -1;
// The ship id of a line from a copy that watches: it has no ship.
constexpr int32_t CHAT_FROM_WATCHER = -2;
constexpr char CHAT_HOST_NAME[] = "Host";
// The host's notice to a player whose line went over the limit.
constexpr char CHAT_TOO_FAST[] = "Too many lines: wait a few seconds.";

struct GameMove {
    uint32_t host = 0; // IPv4, host order
    uint16_t port = 0;
};

struct ChatLine {
    int32_t senderID = CHAT_FROM_HOST; // the sender's ship, or CHAT_FROM_HOST
    char name[PLAYER_NAME_SIZE] = {};
    std::string text;
};

// A line every copy shows unchanged: 1 to CHAT_TEXT_MAX_BYTES bytes of valid
// UTF-8 without control or bidirectional characters, not spaces alone.
bool isCleanChatText(const uint8_t* text, int size);
// Typed text made into such a line: cleaned as names are, cut to
// CHAT_TEXT_MAX_BYTES at a character boundary; empty when nothing is left.
std::string makeChatText(const std::string& typed);

// The name a host gives a copy that joins as nobody or as the host itself:
// an empty or blank name (spaces, invisible spaces, all-zero bytes), or
// CHAT_HOST_NAME in any case and spacing, so that no line can pass for the
// host's own. Any other name is kept.
constexpr char STAND_IN_NAME[] = "Player";
std::string nameToAdmit(const char* name);

// The announcement's place in the join request's 32-byte name field: a mark,
// then the bits, after a name of at most JOIN_ANNOUNCEMENT_MAX_NAME bytes.
constexpr int JOIN_ANNOUNCEMENT_AT = JOIN_REQUEST_SIZE - 4;
constexpr int JOIN_ANNOUNCEMENT_MAX_NAME = JOIN_ANNOUNCEMENT_AT - 1; // its terminator comes before the mark
constexpr uint8_t JOIN_ANNOUNCEMENT_MARK[2] = {0x5A, 0xC5};
constexpr int JOIN_FORMER_ROW_AT = JOIN_ANNOUNCEMENT_AT - 1; // the name must end before it
// A join request for name that announces capabilities when the name leaves
// room, and formerRow (0 or more; negative: none) when it leaves room for that too.
networkMessage writeAnnouncingJoinRequest(const char* name, uint32_t capabilities, int formerRow = -1);
bool canAnnounce(const std::string& name);
// The name cut at a character boundary to leave room for the announcement.
std::string nameLeavingRoom(const std::string& name);
// What a join request announces; 0 for a request without an announcement.
uint32_t readJoinAnnouncement(const uint8_t* data, int size);
// The row a join request says was its own; -1 when it says none.
int readJoinFormerRow(const uint8_t* data, int size);

networkMessage writeCapabilities(uint32_t capabilities);
networkMessage writeChatSay(const std::string& text); // text as makeChatText leaves it
networkMessage writeChatLine(const ChatLine& line);
// Up to MAX_WATCHERS names, PLAYER_NAME_SIZE bytes each after their count.
networkMessage writeWatchers(const std::vector<std::string>& names);
networkMessage writeGameMove(const GameMove& move);

// Readers of a payload, refusing (false, output unchanged) what is not exactly
// the layout, and any text that is not clean.
bool readCapabilities(const uint8_t* data, int size, uint32_t* out);
bool readChatSay(const uint8_t* data, int size, std::string* out);
bool readChatLine(const uint8_t* data, int size, ChatLine* out); // the name is made safe to show
bool readWatchers(const uint8_t* data, int size, std::vector<std::string>* out); // names made safe to show
bool readGameMove(const uint8_t* data, int size, GameMove* out); // an address and a port, neither 0
