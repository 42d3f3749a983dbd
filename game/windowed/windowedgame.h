#pragma once

#include "drawing/font/font.h"
#include "game/common/botprocesses.h"
#include "game/common/hostedgame.h"
#include "game/rules/protocol.h"
#include "game/rules/zebobject.h"
#include "game/windowed/clientsession.h"
#include "game/windowed/hud/chatpanel.h"
#include "game/windowed/hud/hudtext.h"
#include "game/windowed/keybindings.h"
#include "game/windowed/screenshot.h"
#include "game/windowed/setup/failedsessions.h"
#include "game/windowed/setup/moveprobe.h"
#include "game/windowed/usersettings.h"
#include "game/windowed/windowtexts.h"
#include "platform/system/keystates.h"
#include "platform/system/textentry.h"
#include "sound/soundlist.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct gameWindow;
struct gameOptions;

// Where set-up stands. Each frame advances it by a step that never waits:
// searching -> (claiming -> hosting ->) connecting -> joining -> playing, or
// unavailable when no game can be had; failed when this copy can neither join
// nor host.
enum class setupStage { searching, claiming, hosting, connecting, joining, playing, unavailable, failed };

// The windowed game of one process: the player's settings and keys, sound,
// the text, set-up, the game it plays (a client session) and the game it
// hosts. Made by runWindowedGame once the window is open (tests make one on a
// window of their own); it dies when the window's loop has ended, and with it
// the sessions: the hosted game tells its players, the bots stop.
class ZEBWindowedGame {
  public:
    explicit ZEBWindowedGame(const gameOptions& options);
    ~ZEBWindowedGame();
    ZEBWindowedGame(const ZEBWindowedGame&) = delete;
    ZEBWindowedGame& operator=(const ZEBWindowedGame&) = delete;

    // Reads the user's settings file (a broken one is reported on standard
    // error and in the window, and the defaults are used) and applies it;
    // --name wins over the file's name.
    void loadUserSettings();
    void saveUserSettings(); // after a change; does nothing unless loadUserSettings found a usable place
    const std::string& getSettingsProblem() const { return m_settingsProblem; }
    const userSettings& getSettings() const { return m_settings; }
    // The player's new name (checked as --name is): saved in the settings and
    // sent from the next join request on. False, with the reason, when refused.
    bool changePlayerName(const std::string& text, std::string& error);

    // The window this game draws in and takes the messages of.
    void attachWindow(gameWindow* window);
    // Opens the drawing, sound and text on the window and loads the level's shapes.
    void openPresentation();
    // That, then the first search.
    void start();
    const std::vector<ZEBObject>& getLevelShapes() const { return m_shapes; }
    // After the game ended under it: a fresh search, then joining what it
    // finds or hosting.
    void restartSession();

    // True when the frame was accepted: frameTime, the seconds since the
    // frame became due on the fine clock, is at least MIN_FRAME_TIME. The
    // frame then runs with changeInTime, the seconds since the last accepted
    // frame: keys, a step of set-up, the game played and the game hosted.
    bool update(float changeInTime, float frameTime);
    bool update(float changeInTime) { return update(changeInTime, changeInTime); }
    void render();

    // The keys down in the window turned into the ship's controls, and the
    // sound key into sound on or off.
    void readKeys();
    // The play area is the largest square below the menu strip, and the text
    // scales with it. The window's size and full screen are kept in the settings.
    void fitToWindow();
    void rememberWindowPlacement();

    // A game shown from what reaches its collector by other ways than a
    // connection (tests, a recording): a session of these shapes that plays
    // at once and neither searches, connects nor sends.
    ZEBClientSession& startOfflineSession(std::vector<ZEBObject> shapes);
    // A frame of such a game: gameSeconds of play, its effects, sounds and chat.
    void showOfflineFrame(float gameSeconds);
    // Such a game jumped: the effects and chat lines shown belong to another moment.
    void forgetShownMoment();
    // What the bottom line of the window shows while a game is played, in
    // place of the sound line; none: the sound line.
    using statusLineFunction = std::function<void(font& text)>;
    void setStatusLine(statusLineFunction statusLine) { m_statusLine = std::move(statusLine); }

    setupStage getStage() const { return m_stage; }
    bool isPlaying() const { return m_stage == setupStage::playing; }
    // The line the window shows while set-up runs.
    const char* getSetupStatus() const;
    // What set-up has to tell the player beyond the progress lines: why this
    // copy hosts a game of its own, or why it could not join; empty when
    // nothing. Shown for NOTICE_MS while playing, and for as long as the game
    // is unavailable.
    const std::string& getNotice() const { return m_notice; }
    bool isNoticeFresh() const;
    // Over a game whose host has fallen silent the window says the connection is going.
    bool showsConnectionLost() const;
    float getRejoinDelay() const { return m_rejoinDelay; } // seconds until the next search; negative: none
    // While no game is played: searches again after seconds (negative: not at all).
    void scheduleSearch(float seconds) { m_rejoinDelay = seconds; }

