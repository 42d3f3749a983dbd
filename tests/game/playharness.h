#pragma once

// One server game and several clients in one process, exchanging message
// queues as the frame update does: every client's update, then the server's
// tick, then each produced message is delivered to every client or to its
// addressee. Messages cross as wire bytes, so the sender's id is attached as
// the network layer would. No network, no clock: time is the dt passed to step.

#include "core/random.h"
#include "game/client/zebgamestatecollector.h"
#include "game/rules/protocol.h"
#include "game/rules/zebobject.h"
#include "game/server/zebhostedgamestate.h"
#include "networklib/networkevent.h"
#include "networklib/networkmessage.h"
#include "platform/net/netevents.h"
#include "tests/game/gamestateaccess.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace play {

constexpr float FRAME = 1.0f / 45.0f;

// Shapes of the harness level: a ship pointing along +x, a square bullet and
// two asteroid outlines. Indexes: 0 ship, 1 bullet, 2 square asteroid, 3 hexagon.
constexpr int SHIP_SHAPE = 0;
constexpr int BULLET_SHAPE = 1;
constexpr int SQUARE_ASTEROID = 2;
constexpr int HEXAGON_ASTEROID = 3;

inline std::vector<ZEBObject> makeShapes() {
    const vector3 ship[] = {vector3(1.0f, 0.0f, 0.0f), vector3(-1.0f, 0.6f, 0.0f),
                            vector3(-1.0f, -0.6f, 0.0f)};
    const vector3 bullet[] = {vector3(0.1f, 0.1f, 0.0f), vector3(-0.1f, 0.1f, 0.0f),
                              vector3(-0.1f, -0.1f, 0.0f), vector3(0.1f, -0.1f, 0.0f)};
    const vector3 square[] = {vector3(1.0f, 1.0f, 0.0f), vector3(-1.0f, 1.0f, 0.0f),
                              vector3(-1.0f, -1.0f, 0.0f), vector3(1.0f, -1.0f, 0.0f)};
    const vector3 hexagon[] = {vector3(1.0f, 0.0f, 0.0f),    vector3(0.5f, 0.87f, 0.0f),
                               vector3(-0.5f, 0.87f, 0.0f),  vector3(-1.0f, 0.0f, 0.0f),
                               vector3(-0.5f, -0.87f, 0.0f), vector3(0.5f, -0.87f, 0.0f)};
    std::vector<ZEBObject> shapes(4);
    shapes[SHIP_SHAPE].create(TYPE_PLAYER, ship, 3);
    shapes[BULLET_SHAPE].create(TYPE_BULLET, bullet, 4);
    shapes[SQUARE_ASTEROID].create(TYPE_ASTEROID, square, 4);
    shapes[HEXAGON_ASTEROID].create(TYPE_ASTEROID, hexagon, 6);
    return shapes;
}

// The shorter way round the play area, as a player sees the distance.
inline float seenDistance(const vector3& a, const vector3& b) {
    return std::hypot(wrapPlayArea(a.x - b.x), wrapPlayArea(a.y - b.y));
}

// A copy as it arrives from the network: the wire bytes, tagged with the sender.
inline networkMessage received(const networkMessage& sent, uint32_t sender) {
    networkMessage message;
    message.setFromReceived(sender, sent.getWireBuffer(), sent.getWireSize());
    return message;
}

struct Client {
    uint32_t playerID = 0;
    bool connected = true;
    int lossPercent = 0;        // of the host's messages that are not guaranteed, lost on the way here
    int upLossPercent = 0;      // of its own that are not guaranteed, lost on the way to the host
    std::vector<int> sentTypes; // everything it sent once joined, in order
    ZEBGameStateCollector collector;
    PlayerInput input;         // held keys, handed to the collector every frame
    bool holdOutgoing = false; // the link holds what it sends until this is cleared
    messageQueue held;
    messageQueue inbox;               // delivered by the last tick, read at the next update
    std::vector<networkMessage> seen; // everything delivered, in order
    bool strict = false;              // a copy that knows only the design's messages: sends no others
};

// The messages of the design: what a copy that knows nothing else sends as a
// client and reads as a host.
// A join request as a copy of the design writes or reads it: the name alone,
// nothing after its terminator.
inline networkMessage asDesignJoinRequest(const networkMessage& message) {
    JoinRequest request;
    if (message.getType() != MSG_JOIN_REQUEST ||
        !readJoinRequest(message.getData(), message.getDataSize(), &request))
        return message;
    return writeJoinRequest(request.name);
}

inline bool isDesignClientType(int type) {
    return type == MSG_JOIN_REQUEST || type == MSG_PLAYER_INPUT || type == MSG_PLAYER_STATE;
}
inline bool isDesignServerType(int type) {
    return type == MSG_FULL_STATE || type == MSG_NEW_ELEMENT || type == MSG_ELEMENT_UPDATE ||
           type == MSG_PLAYER_STATS || type == MSG_EXPLOSION;
}

class Harness {
  public:
    explicit Harness(int families, uint32_t seed = 1234u, float asteroidSpeed = 1.0f) : shapes(makeShapes()) {
        seedRandom(seed);
        game.setAsteroids(families, asteroidSpeed);
        game.sortObjects(shapes);
        game.createAsteroids();
    }

