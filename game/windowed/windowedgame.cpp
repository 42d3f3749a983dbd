#include "game/windowed/windowedgame.h"

#include "core/random.h"
#include "drawing/render.h"
#include "game/common/datafiles.h"
#include "game/common/gamenames.h"
#include "game/common/gamenetwork.h"
#include "game/common/options.h"
#include "platform/language/translation.h"
#include "platform/system/clock.h"
#include "platform/system/window.h"

#include <cstdio>

using namespace win;

namespace {

constexpr float RENDER_NEAR_PLANE = 1.0f;
constexpr float RENDER_FAR_PLANE = 100.0f;
constexpr int FONT_SIZE = 16;
constexpr const char* FONT_FACE = "Arial";

bool paintWindowDecorations(void* nativeRenderer, void* window) {
    auto* gameWindowOf = static_cast<gameWindow*>(window);
    const bool overPlayArea = paintMenuStrip(gameWindowOf, nativeRenderer);
    if (auto* game = static_cast<ZEBWindowedGame*>(getWindowOwner(gameWindowOf)))
        game->getScreenshot().capture(nativeRenderer);
    return overPlayArea;
}

void initialiseRenderDevice(gameWindow* window) {
    renderWindow target;
    target.nativeWindow = getNativeWindow(window);
    target.areaX = 0;
    target.areaY = getGameAreaTop(window);
    target.areaWidth = GAME_AREA_WIDTH;
    target.areaHeight = GAME_AREA_HEIGHT;
    initialiseRender(target, RENDER_NEAR_PLANE, RENDER_FAR_PLANE);
    if (g_pd3dDevice != nullptr)
        g_pd3dDevice->setPresentHook(paintWindowDecorations, window);
}

void setRenderStates() {
    if (g_pd3dDevice == nullptr)
        return;
    g_pd3dDevice->setSamplerFilters(0, textureFilter::linear, textureFilter::linear, textureFilter::linear);
    g_pd3dDevice->setAlphaBlend(true);
    g_pd3dDevice->setBlendFactors(blendFactor::sourceAlpha, blendFactor::inverseSourceAlpha);
}

} // namespace

ZEBWindowedGame::ZEBWindowedGame(const gameOptions& options)
    : m_options(options), m_setup(options, m_player) {
    m_player.name = options.name.empty() ? PLAYER_NAME : options.name;
    m_player.watching = options.spectate;
    m_player.record = options.record && m_settings.record;
    if (!options.screenshot.empty())
        m_screenshot.enable();
    m_sounds.setEnabled(m_soundEnabled);
}

ZEBWindowedGame::~ZEBWindowedGame() {
    if (m_window != nullptr && getWindowOwner(m_window) == this)
        setWindowOwner(m_window, nullptr);
}

void ZEBWindowedGame::attachWindow(gameWindow* window) {
    m_window = window;
    m_joinWebPort = 0; // a new window has no address yet
    setWindowOwner(window, this);
}

// The sounds and the text live as long as the game; the level's shapes are
// read once and copied into each session.
void ZEBWindowedGame::openPresentation() {
    initialiseRenderDevice(m_window);
    if (!m_soundsLoaded) {
        if (failed(m_sounds.initialise(getNativeWindow(m_window))))
            std::fprintf(stderr, "%s", tr("zeb: there is no sound device: the game is silent\n"));
        for (const char* file : SOUND_FILES)
            m_sounds.addSound(findDataFile(file).c_str());
        m_soundsLoaded = true;
    }
    m_sounds.setEnabled(m_soundEnabled);
    setRenderStates();
    m_font.create(FONT_FACE, FONT_SIZE);
    seedRandom(timeGetTime());
    getKeys().clear();
    m_player.shapes = loadLevelFile().shapes;
    fitToWindow();
}

void ZEBWindowedGame::start() {
    openPresentation();
    applyNetworkOptions(m_options);
    m_setup.start();
    // What set-up has to say comes first; the settings file's problem otherwise.
    if (m_setup.getNotice().empty() && !m_settingsProblem.empty())
        m_setup.setNotice(m_settingsProblem);
    takeSetupEvents();
}

ZEBClientSession& ZEBWindowedGame::startOfflineSession(std::vector<ZEBObject> shapes) {
    ZEBClientSession& session = m_setup.startOffline(std::move(shapes));
    takeSetupEvents();
    return session;
}

void ZEBWindowedGame::restartSession() {
    m_setup.restart();
    takeSetupEvents();
}
