#include "game/rules/extensions.h"

#include "core/displaytext.h"
#include "core/littleendian.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <vector>

namespace {

constexpr int WATCHERS_HEADER_SIZE = 4;

std::string safeName(const uint8_t* field) {
    char name[PLAYER_NAME_SIZE];
    std::memcpy(name, field, PLAYER_NAME_SIZE);
    name[PLAYER_NAME_SIZE - 1] = '\0';
    return makeDisplayText(name, std::strlen(name));
}

// Characters that show nothing: no name may consist of them alone, and they
// do not set a name apart from the host's.
constexpr const char* BLANKS[] = {
    " ",
    "\xC2\xA0",
    "\xC2\xAD",
    "\xE1\x9A\x80",
    "\xE2\x80\x80",
    "\xE2\x80\x81",
    "\xE2\x80\x82",
    "\xE2\x80\x83",
    "\xE2\x80\x84",
    "\xE2\x80\x85",
    "\xE2\x80\x86",
    "\xE2\x80\x87",
    "\xE2\x80\x88",
    "\xE2\x80\x89",
    "\xE2\x80\x8A",
    "\xE2\x80\x8B",
    "\xE2\x80\x8C",
    "\xE2\x80\x8D",
    "\xE2\x80\xAF",
    "\xE2\x81\x9F",
    "\xE2\x81\xA0",
    "\xE3\x80\x80",
    "\xEF\xBB\xBF",
};

std::string withoutBlanks(const std::string& name) {
    std::string kept;
    for (size_t at = 0; at < name.size();) {
        const auto blank = std::find_if(std::begin(BLANKS), std::end(BLANKS), [&](const char* b) {
            return name.compare(at, std::strlen(b), b) == 0;
        });
        if (blank != std::end(BLANKS)) {
            at += std::strlen(*blank);
            continue;
        }
        kept += static_cast<char>(std::tolower(static_cast<unsigned char>(name[at++])));
    }
    return kept;
}

} // namespace

std::string nameToAdmit(const char* name) {
    const std::string given = name == nullptr ? std::string() : std::string(name);
    const std::string seen = withoutBlanks(given);
    return seen.empty() || seen == withoutBlanks(CHAT_HOST_NAME) ? std::string(STAND_IN_NAME) : given;
}

bool isCleanChatText(const uint8_t* text, int size) {
    if (text == nullptr || size < 1 || size > CHAT_TEXT_MAX_BYTES)
        return false;
    const char* chars = reinterpret_cast<const char*>(text);
    const std::string shown = makeDisplayText(chars, static_cast<size_t>(size));
    // A line of spaces alone says nothing, and no copy sends one.
    return shown.size() == static_cast<size_t>(size) && std::memcmp(shown.data(), chars, shown.size()) == 0 &&
           shown.find_first_not_of(' ') != std::string::npos;
}

std::string makeChatText(const std::string& typed) {
    const std::string line = cutAtCharacter(makeDisplayText(typed), CHAT_TEXT_MAX_BYTES);
    return line.find_first_not_of(' ') == std::string::npos ? std::string() : line;
}

uint32_t sharedCapabilities(uint32_t announced) {
    const uint32_t shared = announced & OWN_CAPABILITIES;
    return (shared & CAPABILITY_COMPACT) != 0 ? shared : shared & ~CAPABILITY_UPLINK;
}

bool canAnnounce(const std::string& name) {
    return name.size() <= static_cast<size_t>(JOIN_ANNOUNCEMENT_MAX_NAME);
}

std::string nameLeavingRoom(const std::string& name) {
    return cutAtCharacter(name, JOIN_ANNOUNCEMENT_MAX_NAME);
}

networkMessage writeAnnouncingJoinRequest(const char* name, uint32_t capabilities, int formerRow) {
    networkMessage request = writeJoinRequest(name);
    if (request.getDataSize() != JOIN_REQUEST_SIZE || name == nullptr || !canAnnounce(name))
        return request;
    std::vector<uint8_t> payload(request.getData(), request.getData() + JOIN_REQUEST_SIZE);
    capabilities &= ~ANNOUNCE_FORMER_ROW;
    if (formerRow >= 0 && formerRow <= 0xFF && std::strlen(name) < static_cast<size_t>(JOIN_FORMER_ROW_AT)) {
        payload[JOIN_FORMER_ROW_AT] = static_cast<uint8_t>(formerRow);
        capabilities |= ANNOUNCE_FORMER_ROW;
    }
    payload[JOIN_ANNOUNCEMENT_AT] = JOIN_ANNOUNCEMENT_MARK[0];
    payload[JOIN_ANNOUNCEMENT_AT + 1] = JOIN_ANNOUNCEMENT_MARK[1];
    payload[JOIN_ANNOUNCEMENT_AT + 2] = static_cast<uint8_t>(capabilities & 0xFF);
    payload[JOIN_ANNOUNCEMENT_AT + 3] = static_cast<uint8_t>((capabilities >> 8) & 0xFF);
    return networkMessage(MSG_JOIN_REQUEST, payload.data(), JOIN_REQUEST_SIZE);
}

