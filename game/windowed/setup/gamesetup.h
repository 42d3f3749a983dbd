#pragma once

#include "game/common/botprocesses.h"
#include "game/common/hostedgame.h"
#include "game/rules/protocol.h"
#include "game/rules/zebobject.h"
#include "game/windowed/clientsession.h"
#include "game/windowed/setup/failedsessions.h"
#include "game/windowed/setup/moveprobe.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct gameOptions;

// Where set-up stands. Each frame advances it by a step that never waits:
// searching -> (claiming -> hosting ->) connecting -> joining -> playing, or
// unavailable when no game can be had; failed when this copy can neither join
// nor host.
enum class setupStage { searching, claiming, hosting, connecting, joining, playing, unavailable, failed };

// Who this copy plays as: the windowed game keeps it, set-up reads it at every step.
struct setupPlayer {
    std::string name;              // sent in the join request
    bool watching = false;         // joins without a ship
    bool record = true;            // games played are recorded
    std::vector<ZEBObject> shapes; // the level's, given to every session
};

// What set-up did in a step that the window's own state must follow.
enum setupEvent : uint32_t {
    SETUP_SESSION_OPENED = 1u << 0, // a fresh session: the view follows nobody yet
    SETUP_JOINED = 1u << 1,         // playing from now: no key held before counts
    SETUP_LEFT_GAME = 1u << 2,      // the game played is over: its chat and the line typed go
};

// Set-up of the windowed game: searching, claiming, hosting, joining, moving
// to a bigger game, and after a game ends, looking for the party's next one.
// It owns the sessions: the game this copy hosts (with the bots it brings),
// the bigger game it may move to, and the client session it plays; the
// client session is declared last so that it leaves before the game it plays
// in stops.
class ZEBGameSetup {
  public:
    ZEBGameSetup(const gameOptions& options, const setupPlayer& player)
        : m_options(options), m_player(player) {}

    void start();   // the first search
    void restart(); // after the game ended under it: a fresh search, then joining what it finds or hosting
    // A session of these shapes that plays at once and neither searches,
    // connects nor sends (tests, a recording).
    ZEBClientSession& startOffline(std::vector<ZEBObject> shapes);
    // A step of set-up while no game is played.
    void step(float changeInTime);
    // While playing: false when the game ended under this copy (set-up has
    // taken over); true when the session may be updated.
    bool keepsPlaying();
    // After the session's update: the last score table kept, bigger games watched for.
    void takeTable();
    void watchForBiggerGame();
    // The hosted game runs from the moment it is hosted: it answers this
    // copy's own join request as any other.
    void stepHosted(float changeInTime);
    // Joins the game played or watched the other way; false for an offline game.
    bool changeWatching();

    setupStage getStage() const { return m_stage; }
    const char* getStatus() const; // the line the window shows while set-up runs
    const std::string& getNotice() const { return m_notice; }
    bool isNoticeFresh() const;
    void setNotice(const std::string& notice);
    float getRejoinDelay() const { return m_rejoinDelay; }
    void scheduleSearch(float seconds) { m_rejoinDelay = seconds; }
    bool isOffline() const { return m_offline; }
    ZEBClientSession* getSession() { return m_session ? &*m_session : nullptr; }
    const ZEBClientSession* getSession() const { return m_session ? &*m_session : nullptr; }
    ZEBHostedGame* getHosted() { return m_hosted ? &*m_hosted : nullptr; }
    std::vector<PlayerStats>& getFormerTable() { return m_formerTable; }
    uint32_t takeEvents(); // the setupEvent bits since the last take

  private:
    void openSession();
    void beginSearch(bool mayJoin);
    void stepSearching();
    bool joinFoundSession();
    void startClaim();
    void stepClaiming();
    void startHosting();
    void announceWeb(); // the address browsers open, or why there is none
    void findOwnGame(); // the hosting copy's own client searches its machine for its game
    void noGameToWatch();
    void stepHosting();
    void stepConnecting();
    void stepJoining();
    void beginJoining();
    void joinFailed();
    void giveUp();
    void cannotHost(); // ends the program: this copy can neither join nor host
    void enter(setupStage stage);
    void noticeFullGames();
    void reportUnavailable(const char* next = nullptr);
    bool maySearchAgain() const;
    uint32_t msInStage() const;
    // Games that formed apart made one (merge.cpp).
    void tryBiggerGame();
    void moveToGame(const networkClient::session& bigger);
    bool followGameMove(); // true when the host said where its game went, and this copy follows
    void beginMove(const std::string& notice);
    // The end of a game played (gameend.cpp).
    void endPlaying();
    void scheduleRejoin();
    void waitToRejoin(float changeInTime);
    int ownPlace() const;
    int ownTableRow() const; // the own row of the score table; -1 before one has come

    const gameOptions& m_options;
    const setupPlayer& m_player;
    setupStage m_stage = setupStage::unavailable;
    uint32_t m_stageSince = 0; // the millisecond clock when the stage began
    uint32_t m_lastJoinRequest = 0;
    uint32_t m_lastConnectAttempt = 0; // to the own game
    int m_searches = 0;                // searches of this round so far
    int m_tries = 0;                   // sessions tried this round
    netGuid m_claimant;                // this copy's claim to host, new at each claim
    int m_claimsLost = 0;              // this round
    std::vector<netGuid> m_yieldedTo;  // claimants this round gave way to
    bool m_afterLoss = false;          // the round looks for the party's next game
    bool m_offline = false;            // the session plays without a connection
    bool m_moving = false;             // joining a bigger game, the own one given up
    int m_othersPlaying = 0;           // in the game this copy hosts, at the last frame
    std::string m_notice;
    uint32_t m_noticeSince = 0;
    uint32_t m_events = 0;
    failedSessions m_failed; // outlives each session: a party's searches share it
    // Bigger games this copy could not move to. Apart from m_failed, which
    // also holds games that ended under this copy: a player whose own link
    // went down passes over its game when it searches, but its game of one
    // must still move back there.
    failedSessions m_failedMoves;
    float m_rejoinDelay = -1.0f;
    std::vector<PlayerStats>
        m_formerTable;    // the last score table seen: a game hosted after a loss keeps its places
    int m_formerRow = -1; // the own row of m_formerTable, told when joining the next game
    std::optional<ZEBHostedGame> m_hosted;
    std::optional<ZEBMoveProbe> m_moveProbe; // the bigger game the hosted one may move to, being tried
    std::optional<ZEBBotProcesses> m_bots;   // with --bots, from the first game this copy hosts
    std::optional<ZEBClientSession> m_session;
};
