#pragma once

// game/shell: the program itself. The window loop, set-up (searching, hosting,
// joining; shellsetup.cpp), the frame update, drawing and the HUD, keys and
// controllers, options and settings files, the dedicated server with its
// counters, bots, and main.

#include "game/rules/protocol.h"
#include "game/rules/zebobject.h"
#include "game/shell/shellbindings.h"
#include "game/shell/shelloptions.h"
#include "game/shell/shellsettings.h"
#include "platform/net/netguid.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ZEBFeedback;
class ZEBGameStateCollector;
class ZEBGameStateGame;
class ZEBObjectParticleSystem;
class camera;
class font;
class messageQueue;
class networkClient;
class networkHost;
class soundList;
struct gameWindow;

// The application shell: the client game of one process, and the hosted game
// when this process hosts. Everything here runs on the main thread.

constexpr int KEY_TABLE_SIZE = 256;
constexpr uint32_t KEY_W = 0x57;
constexpr uint32_t KEY_A = 0x41;
constexpr uint32_t KEY_D = 0x44;
constexpr uint32_t KEY_SPACE = 0x20;
constexpr uint32_t KEY_Z = 0x5A;

constexpr float MIN_FRAME_TIME = 1.0f / 45.0f; // 0.022222223 s
constexpr float SOUND_TOGGLE_DELAY = 0.75f;
constexpr netGuid APPLICATION_GUID = ZEB_APPLICATION_GUID;
constexpr const char* SESSION_NAME = "The Game";
constexpr const char* PLAYER_NAME = "Player";
constexpr const char* LEVEL_FILE = "level_0.xml";
constexpr const char* SOUND_FILES[] = {"blast_astroid.wav", "blast_player.wav", "blast_bullet.wav"};
constexpr const char* GAME_UNAVAILABLE_TEXT = "Game Unavailable";
constexpr const char* SOUND_ENABLED_TEXT = "Sound is Enabled, to Disable press 'Z'";
constexpr const char* SOUND_DISABLED_TEXT = "Sound is Disabled, to Enable press 'Z'";
constexpr const char* WINDOW_TITLE = "ZEB - Ships and Asteroids";
constexpr const char* WINDOW_CLASS = "ZEB";
constexpr int HUD_FONT_SIZE = 16; // for the designed 700-pixel play area; text scales with the area

extern uint8_t g_keys[KEY_TABLE_SIZE];
extern PlayerInput g_input;
extern bool g_soundEnabled;
extern float g_soundToggleDelay;
extern bool g_running;
extern float g_rejoinDelay; // seconds until this copy looks for a game again; negative: not waiting
extern float g_hostSilence; // seconds of play since the last message from the host

extern ZEBGameStateCollector* g_collector;
extern networkClient* g_client;
extern networkHost* g_host;
extern ZEBGameStateGame* g_serverGame;
extern camera* g_camera;
extern soundList* g_soundList;
extern font g_font;
extern std::vector<ZEBObject> g_clientObjects;
extern std::vector<ZEBObject> g_serverObjects;
extern std::vector<std::unique_ptr<ZEBObjectParticleSystem>> g_particleSystems;
extern ZEBFeedback g_feedback; // score popups and who shot the own ship
extern shellOptions g_options;
extern keyBindings g_bindings;
extern shellSettings g_settings; // as read from the settings file, with the changes made while playing
extern std::string g_playerName; // sent in the join request
// The last score table this copy saw: a game it hosts after losing its host
// keeps those players' places.
extern std::vector<PlayerStats> g_formerTable;

// How set-up ended.
enum class setupResult {
    joined,      // the game runs
    unavailable, // the game could not be joined: the window shows "Game Unavailable"
    cannotHost,  // nothing to join and hosting failed: the program ends with an error
};

// Reads the user's settings file (a broken one is reported on standard error
// and the defaults are used) and applies it; --name wins over the file's name.
void loadUserSettings();
void saveUserSettings(); // after a change; does nothing unless loadUserSettings found a usable place
const std::string& getSettingsProblem(); // why the file was not used; empty when it was (or is missing)

// While set-up searches and joins it calls this now and then with a line
// saying what it does, so the window can be drawn and answer; false when the
// player has closed the window, which ends set-up.
using setupProgressFunction = bool (*)(const char* status);
void setSetupProgress(setupProgressFunction progress);
constexpr const char* SEARCHING_TEXT = "Searching for games ...";
constexpr const char* HOSTING_TEXT = "Starting a game ...";
constexpr const char* JOINING_TEXT = "Joining ...";

