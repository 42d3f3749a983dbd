#include "game/windowed/replay/replayviewer.h"

#include "game/common/gamenames.h"
#include "game/common/options.h"
#include "game/windowed/gamewindow.h"
#include "game/windowed/replay/replaycontrols.h"
#include "game/windowed/windowedgame.h"

#include "core/displaytext.h"
#include "drawing/font/font.h"
#include "drawing/linedraw.h"
#include "game/replay/replayfolder.h"
#include "game/replay/zebreplayplayer.h"
#include "game/replay/zebreplayrecorder.h"
#include "platform/language/textformat.h"
#include "platform/language/translation.h"
#include "platform/system/boundedfile.h"
#include "platform/system/folderfiles.h"
#include "platform/system/userfiles.h"
#include "platform/system/virtualkeys.h"
#include "platform/system/window.h"

#include <chrono>
#include <cstdio>

using namespace win;

namespace {

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

void drawTimeBar(const ZEBReplayPlayer& replay, font& text) {
    const float shown = replay.getDurationMs() == 0 ? 1.0f
                                                    : static_cast<float>(replay.getTimeMs()) /
                                                          static_cast<float>(replay.getDurationMs());
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

    std::string line = formatText(tr("Replay %s / %s"), clockText(replay.getTimeMs()).c_str(),
                                  clockText(replay.getDurationMs()).c_str());
    if (replay.getSpeed() != 1.0f)
        line += std::string("   ") + (replay.getSpeed() < 1.0f ? tr("half speed") : tr("double speed"));
    if (replay.isAtEnd())
        line += std::string("   ") + tr("end");
    else if (replay.isPaused())
        line += std::string("   ") + tr("paused");
    text.setTop(TIME_LINE_TOP);
    text.setColour(grey.r, grey.g, grey.b, grey.a);
    text.print(line.c_str());
}

// The recording read, its header, chunk places and first chunk checked; false
// with a line on standard error.
bool loadReplay(const std::string& path, ZEBReplayFile& file) {
    std::string bytes;
    std::string error;
    const boundedFileResult read = readBoundedFile(path, MAX_REPLAY_FILE_BYTES, bytes, error);
    if (read == boundedFileResult::missing)
        error = tr("does not exist");
    if (read == boundedFileResult::read && file.load(std::move(bytes), error))
        return true;
    std::fprintf(stderr, tr("zeb: the replay %s %s\n"), makeEscapedText(path).c_str(), error.c_str());
    return false;
}

// A recording that cannot be played from its start is refused before a
// window opens.
bool isPlayable(const ZEBReplayFile& file) {
    ZEBGameStateCollector probe;
    return ZEBReplayPlayer(file, probe).start();
}

} // namespace

bool startReplayRecording(ZEBReplayRecorder& recorder, const std::string& playerName) {
    finishReplayRecording(recorder);
    const std::string folder = replayFolder(userDataFolder());
    if (folder.empty() || !makeFolders(folder)) {
        std::fprintf(stderr, "%s", tr("zeb: this game is not recorded: there is no folder for recordings\n"));
        return false;
    }
    pruneRecordings(folder, KEPT_RECORDINGS - 1); // room for this one
    const std::string path = newRecordingPath(folder);
    if (recorder.start(path, LEVEL_FILE, playerName))
        return true;
    std::fprintf(stderr, tr("zeb: this game is not recorded: %s cannot be written\n"), path.c_str());
    return false;
}

void finishReplayRecording(ZEBReplayRecorder& recorder) {
    if (!recorder.isRecording())
        return;
    recorder.finish();
    pruneRecordings(replayFolder(userDataFolder()), KEPT_RECORDINGS);
}

int runReplay(const gameOptions& options) {
    ZEBReplayFile file;
    if (!loadReplay(options.replay, file))
        return 2;
    if (!isPlayable(file)) {
        std::fprintf(stderr, tr("zeb: the replay %s cannot be played\n"),
                     makeEscapedText(options.replay).c_str());
        return 2;
    }
    ZEBWindowedGame game(options);
    gameWindow* window = openGameWindow(game, "");
    if (window == nullptr)
        return 1;
    game.openPresentation();
    ZEBClientSession& session = game.startOfflineSession(game.getLevelShapes());
    ZEBReplayPlayer player(file, session.getCollector());
    player.start();
    ZEBReplayControls controls(player);
    bool toldBroken = false; // a chunk further on is damaged: the replay stops there, said once
    game.setStatusLine([&player](font& text) { drawTimeBar(player, text); });
    return runGameFrames(game, window, options, [&](float changeInTime, float frameTime) {
        if (!game.update(changeInTime, frameTime)) // the sound key too
            return false;
        if (controls.readKeys(game.getKeys()))
            game.forgetShownMoment();
        game.showOfflineFrame(player.advance(changeInTime));
        if (player.isBroken() && !toldBroken) {
            std::fprintf(stderr, tr("zeb: the replay %s %s\n"), makeEscapedText(options.replay).c_str(),
                         player.getError().c_str());
            toldBroken = true;
        }
        return true;
    });
}