    ZEBClientSession* getSession() { return m_session ? &*m_session : nullptr; }
    ZEBHostedGame* getHosted() { return m_hosted ? &*m_hosted : nullptr; }
    // The last score table this copy saw: a game it hosts after losing its
    // host keeps those players' places.
    std::vector<PlayerStats>& getFormerTable() { return m_formerTable; }
    keyStates& getKeys(); // the window's, or the game's own without a window
    keyBindings& getBindings() { return m_bindings; }
    // The chat line being typed: the window's, or the game's own without a window.
    textEntry& getTextEntry();
    bool isTyping() { return getTextEntry().isOpen(); }
    const ZEBChatPanel& getChat() const { return m_chat; }
    const soundList& getSounds() const { return m_sounds; }
    PlayerInput& getInput() { return m_input; }
    bool isSoundEnabled() const { return m_soundEnabled; }
    float getSoundToggleDelay() const { return m_soundToggleDelay; }
    font& getFont() { return m_font; }
    windowScreenshot& getScreenshot() { return m_screenshot; }
    const std::string& getPlayerName() const { return m_playerName; }
    // Watching: the game is joined without a ship (--spectate, File > Watch).
    bool isWatching() const { return m_watching; }
    void toggleWatching(); // leaves the game played or watched and joins it the other way
    int getFollowed() const { return m_followed; } // the ship the view follows; -1: the whole field
    void followNext(); // the next player's ship in the score table's order, then the whole field

  private:
    void takeNameFromBox(); // the name box's text, accepted or refused
    void takeWindowChanges();
    // Set-up's steps (shellsetup.cpp).
    void openSession();
    void beginSearch(bool mayJoin);
    void stepSetup(float changeInTime);
    void stepSearching();
    bool joinFoundSession();
    void startClaim();
    void stepClaiming();
    void startHosting();
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
    void setNotice(const std::string& notice);
    // Games that formed apart made one (shellmerge.cpp).
    void watchForBiggerGame();
    void tryBiggerGame();
    void moveToGame(const networkClient::session& bigger);
    bool followGameMove(); // true when the host said where its game went, and this copy follows
    void beginMove(const std::string& notice);
    // Playing (shellupdate.cpp).
    void updatePlaying(float changeInTime);
    void updateHosted(float changeInTime);
    void endPlaying();
    void scheduleRejoin();
    void waitToRejoin(float changeInTime);
    int ownPlace() const;
    int ownTableRow() const; // the own row of the score table; -1 before one has come
    void toggleSound();
    bool openChatLine(); // T or Enter while playing with a host that relays chat
    void updateChat(float changeInTime);
    // Drawing (shellrender.cpp).
    void drawGame(ZEBClientSession& session);
    void drawElements(ZEBClientSession& session);
    hudText hud() { return {m_font, m_lineSpacing}; }
    float noticeLineTop() const;
    const char* soundLineText() const;
    float chatEntryTop() const;
    void drawConnectionLost();
    void drawUnavailable();
    void drawSetupStatus();

    const gameOptions& m_options;
    gameWindow* m_window = nullptr; // null in tests without a window
    // The player's settings, as read from the settings file, with the changes made while playing.
    userSettings m_settings;
    keyBindings m_bindings = defaultBindings();
    std::string m_playerName;   // sent in the join request
    std::string m_settingsPath; // empty: nothing is read or written (tests, no home folder)
    bool m_settingsWritable = false;
    std::string m_settingsProblem; // for the window: the terminal is not where a player looks
    // Keys and controls.
    keyStates m_keys;      // read while there is no window
    textEntry m_textEntry; // typed into while there is no window
    ZEBChatPanel m_chat;
    PlayerInput m_input;
    bool m_soundEnabled = true;
    float m_soundToggleDelay = 0.0f;
    soundList m_sounds;
    bool m_soundsLoaded = false;
    font m_font;
    float m_lineSpacing = LINE_SPACING; // between two lines of text, in the play area's units (2 its height)
    windowScreenshot m_screenshot;
    std::vector<ZEBObject> m_shapes; // the level's, drawn by every session
    statusLineFunction m_statusLine;
    // Set-up.
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
    failedSessions m_failed; // outlives each session: a party's searches share it
    // Bigger games this copy could not move to. Apart from m_failed, which
    // also holds games that ended under this copy: a player whose own link
    // went down passes over its game when it searches, but its game of one
    // must still move back there.
    failedSessions m_failedMoves;
    float m_rejoinDelay = -1.0f;
    std::vector<PlayerStats> m_formerTable;
    int m_formerRow = -1; // the own row of m_formerTable, told when joining the next game
    bool m_watching = false;
    int m_followed = -1;
    // The sessions. The client session is declared last so that it leaves
    // before the game it plays in stops.
    std::optional<ZEBHostedGame> m_hosted;
    std::optional<ZEBMoveProbe> m_moveProbe; // the bigger game the hosted one may move to, being tried
    std::optional<ZEBBotProcesses> m_bots;   // with --bots, from the first game this copy hosts
    std::optional<ZEBClientSession> m_session;
};
