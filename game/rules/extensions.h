#pragma once

// Messages beyond the game's own, understood only by copies that say so.
//
// A copy that knows them announces what it understands with MSG_CAPABILITIES
// beside its join request; a host that knows them answers, to that player
// alone, with what both understand. A host that does not know the type drops
// it like any type it does not read, so its player never hears an answer and
// never sends an extension; a host never sends one to a player that did not
// announce it. Copies that know only the game's own messages thus never meet
// a type they do not know. Each extension is one bit: a later one takes the
// next bit, and a copy ignores bits it does not know.

#include "game/rules/protocol.h"
#include "networklib/networkmessage.h"

#include <cstdint>
#include <string>

constexpr int MSG_CAPABILITIES = 13; // client to host: understood; host to client: shared
constexpr int MSG_CHAT_SAY = 14;     // client to host: a line the player typed
constexpr int MSG_CHAT_LINE = 15;    // host to one player: a line to show

constexpr uint32_t CAPABILITY_CHAT = 1u << 0;
// What this build understands.
constexpr uint32_t OWN_CAPABILITIES = CAPABILITY_CHAT;

constexpr int CAPABILITIES_SIZE = 4;
constexpr int CHAT_TEXT_MAX_BYTES = 120;
constexpr int CHAT_LINE_HEADER_SIZE = 4 + PLAYER_NAME_SIZE; // sender's ship id, sender's name; then the text
// The ship id of a line from the host itself (its operator, or a notice).
constexpr int32_t CHAT_FROM_HOST = -1;
constexpr char CHAT_HOST_NAME[] = "Host";
// The host's notice to a player whose line went over the limit.
constexpr char CHAT_TOO_FAST[] = "Too many lines: wait a few seconds.";

struct ChatLine {
    int32_t senderID = CHAT_FROM_HOST; // the sender's ship, or CHAT_FROM_HOST
    char name[PLAYER_NAME_SIZE] = {};
    std::string text;
};

// A line every copy shows unchanged: 1 to CHAT_TEXT_MAX_BYTES bytes of valid
// UTF-8 without control or bidirectional characters.
bool isCleanChatText(const uint8_t* text, int size);
// Typed text made into such a line: cleaned as names are, cut to
// CHAT_TEXT_MAX_BYTES at a character boundary; empty when nothing is left.
std::string makeChatText(const std::string& typed);

networkMessage writeCapabilities(uint32_t capabilities);
networkMessage writeChatSay(const std::string& text); // text as makeChatText leaves it
networkMessage writeChatLine(const ChatLine& line);

// Readers of a payload, refusing (false, output unchanged) what is not exactly
// the layout, and any text that is not clean.
bool readCapabilities(const uint8_t* data, int size, uint32_t* out);
bool readChatSay(const uint8_t* data, int size, std::string* out);
bool readChatLine(const uint8_t* data, int size, ChatLine* out); // the name is made safe to show
