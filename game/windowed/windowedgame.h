#pragma once

#include "drawing/font/font.h"
#include "game/rules/protocol.h"
#include "game/rules/zebobject.h"
#include "game/windowed/hud/chatpanel.h"
#include "game/windowed/hud/hudtext.h"
#include "game/windowed/keybindings.h"
#include "game/windowed/screenshot.h"
#include "game/windowed/setup/gamesetup.h"
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

class languageInUse;

struct gameWindow;
struct gameOptions;

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
    const std::vector<ZEBObject>& getLevelShapes() const { return m_player.shapes; }
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

    setupStage getStage() const { return m_setup.getStage(); }
    bool isPlaying() const { return getStage() == setupStage::playing; }
    // The line the window shows while set-up runs.
    const char* getSetupStatus() const { return m_setup.getStatus(); }
    // What set-up has to tell the player beyond the progress lines: why this
    // copy hosts a game of its own, or why it could not join; empty when
    // nothing. Shown for NOTICE_MS while playing, and for as long as the game
    // is unavailable.
    const std::string& getNotice() const { return m_setup.getNotice(); }
    bool isNoticeFresh() const { return m_setup.isNoticeFresh(); }
    // Over a game whose host has fallen silent the window says the connection is going.
    bool showsConnectionLost() const;
    float getRejoinDelay() const {
        return m_setup.getRejoinDelay();
    } // seconds until the next search; negative: none
    // While no game is played: searches again after seconds (negative: not at all).
    void scheduleSearch(float seconds) { m_setup.scheduleSearch(seconds); }

    ZEBClientSession* getSession() { return m_setup.getSession(); }
    ZEBHostedGame* getHosted() { return m_setup.getHosted(); }
    // The last score table this copy saw: a game it hosts after losing its
    // host keeps those players' places.
    std::vector<PlayerStats>& getFormerTable() { return m_setup.getFormerTable(); }
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
    const std::string& getPlayerName() const { return m_player.name; }
    // Watching: the game is joined without a ship (--spectate, File > Watch).
    bool isWatching() const { return m_player.watching; }
    void toggleWatching(); // leaves the game played or watched and joins it the other way
    // File > Language: the next shipped language, then English again, kept in the settings.
    // Without a language to change (tests, replays) it does nothing.
    void setLanguage(languageInUse* language) { m_language = language; }
    void switchLanguage();
    int getFollowed() const { return m_followed; } // the ship the view follows; -1: the whole field
    void followNext(); // the next player's ship in the score table's order, then the whole field

  private:
    void takeNameFromBox(); // the name box's text, accepted or refused
    void takeWindowChanges();
    // Playing (frameupdate.cpp).
    void updatePlaying(float changeInTime);
    void takeSetupEvents(); // what set-up did that this game's own state follows
    void offerJoinAddress();
    void toggleSound();
    bool openChatLine(); // T or Enter while playing with a host that relays chat
    void updateChat(float changeInTime);
    // Drawing (drawgame.cpp).
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
    gameWindow* m_window = nullptr;      // null in tests without a window
    uint16_t m_joinWebPort = 0;          // the browsers' port the window's join box shows, 0 for none
    languageInUse* m_language = nullptr; // the program's, owned by main
    // The player's settings, as read from the settings file, with the changes made while playing.
    userSettings m_settings;
    keyBindings m_bindings = defaultBindings();
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
    statusLineFunction m_statusLine;
    int m_followed = -1;
    setupPlayer m_player; // read by set-up: declared before it
    ZEBGameSetup m_setup; // the sessions: they leave before the presentation they use
};
