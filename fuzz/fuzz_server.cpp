#include "fuzz/fuzzinput.h"
#include "game/rules/zebobject.h"
#include "game/server/zebhostedgamestate.h"

// The host's game fed what players send: messages from up to 256 senders,
// a few a tick, with the level's kinds of shapes. A record of sender 0 (no
// player has that id) of type 1 or 2 is the transport's event instead: a
// player's connection or departure, the player's id first in its payload
// and, for a connection, the address it comes from after it when given.
namespace {

bool scriptsEvent(const networkMessage& message, networkEvent& event) {
    if (message.getPlayerID() != 0 || message.getDataSize() < 4)
        return false;
    if (message.getType() != NETWORK_LOG_PLAYER_JOINED && message.getType() != NETWORK_LOG_PLAYER_LEFT)
        return false;
    event.kind = message.getType() == NETWORK_LOG_PLAYER_JOINED ? networkEventKind::playerJoined
                                                                : networkEventKind::playerLeft;
    event.playerID = readU32(message.getData());
    event.address = message.getDataSize() >= 8 ? readU32(message.getData() + 4) : 0;
    return true;
}

std::vector<ZEBObject> makeShapes() {
    const vector3 ship[] = {{1, 0, 0}, {-1, 0.6f, 0}, {-1, -0.6f, 0}};
    const vector3 bullet[] = {{0.1f, 0, 0}, {-0.1f, 0, 0}};
    const vector3 rock[] = {{1, 1, 0}, {-1, 1, 0}, {-1, -1, 0}, {1, -1, 0}};
    std::vector<ZEBObject> shapes(3);
    shapes[0].create(TYPE_PLAYER, ship, 3);
    shapes[1].create(TYPE_BULLET, bullet, 2);
    shapes[2].create(TYPE_ASTEROID, rock, 4);
    return shapes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    abortOnAssertion();
    static std::vector<ZEBObject> shapes = makeShapes();
    const std::vector<networkMessage> messages = splitMessages(data, size, true);
    ZEBHostedGameState game;
    game.setAsteroids(2, 1.0f);
    game.sortObjects(shapes);
    game.createAsteroids();
    constexpr size_t PER_TICK = 4;
    for (size_t first = 0; first < messages.size(); first += PER_TICK) {
        messageQueue received;
        std::vector<networkEvent> events;
        for (size_t i = first; i < messages.size() && i < first + PER_TICK; ++i) {
            networkEvent event;
            event.messagesBefore = received.size();
            if (scriptsEvent(messages[i], event))
                events.push_back(event);
            else
                received.push(messages[i]);
        }
        messageQueue toSend;
        game.tick(1.0f / 45.0f, shapes, received, events, toSend);
        if (game.getPlayerCount() > MAX_PLAYERS || game.getWatcherCount() > MAX_WATCHERS)
            __builtin_trap();
        std::vector<ChatLine> lines;
        game.takeChatLines(lines);
        for (const ChatLine& line : lines) {
            const auto* text = reinterpret_cast<const uint8_t*>(line.text.data());
            if (!isCleanChatText(text, static_cast<int>(line.text.size())))
                __builtin_trap(); // the host relayed what no copy may show
        }
    }
    return 0;
}
