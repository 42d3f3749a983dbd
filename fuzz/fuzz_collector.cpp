#include "fuzz/fuzzinput.h"
#include "game/client/zebgamestatecollector.h"

#include <cmath>

// The client's game state fed what a host sends, a few messages a frame.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    abortOnAssertion();
    const std::vector<networkMessage> messages = splitMessages(data, size, false);
    ZEBGameStateCollector collector;
    collector.setWatching(size % 2 == 1); // half the inputs are read by a copy that watches
    PlayerInput input;
    input.up = true;
    input.left = true;
    collector.setInput(input);
    constexpr size_t PER_FRAME = 3;
    for (size_t first = 0; first < messages.size(); first += PER_FRAME) {
        messageQueue received;
        for (size_t i = first; i < messages.size() && i < first + PER_FRAME; ++i)
            received.push(messages[i]);
        messageQueue toSend;
        collector.update(1.0f / 45.0f, received, toSend);
        if (collector.getElementCount() > MAX_COLLECTOR_ELEMENTS ||
            collector.getStatsCount() > MAX_STATS_ROWS ||
            collector.getWatchers().size() > static_cast<size_t>(MAX_WATCHERS))
            __builtin_trap();
        if (collector.canChat())
            collector.say("hello");
        std::vector<ChatLine> lines;
        collector.takeChatLines(lines);
        if (static_cast<int>(lines.size()) > MAX_PENDING_CHAT)
            __builtin_trap();
    }
    for (int e = 0; e < collector.getElementCount(); ++e) {
        bool visible = false;
        int type = 0;
        int objectID = 0;
        matrix transform;
        colour4 colour;
        collector.getElement(e, visible, type, objectID, transform, colour);
    }
    return 0;
}
