#pragma once

#include "game/rules/protocol.h"
#include "game/rules/zebobject.h"
#include "game/server/zebhostedgamestate.h"
#include "networklib/networkclient.h"
#include "networklib/networkhost.h"
#include "networklib/networkrank.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class messageQueue;
struct gameOptions;

// The folder of the page browsers load: --web-root, or web/ beside the program.
std::string webRootOf(const gameOptions& options);

// The game this copy hosts: the server game, the host end of the network and
// the level's shapes the game collides with. Made when a copy starts hosting
// (the dedicated server at its start, a windowed copy that found no game to
// join), and it dies when hosting ends: the dedicated server stopping, or a
// windowed copy whose own player has left, restarts set-up or quits. Dying,
// it tells its players that the session is over.
class ZEBHostedGame {
  public:
    // Hosts "The Game" (or the --session-name) for the level, keeping the
    // places of the players of formerTable for their return. A level that
    // cannot be loaded throws the QXL exceptions.
    ZEBHostedGame(const gameOptions& options, const std::vector<PlayerStats>& formerTable);
    ~ZEBHostedGame();
    ZEBHostedGame(const ZEBHostedGame&) = delete;
    ZEBHostedGame& operator=(const ZEBHostedGame&) = delete;

    // False when the copy could not host (it has said why on standard
    // error), and after stop.
    bool isHosting() { return m_host.isConnected(); }

    // One step: the received messages and the transport's events in, what
    // the game produces out to the players. The players it refuses are dropped (and returned, for a
    // report), and discovery learns how many play now.
    std::vector<PlayerRefusal> tick(float dt, messageQueue& received,
                                    const std::vector<networkEvent>& events);
    void receiveMessages(messageQueue& received, std::vector<networkEvent>& events) {
        m_host.receiveMessages(received, events);
    }

    // A line from the host's operator to every player whose copy shows chat.
    void say(const std::string& text);

    // Ends the hosting at once: the players are told and discovery falls silent.
    void stop() { m_host.stopHosting(); }

    // Looks at the other games on the network every few seconds. A game this
    // one should move to (networkrank.h) is returned once two looks in a row
    // have found it; nullopt otherwise, and always for a game that never
    // moves. nowMs: the millisecond clock.
    std::optional<networkClient::session> watchForBiggerGame(uint32_t nowMs);
    // The same looks, for a game that stays: the games that should have moved
    // here at the look before and are gone now.
    std::vector<networkClient::session> watchForMerges(uint32_t nowMs);
    networkGameStanding getStanding(uint32_t nowMs) const;
    // Tells the players whose copies understand where the game moves.
    void tellGameMove(const netAddress& bigger);

    // With --web: the lines that tell the operator what browsers open, or why
    // they cannot (the web port taken, no page in the web root); none without.
    std::vector<std::string> describeWeb(const gameOptions& options) const;
    bool isServingWeb() const { return m_host.getWebPort() != 0; }

    networkHost& getHost() { return m_host; }
    const networkHost& getHost() const { return m_host; }
    ZEBHostedGameState& getGame() { return m_game; }
    const ZEBHostedGameState& getGame() const { return m_game; }
    const std::vector<ZEBObject>& getShapes() const { return m_shapes; }

  private:
    void reportCannotHost(const gameOptions& options) const;
    // Every few seconds a look at the other ZEB games that rank theirs: true
    // when one ended since the last call, with what it found in seen.
    bool lookAround(uint32_t nowMs, std::vector<networkClient::session>& seen);

    ZEBHostedGameState m_game;
    std::vector<ZEBObject> m_shapes;
    networkHost m_host;
    bool m_dedicated = false;
    bool m_staysPut = false;
    uint32_t m_hostedSinceMs = 0;
    // The watch for bigger games: its own searches, apart from every session.
    std::optional<networkClient> m_watch;
    bool m_watchRunning = false;
    uint32_t m_nextWatchMs = 0;
    netGuid m_candidate;                                    // the game the last look would have moved to
    int m_candidateLooks = 0;                               // looks in a row that found it
    std::vector<networkClient::session> m_movingHere;       // at the last look, games that should move here
    std::vector<networkClient::session> m_movingHereBefore; // at the look before
};