uint32_t readJoinAnnouncement(const uint8_t* data, int size) {
    if (data == nullptr || size != JOIN_REQUEST_SIZE)
        return 0;
    // The name must end before the announcement, or its bytes are the name's.
    const void* terminator = std::memchr(data, 0, JOIN_ANNOUNCEMENT_AT);
    if (terminator == nullptr || data[JOIN_ANNOUNCEMENT_AT] != JOIN_ANNOUNCEMENT_MARK[0] ||
        data[JOIN_ANNOUNCEMENT_AT + 1] != JOIN_ANNOUNCEMENT_MARK[1])
        return 0;
    return static_cast<uint32_t>(data[JOIN_ANNOUNCEMENT_AT + 2]) |
           (static_cast<uint32_t>(data[JOIN_ANNOUNCEMENT_AT + 3]) << 8);
}

int readJoinFormerRow(const uint8_t* data, int size) {
    if ((readJoinAnnouncement(data, size) & ANNOUNCE_FORMER_ROW) == 0 ||
        std::memchr(data, 0, JOIN_FORMER_ROW_AT) == nullptr)
        return -1;
    return data[JOIN_FORMER_ROW_AT];
}

networkMessage writeCapabilities(uint32_t capabilities) {
    uint8_t payload[CAPABILITIES_SIZE];
    writeU32(payload, capabilities);
    networkMessage message(MSG_CAPABILITIES, payload, CAPABILITIES_SIZE);
    message.setGuaranteed(true);
    return message;
}

networkMessage writeChatSay(const std::string& text) {
    networkMessage message(MSG_CHAT_SAY, text.data(), static_cast<int>(text.size()));
    message.setGuaranteed(true);
    return message;
}

networkMessage writeChatLine(const ChatLine& line) {
    std::vector<uint8_t> payload(CHAT_LINE_HEADER_SIZE + line.text.size());
    writeI32(payload.data(), line.senderID);
    std::memcpy(payload.data() + 4, line.name, PLAYER_NAME_SIZE);
    payload[4 + PLAYER_NAME_SIZE - 1] = 0;
    std::memcpy(payload.data() + CHAT_LINE_HEADER_SIZE, line.text.data(), line.text.size());
    networkMessage message(MSG_CHAT_LINE, payload.data(), static_cast<int>(payload.size()));
    message.setGuaranteed(true);
    return message;
}

bool readCapabilities(const uint8_t* data, int size, uint32_t* out) {
    if (out == nullptr || data == nullptr || size != CAPABILITIES_SIZE)
        return false;
    *out = readU32(data);
    return true;
}

bool readChatSay(const uint8_t* data, int size, std::string* out) {
    if (out == nullptr || !isCleanChatText(data, size))
        return false;
    out->assign(reinterpret_cast<const char*>(data), static_cast<size_t>(size));
    return true;
}

bool readChatLine(const uint8_t* data, int size, ChatLine* out) {
    if (out == nullptr || data == nullptr || size <= CHAT_LINE_HEADER_SIZE ||
        !isCleanChatText(data + CHAT_LINE_HEADER_SIZE, size - CHAT_LINE_HEADER_SIZE))
        return false;
    out->senderID = readI32(data);
    copyPlayerName(out->name, safeName(data + 4).c_str());
    out->text.assign(reinterpret_cast<const char*>(data + CHAT_LINE_HEADER_SIZE),
                     static_cast<size_t>(size - CHAT_LINE_HEADER_SIZE));
    return true;
}

networkMessage writeWatchers(const std::vector<std::string>& names) {
    const size_t count = std::min(names.size(), static_cast<size_t>(MAX_WATCHERS));
    std::vector<uint8_t> payload(WATCHERS_HEADER_SIZE + count * PLAYER_NAME_SIZE, 0);
    writeU32(payload.data(), static_cast<uint32_t>(count));
    for (size_t i = 0; i < count; ++i) {
        char field[PLAYER_NAME_SIZE] = {};
        copyPlayerName(field, names[i].c_str());
        std::memcpy(payload.data() + WATCHERS_HEADER_SIZE + i * PLAYER_NAME_SIZE, field, PLAYER_NAME_SIZE);
    }
    networkMessage message(MSG_WATCHERS, payload.data(), static_cast<int>(payload.size()));
    message.setGuaranteed(true);
    return message;
}

bool readWatchers(const uint8_t* data, int size, std::vector<std::string>* out) {
    if (out == nullptr || data == nullptr || size < WATCHERS_HEADER_SIZE)
        return false;
    const uint32_t count = readU32(data);
    if (count > MAX_WATCHERS || size != WATCHERS_HEADER_SIZE + static_cast<int>(count) * PLAYER_NAME_SIZE)
        return false;
    out->clear();
    for (uint32_t i = 0; i < count; ++i)
        out->push_back(safeName(data + WATCHERS_HEADER_SIZE + i * PLAYER_NAME_SIZE));
    return true;
}

networkMessage writeGameMove(const GameMove& move) {
    uint8_t payload[GAME_MOVE_SIZE];
    writeU32(payload, move.host);
    writeU16(payload + 4, move.port);
    networkMessage message(MSG_GAME_MOVES, payload, GAME_MOVE_SIZE);
    message.setGuaranteed(true);
    return message;
}

bool readGameMove(const uint8_t* data, int size, GameMove* out) {
    if (data == nullptr || out == nullptr || size != GAME_MOVE_SIZE)
        return false;
    const GameMove move{readU32(data), readU16(data + 4)};
    if (move.host == 0 || move.port == 0)
        return false;
    *out = move;
    return true;
}
