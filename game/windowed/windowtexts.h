#pragma once

// The windowed game's constants: its keys, frame time, window and the texts it
// shows, and the decisions about them that tests check without a window.

#include "platform/language/translation.h"

#include <cstdint>
#include <string>

constexpr uint32_t KEY_W = 0x57;
constexpr uint32_t KEY_A = 0x41;
constexpr uint32_t KEY_D = 0x44;
constexpr uint32_t KEY_SPACE = 0x20;
constexpr uint32_t KEY_Z = 0x5A;

constexpr float MIN_FRAME_TIME = 1.0f / 45.0f; // 0.022222223 s
constexpr float SOUND_TOGGLE_DELAY = 0.75f;
constexpr const char* SOUND_FILES[] = {"blast_astroid.wav", "blast_player.wav", "blast_bullet.wav"};
constexpr const char* GAME_UNAVAILABLE_TEXT = marked("Game Unavailable");
constexpr const char* SOUND_ENABLED_TEXT = marked("Sound is Enabled, to Disable press 'Z'");
constexpr const char* SOUND_DISABLED_TEXT = marked("Sound is Disabled, to Enable press 'Z'");
constexpr const char* SOUND_MISSING_TEXT = marked("Sound is Disabled: there is no sound device");
constexpr const char* WINDOW_TITLE = marked("ZEB - Ships and Asteroids");
constexpr const char* WINDOW_CLASS = "ZEB";
constexpr int HUD_FONT_SIZE = 16;     // for the designed 700-pixel play area; text scales with the area,
                                      // but never below this: lines spread out instead
constexpr float LINE_SPACING = 0.05f; // between lines of text at the designed size

// The lines the window shows while set-up runs.
constexpr const char* SEARCHING_TEXT = marked("Searching for games ...");
constexpr const char* HOSTING_TEXT = marked("Starting a game ...");
constexpr const char* JOINING_TEXT = marked("Joining ...");
constexpr const char* ALONE_TEXT =
    marked("Every other player has left this game: looking for their game ...");
constexpr uint32_t NOTICE_MS = 6000; // how long a notice stays over a running game

// Watching a game without a ship.
constexpr const char* NO_GAME_TO_WATCH_TEXT = marked("No game to watch yet: searching again.");
constexpr const char* CANNOT_WATCH_TEXT = marked("That game's host cannot take watchers.");
constexpr const char* WATCHERS_TITLE = marked("Watching: ");
constexpr const char* WATCH_WHOLE_FIELD_TEXT = marked("You watch the whole field. Tab follows a player.");
constexpr const char* WATCH_FOLLOWING_TEXT = marked("You follow %s. Tab: the next player.");

// The lines the window shows while there is no game, and over a game whose
// host has fallen silent. A quiet game may send nothing for seconds, but the
// link itself checks on a quiet host twice a second (the transport's ping), so
// a link that has heard nothing for longer than that and a margin is going.
constexpr const char* CONNECTION_LOST_TEXT = marked("Connection lost ...");
constexpr float HOST_SILENCE_LIMIT = 1.25f; // seconds: the ping's 0.5 and 0.75 of margin
enum class networkEnd;
std::string describeUnavailable(networkEnd end);
std::string searchCountdownText(float rejoinDelay); // empty when no search is due
bool isHostSilent(float linkSilence);

// The whole windowed program; returns the exit code.
struct gameOptions;
class languageInUse;
int runWindowedGame(const gameOptions& options, languageInUse& language);
