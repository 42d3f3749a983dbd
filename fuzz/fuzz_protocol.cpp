#include "game/rules/extensions.h"
#include "game/rules/protocol.h"

#include <cstring>

// Every reader of the game's payloads, on the same bytes. A reader that
// accepts must account for every byte: writing what it read gives them back.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int length = static_cast<int>(size > 1 << 20 ? 1 << 20 : size);
    const uint8_t* payload = length > 0 ? data : nullptr;
    JoinRequest join;
    readJoinRequest(payload, length, &join);
    FullStateHeader header;
    std::vector<ZEBGameStateElement> elements;
    if (readFullState(payload, length, &header, &elements) &&
        static_cast<int>(elements.size()) != header.count)
        __builtin_trap();
    ZEBGameStateElement element;
    readNewElement(payload, length, &element);
    ElementUpdate update;
    if (readElementUpdate(payload, length, &update) && update.record.getID() != update.elementID)
        __builtin_trap();
    PlayerInput input;
    if (readPlayerInput(payload, length, &input)) {
        const networkMessage again = writePlayerInput(input);
        for (int i = 0; i < PLAYER_INPUT_SIZE; ++i)
            if ((payload[i] == 1) != (again.getData()[i] == 1))
                __builtin_trap();
    }
    PartialRecord record;
    readPlayerState(payload, length, &record);
    std::vector<PlayerStats> rows;
    if (readPlayerStats(payload, length, &rows)) {
        for (const PlayerStats& row : rows)
            if (std::memchr(row.name, 0, PLAYER_NAME_SIZE) == nullptr)
                __builtin_trap();
    }
    Explosion explosion;
    if (readExplosion(payload, length, &explosion)) {
        const networkMessage again = writeExplosion(explosion);
        if (std::memcmp(again.getData(), payload, EXPLOSION_SIZE) != 0)
            __builtin_trap();
    }
    uint16_t sequence = 0;
    std::vector<CompactEntry> entries;
    CompactReport report;
    if (readCompactReport(payload, length, &report)) {
        const networkMessage again = writeCompactReport(report);
        if (again.getDataSize() != length || std::memcmp(again.getData(), payload, length) != 0)
            __builtin_trap();
    }
    if (readCompactState(payload, length, &sequence, &entries, (length & 1) != 0)) {
        compactWriter again(sequence);
        for (const CompactEntry& entry : entries)
            if (!again.add(entry))
                __builtin_trap();
        const networkMessage rewritten = again.message();
        if (rewritten.getDataSize() != length || std::memcmp(rewritten.getData(), payload, length) != 0)
            __builtin_trap();
    }
    CompactAck ack;
    if (readCompactAck(payload, length, &ack) &&
        std::memcmp(writeCompactAck(ack).getData(), payload, COMPACT_ACK_SIZE) != 0)
        __builtin_trap();
    uint32_t capabilities = 0;
    readCapabilities(payload, length, &capabilities);
    std::string said;
    if (readChatSay(payload, length, &said) && makeChatText(said) != said)
        __builtin_trap(); // a line the host relays is one a copy would have sent as it is
    std::vector<std::string> watchers;
    if (readWatchers(payload, length, &watchers) && watchers.size() > static_cast<size_t>(MAX_WATCHERS))
        __builtin_trap();
    ChatLine line;
    if (readChatLine(payload, length, &line) &&
        (std::memchr(line.name, 0, PLAYER_NAME_SIZE) == nullptr ||
         !isCleanChatText(reinterpret_cast<const uint8_t*>(line.text.data()),
                          static_cast<int>(line.text.size()))))
        __builtin_trap();
    return 0;
}