// What the last set-up has to tell the player beyond the progress lines: why
// this copy hosts a game of its own, or why it could not join; empty when
// nothing. The window shows it for NOTICE_MS while playing, and for as long
// as the game is unavailable.
constexpr uint32_t NOTICE_MS = 6000;
const std::string& getSetupNotice();
bool isSetupNoticeFresh(); // shown for less than NOTICE_MS

// Sets the notice to why the game this copy played in, or tried to join, is over.
void noticeGameEnded();

// The lines the window shows while there is no game, and over a game whose
// host has fallen silent. The host sends several messages a second while a
// game runs, so a longer silence means the connection is going.
constexpr const char* CONNECTION_LOST_TEXT = "Connection lost ...";
constexpr float HOST_SILENCE_LIMIT = 0.75f; // seconds
enum class networkEnd;
std::string describeUnavailable(networkEnd end);
std::string searchCountdownText(float rejoinDelay); // empty when no search is due
bool isHostSilent(float hostSilence);

setupResult setupGame(gameWindow* window);
// What set-up makes before it looks for a game: the render device, sounds,
// font, camera, key table and the level's shapes for drawing.
void setupPresentation(gameWindow* window);
// After the game ended under it: a fresh search, then joining what it finds or hosting.
setupResult restartSession();
// The session that has just ended under this copy: searches pass over its
// instance for a while (its address may soon host the party's next game).
void rememberLostSession();
void shutdownGame();
// True when the frame was accepted: frameTime, the seconds since the frame
// became due on the fine clock, is at least MIN_FRAME_TIME. The frame then
// runs with changeInTime, the milliseconds since the last accepted frame.
bool updateGame(float changeInTime, float frameTime);
bool updateGame(float changeInTime); // one time for both
void renderGame();
// The parts of a frame: the cleared scene (false without a device), then the
// collector's game with its effects and score table; endScene presents it.
bool beginGameFrame();
void drawGameScene();
// After the collector's update: effects, feedback and sounds of what it received.
void runCollectorEffects(float changeInTime);
void renderSetupStatus(const char* status); // the window while set-up runs

// The key table's part of the window procedure: key-down and key-up messages
// set and clear their entry; true when the message was one of them.
bool handleKeyMessage(gameWindow* window, uint32_t message, uint64_t wParam, int64_t lParam);
void readKeys();

// With --screenshot: keeps the window's picture (menu strip and game area) of
// the frame being presented, and writes the last one kept as a PNG when the
// program quits.
void captureFrameForScreenshot(void* nativeRenderer);
bool saveScreenshot(const std::string& path);

// The window that fits: the play area is the largest square below the menu
// strip, and the text scales with it. The window's size and full screen are
// kept in the settings.
void fitGameToWindow(gameWindow* window);
void rememberWindowPlacement(gameWindow* window);
void toggleFullScreen(gameWindow* window); // F11 and Alt+Enter

// The window procedure and the main loop: at most one message per pass, the
// update with the time since the last accepted frame, a drawing after each
// accepted one. frameLimit > 0 closes the window after that many frames.
using frameUpdateFunction = bool (*)(float changeInTime, float frameTime);
using frameRenderFunction = void (*)();
int64_t shellWindowProcedure(gameWindow* window, uint32_t message, uint64_t wParam, int64_t lParam);
int runMessageLoop(gameWindow* window, frameUpdateFunction update, frameRenderFunction render,
                   long frameLimit);
// The game's window, as the user's settings place it; null, with a line on
// standard error (ending with withoutDisplay when there is no display), when
// it cannot be opened.
gameWindow* openGameWindow(int64_t (*procedure)(gameWindow*, uint32_t, uint64_t, int64_t),
                           const char* withoutDisplay);

// The whole windowed program and the windowless host; each returns the exit code.
int runWindowedGame();
int runDedicatedServer();
int runStatusQuery(); // 0 when at least one host answered
int runBot();         // a computer player: joins like any player, headless, until stopped
int runReplay();      // --replay: plays a recording in the window; 2 when it cannot be read

// Every game a windowed copy plays is recorded into the user's replay folder:
// from the join to the end of the session, each frame's messages before the
// collector takes them.
void startReplayRecording();
void recordReceivedMessages(float changeInTime, const messageQueue& receivedMessages);
void finishReplayRecording();

// With --bots N on a copy that hosts: N bots as child processes, stopped (and
// waited for) before the host goes.
void startBots();
void stopBots();
