#include "game/shell/shell.h"

#include "baselib/source/displaytext.h"
#include "baselib/source/font/font.h"
#include "baselib/source/render/camera.h"
#include "baselib/source/render/linedraw.h"
#include "baselib/source/render/render.h"
#include "game/client/zebfeedback.h"
#include "game/client/zebgamestatecollector.h"
#include "game/client/zebobjectparticlesystem.h"
#include "game/replay/replayfolder.h"
#include "game/replay/zebreplayplayer.h"
#include "game/replay/zebreplayrecorder.h"
#include "platform/system/boundedfile.h"
#include "platform/system/folderfiles.h"
#include "platform/system/userfiles.h"
#include "platform/system/virtualkeys.h"
#include "platform/system/window.h"
#include "sound/soundlist.h"

#include <chrono>
#include <cstdio>

using namespace win;

namespace {

ZEBReplayRecorder g_recorder;
ZEBReplayPlayer* g_replay = nullptr; // while --replay plays

// The time bar along the bottom of the play area, in world units, with the
// time line just above it.
constexpr float BAR_LEFT = -9.0f;
constexpr float BAR_RIGHT = 9.0f;
constexpr float BAR_BOTTOM = -9.3f;
constexpr float BAR_TOP = -8.9f;
constexpr int BAR_FILL_LINES = 24; // about two a pixel row: a solid block
constexpr float TIME_LINE_TOP = -0.80f;
constexpr float TIME_LINE_GREY = 0.75f;

void pruneRecordings(const std::string& folder, size_t keepCount) {
    for (const std::string& name :
         recordingsToRemove(listFolderFiles(folder, REPLAY_FILE_SUFFIX), keepCount, KEPT_RECORDINGS_BYTES))
        removeFolderFile(folder + "/" + name);
}

// A name of its own, even for two copies that start a game in the same second.
std::string newRecordingPath(const std::string& folder) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto sinceEpoch = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
    const int milliseconds = static_cast<int>(sinceEpoch.count() % 1000);
    std::string path;
    for (int step = 0; step < 1000; ++step) {
        path = folder + "/" + replayFileName(seconds, (milliseconds + step) % 1000);
        if (!folderFileExists(path))
            break;
    }
    return path;
}

std::string clockText(uint32_t ms) {
    const uint32_t seconds = ms / 1000;
    char text[32];
    std::snprintf(text, sizeof(text), "%u:%02u", seconds / 60, seconds % 60);
    return text;
}

void drawLines(const std::vector<vector3>& points, const colour4& colour) {
    vertexBuffer buffer;
    buffer.create(points.data(), static_cast<int>(points.size()));
    drawWorldLineStrip(buffer, static_cast<int>(points.size()) - 1, IDENTITY, colour);
}

void drawTimeBar() {
    const float shown = g_replay->getDurationMs() == 0 ? 1.0f
                                                       : static_cast<float>(g_replay->getTimeMs()) /
                                                             static_cast<float>(g_replay->getDurationMs());
    const colour4 grey(TIME_LINE_GREY, TIME_LINE_GREY, TIME_LINE_GREY, 1.0f);
    drawLines({vector3(BAR_LEFT, BAR_BOTTOM, 0.0f), vector3(BAR_RIGHT, BAR_BOTTOM, 0.0f),
               vector3(BAR_RIGHT, BAR_TOP, 0.0f), vector3(BAR_LEFT, BAR_TOP, 0.0f),
               vector3(BAR_LEFT, BAR_BOTTOM, 0.0f)},
              grey);
    // The part played, filled with lines close enough to read as one block.
    const float right = BAR_LEFT + (BAR_RIGHT - BAR_LEFT) * shown;
    std::vector<vector3> fill;
    for (int line = 0; line <= BAR_FILL_LINES; ++line) {
        const float y = BAR_BOTTOM + (BAR_TOP - BAR_BOTTOM) * static_cast<float>(line) / BAR_FILL_LINES;
        fill.emplace_back(line % 2 == 0 ? BAR_LEFT : right, y, 0.0f);
        fill.emplace_back(line % 2 == 0 ? right : BAR_LEFT, y, 0.0f);
    }
    drawLines(fill, colour4(1.0f, 1.0f, 1.0f, 1.0f));

    std::string text =
        "Replay " + clockText(g_replay->getTimeMs()) + " / " + clockText(g_replay->getDurationMs());
    if (g_replay->getSpeed() != 1.0f)
        text += g_replay->getSpeed() < 1.0f ? "   half speed" : "   double speed";
    if (g_replay->isAtEnd())
        text += "   end";
    else if (g_replay->isPaused())
        text += "   paused";
    g_font.setTop(TIME_LINE_TOP);
    g_font.setColour(grey.r, grey.g, grey.b, grey.a);
    g_font.print(text.c_str());
}

