#include "game/shell/shell.h"

#include "drawing/font/font.h"
#include "game/client/zebfeedback.h"
#include "game/client/zebobjectparticlesystem.h"
#include "game/client/zebshapeoutlines.h"

uint8_t g_keys[KEY_TABLE_SIZE] = {};
PlayerInput g_input;
bool g_soundEnabled = true;
float g_soundToggleDelay = 0.0f;
float g_rejoinDelay = -1.0f;
float g_hostSilence = 0.0f;
bool g_running = false;

ZEBGameStateCollector* g_collector = nullptr;
networkClient* g_client = nullptr;
camera* g_camera = nullptr;
soundList* g_soundList = nullptr;
font g_font;
std::vector<ZEBObject> g_clientObjects;
ZEBShapeOutlines g_clientOutlines;
std::vector<std::unique_ptr<ZEBObjectParticleSystem>> g_particleSystems;
ZEBFeedback g_feedback;
keyBindings g_bindings = defaultBindings();
shellSettings g_settings;
std::string g_playerName = PLAYER_NAME;