    // A client with its own player id, named "Player" unless told otherwise.
    Client& addClient(uint32_t playerID, const std::string& name = "Player") {
        clients.push_back(std::make_unique<Client>());
        Client& client = *clients.back();
        client.playerID = playerID;
        client.collector.setPlayerName(name);
        // The game's own state messages unless a scenario asks for the compact stream.
        client.collector.setAnnounced(OWN_CAPABILITIES & ~CAPABILITY_COMPACT);
        return client;
    }

    // One frame: every connected client's update, then the server's tick.
    void step(float dt = FRAME) {
        for (auto& client : clients) {
            if (!client->connected)
                continue;
            messageQueue out;
            client->collector.setInput(client->input);
            client->collector.update(dt, client->inbox, out);
            client->inbox.clear();
            while (out.hasMessages()) {
                const networkMessage sent = out.pop();
                if (client->collector.hasJoined())
                    client->sentTypes.push_back(sent.getType());
                if (client->upLossPercent > 0 && !sent.isGuaranteed() && lose(client->upLossPercent))
                    continue;
                if (!client->strict)
                    client->held.push(received(sent, client->playerID));
                else if (isDesignClientType(sent.getType()))
                    client->held.push(received(asDesignJoinRequest(sent), client->playerID));
            }
            while (!client->holdOutgoing && client->held.hasMessages()) {
                const networkMessage message = client->held.pop();
                if (!strictHost)
                    serverInbox.push(message);
                else if (message.getType() == MSG_JOIN_REQUEST)
                    serverInbox.push(received(asDesignJoinRequest(message), message.getPlayerID()));
                else if (isDesignClientType(message.getType()))
                    serverInbox.push(message);
                else
                    droppedByHost.push_back(message.getType());
            }
        }
        messageQueue toSend;
        game.tick(dt, shapes, serverInbox, serverEvents, toSend);
        serverEvents.clear();
        lastTick.clear();
        while (toSend.hasMessages()) {
            const networkMessage message = toSend.pop();
            lastTick.push_back(message);
            deliver(message);
        }
        ++ticks;
    }

    void steps(int count, float dt = FRAME) {
        for (int i = 0; i < count; ++i)
            step(dt);
    }

    // Frames until every connected client has joined (bounded).
    bool joinAll(int maxFrames = 10) {
        for (int i = 0; i < maxFrames; ++i) {
            if (allJoined())
                return true;
            step();
        }
        return allJoined();
    }

    bool allJoined() const {
        for (const auto& client : clients) {
            if (client->connected && !client->collector.hasJoined())
                return false;
        }
        return true;
    }

    // The host's operator speaks between two ticks.
    void hostSays(const std::string& text) {
        messageQueue toSend;
        game.say(text, toSend);
        hostSends(toSend);
    }
    // What the host's game produced between two ticks goes out.
    void hostSends(messageQueue& toSend) {
        while (toSend.hasMessages())
            deliver(toSend.pop());
    }

    // The network layer reports a new connection, from address (IPv4, host order).
    void connect(uint32_t playerID, uint32_t address = 0) {
        serverEvents.push_back({networkEventKind::playerJoined, playerID, 0, serverInbox.size(), address});
    }

    // The network layer reports the player gone, after what it sent; the client stops.
    void disconnect(Client& client) {
        client.connected = false;
        serverEvents.push_back(
            {networkEventKind::playerLeft, client.playerID, NET_REASON_NORMAL, serverInbox.size()});
    }

    // Index of the game's player record of a client.
    int playerIndex(const Client& client) const {
        for (int i = 0; i < game.getPlayerCount(); ++i) {
            if (game.getPlayer(i).shipID == client.collector.getOwnIndex())
                return i;
        }
        return -1;
    }

    // Stops every visible asteroid and parks it where it touches nothing.
    void parkAsteroids() {
        for (int id = 0; id < game.getElementCount(); ++id) {
            ZEBGameStateElement& element = elementOf(game, id);
            if (element.getType() != TYPE_ASTEROID)
                continue;
            element.setVelocity(ZERO);
            element.setObjectID(SQUARE_ASTEROID);
            if (element.isVisible())
                element.setPosition(vector3(-6.0f, 6.0f, 0.0f));
        }
    }

    int countInLastTick(int type) const {
        int count = 0;
        for (const networkMessage& message : lastTick)
            count += message.getType() == type ? 1 : 0;
        return count;
    }

    std::vector<ZEBObject> shapes;
    ZEBHostedGameState game;
    std::vector<std::unique_ptr<Client>> clients;
    messageQueue serverInbox;
    std::vector<networkEvent> serverEvents; // the transport's, for the next tick
    std::vector<networkMessage> lastTick;   // the messages of the last tick, in order
    int ticks = 0;
    bool strictHost = false;        // the host drops what the design's host does not read
    std::vector<int> droppedByHost; // types a strict host dropped, in order

  private:
    // The harness's own generator, so that loss does not change the game's draws.
    bool lose(int percent) {
        m_lossState = m_lossState * 1103515245u + 12345u;
        return static_cast<int>((m_lossState >> 16) % 100u) < percent;
    }

    uint32_t m_lossState = 1u;

    void deliver(const networkMessage& message) {
        for (auto& client : clients) {
            if (!client->connected)
                continue;
            if (message.getDestination() != ALL_PLAYERS && message.getDestination() != client->playerID)
                continue;
            if (!message.isGuaranteed() && lose(client->lossPercent))
                continue;
            const networkMessage arrived = received(message, 0);
            client->inbox.push(arrived);
            client->seen.push_back(arrived);
        }
    }
};

} // namespace play