void renderReplay() {
    if (!beginGameFrame())
        return;
    drawGameScene();
    drawTimeBar();
    endScene();
}

bool updateReplay(float changeInTime, float frameTime) {
    if (!(frameTime >= MIN_FRAME_TIME))
        return false;
    readKeys(); // the sound key
    runCollectorEffects(g_replay->advance(changeInTime));
    g_soundToggleDelay -= changeInTime;
    return true;
}

void jumpReplay(int32_t changeMs) {
    g_replay->jumpBy(changeMs);
    g_particleSystems.clear();
    g_feedback.reset();
}

// Space pauses, the arrows jump and change the speed; everything else is the game's window.
int64_t replayWindowProcedure(gameWindow* window, uint32_t message, uint64_t wParam, int64_t lParam) {
    if (message != WM_KEYDOWN || g_replay == nullptr)
        return shellWindowProcedure(window, message, wParam, lParam);
    const bool repeated = (lParam & KEY_REPEAT_FLAG) != 0;
    switch (static_cast<uint32_t>(wParam & 0xFFFF)) {
    case VK_SPACE:
        if (!repeated)
            g_replay->togglePause();
        return 0;
    case VK_LEFT:
        jumpReplay(-REPLAY_JUMP_MS);
        return 0;
    case VK_RIGHT:
        jumpReplay(REPLAY_JUMP_MS);
        return 0;
    case VK_UP:
        if (!repeated)
            g_replay->faster();
        return 0;
    case VK_DOWN:
        if (!repeated)
            g_replay->slower();
        return 0;
    default:
        return shellWindowProcedure(window, message, wParam, lParam);
    }
}

// The recording, read and checked whole; false with a line on standard error.
bool loadReplay(const std::string& path, ZEBReplayFile& file) {
    std::string bytes;
    std::string error;
    const boundedFileResult read = readBoundedFile(path, MAX_REPLAY_FILE_BYTES, bytes, error);
    if (read == boundedFileResult::missing)
        error = "does not exist";
    if (read == boundedFileResult::read && file.load(std::move(bytes), error))
        return true;
    std::fprintf(stderr, "zeb: the replay %s %s\n", makeEscapedText(path).c_str(), error.c_str());
    return false;
}

int playInWindow(ZEBReplayPlayer& player) {
    gameWindow* window = openGameWindow(replayWindowProcedure, "");
    if (window == nullptr)
        return 1;
    setupPresentation(window);
    if (g_soundList != nullptr)
        g_soundList->setEnabled(g_soundEnabled);
    fitGameToWindow(window);
    g_replay = &player;
    g_collector = &player.getCollector();
    g_running = true;
    const int exitCode = runMessageLoop(window, updateReplay, renderReplay, g_options.frames);
    if (!g_options.screenshot.empty())
        saveScreenshot(g_options.screenshot);
    g_running = false;
    g_collector = nullptr; // the player's own
    g_replay = nullptr;
    g_particleSystems.clear();
    delete g_camera;
    g_camera = nullptr;
    return exitCode;
}

} // namespace

void startReplayRecording() {
    finishReplayRecording();
    const std::string folder = replayFolder(userDataFolder());
    if (folder.empty() || !makeFolders(folder)) {
        std::fprintf(stderr, "zeb: this game is not recorded: there is no folder for recordings\n");
        return;
    }
    pruneRecordings(folder, KEPT_RECORDINGS - 1); // room for this one
    const std::string path = newRecordingPath(folder);
    if (!g_recorder.start(path, LEVEL_FILE, g_playerName))
        std::fprintf(stderr, "zeb: this game is not recorded: %s cannot be written\n", path.c_str());
}

void recordReceivedMessages(float changeInTime, const messageQueue& receivedMessages) {
    if (g_collector != nullptr)
        g_recorder.noteFrame(changeInTime, receivedMessages, *g_collector);
}

void finishReplayRecording() {
    if (!g_recorder.isRecording())
        return;
    g_recorder.finish();
    pruneRecordings(replayFolder(userDataFolder()), KEPT_RECORDINGS);
}

int runReplay() {
    ZEBReplayFile file;
    if (!loadReplay(g_options.replay, file))
        return 2;
    ZEBReplayPlayer player(file);
    if (!player.start()) {
        std::fprintf(stderr, "zeb: the replay %s cannot be played\n",
                     makeEscapedText(g_options.replay).c_str());
        return 2;
    }
    return playInWindow(player);
}
