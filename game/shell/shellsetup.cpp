#include "game/shell/shell.h"

#include "baselib/source/font/font.h"
#include "baselib/source/random.h"
#include "baselib/source/render/camera.h"
#include "baselib/source/render/render.h"
#include "game/client/zebfeedback.h"
#include "game/client/zebgamestatecollector.h"
#include "game/server/zebgamestategame.h"
#include "game/shell/failedsessions.h"
#include "game/shell/shelldata.h"
#include "game/shell/shellnetwork.h"
#include "networklib/networkclient.h"
#include "networklib/networkhost.h"
#include "platform/system/clock.h"
#include "platform/system/window.h"
#include "sound/soundlist.h"

#include <bit>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

using namespace win;

namespace {

constexpr int CONNECTION_POLLS = 1000;
constexpr int OWN_SESSION_SEARCHES = 10;
constexpr int SEARCHES_BEFORE_HOSTING =
    2; // each takes the discovery window             // each takes the discovery window
constexpr uint32_t LOOPBACK_BROADCAST = 0x7FFFFFFFu; // 127.255.255.255
constexpr uint32_t CONNECT_DEADLINE_MS = 10000;
constexpr uint32_t JOIN_DEADLINE_MS = 10000;
// When nothing arrives, the join request is asked again: soon in the hosting
// copy, whose own game answers only when this loop ticks it, and after a while
// when joining another copy, in case the request was lost on the way.
constexpr uint32_t JOIN_PASS_HOSTING_MS = 5;
constexpr uint32_t JOIN_PASS_REMOTE_MS = 250;
constexpr float RENDER_NEAR_PLANE = 1.0f;
constexpr float RENDER_FAR_PLANE = 100.0f;
constexpr int FONT_SIZE = 16;
constexpr const char* FONT_FACE = "Arial";
const vector3 CAMERA_START = {std::bit_cast<float>(0xBCA3D6E0u), 0.0f, -23.98f};

constexpr uint32_t SETUP_PROGRESS_MS = 40; // how often set-up lets the window be drawn

failedSessions g_failed; // outlives each session: a party's searches share it
std::string g_notice;
uint32_t g_noticeSince = 0;

setupProgressFunction g_progress = nullptr;
uint32_t g_lastProgress = 0;
bool g_abandoned = false; // the player closed the window during set-up

void setNotice(const std::string& notice) {
    g_notice = notice;
    g_noticeSince = timeGetTime();
}

// False once the player has closed the window: set-up then stops.
bool showProgress(const char* status, bool now = false) {
    if (g_progress == nullptr || g_abandoned)
        return !g_abandoned;
    if (!now && timeGetTime() - g_lastProgress < SETUP_PROGRESS_MS)
        return true;
    g_lastProgress = timeGetTime();
    g_abandoned = !g_progress(status);
    return !g_abandoned;
}

void pollPause() {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

uint32_t millisecondsSince(uint32_t start) {
    return timeGetTime() - start;
}

void paintWindowDecorations(void* nativeRenderer, void* window) {
    paintMenuStrip(static_cast<gameWindow*>(window), nativeRenderer);
    captureFrameForScreenshot(nativeRenderer);
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

// The sounds live as long as the process; a second set-up keeps them.
void initialiseSounds(gameWindow* window) {
    if (g_soundList != nullptr)
        return;
    g_soundList = new soundList();
    g_soundList->initialise(getNativeWindow(window));
    for (const char* file : SOUND_FILES)
        g_soundList->addSound(findDataFile(file).c_str());
}

void setRenderStates() {
    if (g_pd3dDevice == nullptr)
        return;
    g_pd3dDevice->setSamplerFilters(0, textureFilter::linear, textureFilter::linear, textureFilter::linear);
    g_pd3dDevice->setAlphaBlend(true);
    g_pd3dDevice->setBlendFactors(blendFactor::sourceAlpha, blendFactor::inverseSourceAlpha);
}

// The session this copy has just started to host; the hosting copy always
// searches its own machine too, so it finds it among any others.
const networkClient::session* findOwnSession(std::vector<networkClient::session>& found) {
    g_client->addDiscoveryTarget(LOOPBACK_BROADCAST);
    for (int search = 0; search < OWN_SESSION_SEARCHES; ++search) {
        g_client->enumerateHosts();
        found = g_client->getSessionRecords();
        for (const networkClient::session& listed : found)
            if (listed.applicationDesc.instanceGuid == g_host->getInstance())
                return &listed;
    }
    return nullptr;
}

// Connects the hosting copy's own client, asking again after every
// CONNECTION_POLLS polls without success.
bool connectToOwnSession(const networkClient::session& own) {
    const uint32_t start = timeGetTime();
    g_client->connectSession(own);
    int polls = 0;
    while (!g_client->isConnected()) {
        if (millisecondsSince(start) > CONNECT_DEADLINE_MS || !showProgress(JOINING_TEXT))
            return false;
        if (++polls >= CONNECTION_POLLS) {
            // The failed attempt left its end of session queued; the next
            // attempt must not read it as its own.
            messageQueue stale;
            g_client->receiveMessages(stale);
            g_client->connectSession(own);
            polls = 0;
        }
        pollPause();
    }
    return true;
}

// A copy that found only full games says so, on the terminal and in the
// window, before it hosts one of its own.
void noticeFullGames() {
    const std::vector<networkClient::session> full = g_client->getFullSessions();
    if (full.empty())
        return;
    const netApplicationDesc& desc = full.front().applicationDesc;
    char text[NET_MAX_SESSION_NAME + 64];
    std::snprintf(text, sizeof(text), "%s is full (%u of %u): hosting a new game", full.front().name.c_str(),
                  desc.currentPlayers, desc.maxPlayers);
    setNotice(text);
    std::fprintf(stderr, "zeb: %s\n", text);
}

setupResult hostAndConnect() {
    noticeFullGames();
    if (!showProgress(g_notice.empty() ? HOSTING_TEXT : g_notice.c_str(), true))
        return setupResult::unavailable;
    if (!startHostedGame())
        return setupResult::cannotHost;
    std::vector<networkClient::session> found;
    const networkClient::session* own = findOwnSession(found);
    if (own == nullptr) {
        std::fprintf(stderr, "zeb: hosting \"%s\", but its own session does not answer on this machine\n",
                     SESSION_NAME);
        return setupResult::cannotHost;
    }
    return connectToOwnSession(*own) ? setupResult::joined : setupResult::unavailable;
}

// Searches, then joins the first session found that has not failed this
// copy lately, or hosts one.
setupResult startConnection(bool mayJoin) {
    g_client->setApplicationGuid(APPLICATION_GUID);
    g_client->initialise();
    if (!g_options.connectHost.empty()) {
        std::string address = g_options.connectHost;
        if (g_options.connectPort != 0)
            address += ":" + std::to_string(g_options.connectPort);
        return g_client->connectTo(address) ? setupResult::joined : setupResult::unavailable;
    }
    if (!showProgress(SEARCHING_TEXT, true))
        return setupResult::unavailable;
    if (!mayJoin)
        return hostAndConnect();
    // A copy that finds nothing looks once more before it hosts: copies that
    // search at nearly the same time (started together, or the players of a
    // host that left) then find the one that started hosting first instead
    // of each hosting a game of its own.
    std::vector<networkClient::session> found;
    const networkClient::session* chosen = nullptr;
    for (int search = 0; search < SEARCHES_BEFORE_HOSTING && chosen == nullptr; ++search) {
        g_client->enumerateHosts();
        found = g_client->getSessionRecords();
        chosen = g_failed.choose(found, timeGetTime());
    }
    if (chosen == nullptr)
        return hostAndConnect();
    g_client->connectSession(*chosen);
    return setupResult::joined;
}

// Polls the client until something arrives. False when the connection is over;
// true with an empty queue when it is time to ask again.
bool waitForMessages(messageQueue& in, std::vector<networkEvent>& events) {
    const uint32_t start = timeGetTime();
    const uint32_t pass = (g_host != nullptr) ? JOIN_PASS_HOSTING_MS : JOIN_PASS_REMOTE_MS;
    while (true) {
        g_client->receiveMessages(in, events);
        if (in.hasMessages() || !events.empty())
            return true;
        if (!g_client->isConnected() && !g_client->isConnecting())
            return false;
        if (millisecondsSince(start) >= pass)
            return true;
        if (!showProgress(JOINING_TEXT))
            return false;
        pollPause();
    }
}

void answerOwnJoinRequests() {
    messageQueue in;
    std::vector<networkEvent> events;
    g_host->receiveMessages(in, events);
    tickHostedGame(0.0f, in, events);
}

bool join() {
    messageQueue in;
    messageQueue out;
    std::vector<networkEvent> events;
    g_collector->setPlayerName(g_playerName);
    g_collector->update(0.0f, in, out);
    const uint32_t start = timeGetTime();
    while (!g_collector->hasJoined()) {
        g_client->sendMessages(out);
        in.clear();
        out.clear();
        if (g_host != nullptr)
            answerOwnJoinRequests();
        if (!waitForMessages(in, events) || hasSessionEnded(events) ||
            millisecondsSince(start) > JOIN_DEADLINE_MS)
            return false;
        g_collector->update(0.0f, in, out);
    }
    return true;
}

// Says on standard error why the game could not be joined, when the
// connection knows, and what this copy does next.
void reportUnavailable(const char* next = nullptr) {
    const networkEnd end = g_client->getEnd();
    const std::string host = !g_options.connectHost.empty() && end == networkEnd::badAddress
                                 ? g_options.connectHost
                                 : formatAddress(g_client->getHostAddress());
    const char* reason = end == networkEnd::none ? "no answer to the join request" : describeEnd(end);
    std::fprintf(stderr, "zeb: cannot join the game at %s: %s%s%s\n", host.c_str(), reason,
                 next != nullptr ? "; " : "", next != nullptr ? next : "");
    if (next != nullptr)
        return;
    // With --connect this copy neither searches nor hosts: the window says why.
    if (!g_options.connectHost.empty())
        setNotice("The game at " + host + ": " + reason + ". --connect joins that host only.");
    else
        setNotice(describeUnavailable(end));
}

// A copy that could not join lets go of its connection, and a copy that
// hosts a game it cannot play in stops hosting it.
void giveUp() {
    if (!g_abandoned)
        reportUnavailable();
    g_client->disconnect();
    stopHosting();
}

} // namespace

namespace {

// After a session found by searching could not be joined, the copy searches
// again, passing over it; after a few such sessions it hosts its own game.
bool maySearchAgain() {
    return g_options.connectHost.empty() && g_host == nullptr && !g_abandoned;
}

void startAfresh() {
    g_client->disconnect();
    delete g_client;
    g_client = new networkClient();
    delete g_collector;
    g_collector = new ZEBGameStateCollector();
}

// Searches and joins, or hosts; what cannot be joined is let go.
setupResult connectAndJoin() {
    g_notice.clear();
    setupResult result = startConnection(true);
    for (int tries = 1; result == setupResult::joined && !join(); ++tries) {
        result = setupResult::unavailable;
        if (!maySearchAgain())
            break;
        reportUnavailable("searching again");
        g_failed.remember(g_client->getSessionInstance(), g_client->getHostAddress(), timeGetTime());
        startAfresh();
        result = startConnection(tries < JOIN_TRIES_PER_SEARCH_ROUND);
    }
    if (result == setupResult::unavailable)
        giveUp();
    g_running = (result == setupResult::joined);
    g_hostSilence = 0.0f;
    g_feedback.reset();
    g_input.clear();
    return result;
}

// Ends this copy's part in the current session: its connection, and the
// hosted game when it hosts one.
void releaseSession() {
    g_running = false;
    if (g_client != nullptr)
        g_client->disconnect();
    delete g_client;
    g_client = nullptr;
    delete g_collector;
    g_collector = nullptr;
    if (g_host != nullptr)
        g_host->stopHosting();
    delete g_host;
    g_host = nullptr;
    delete g_serverGame;
    g_serverGame = nullptr;
    g_serverObjects.clear();
}

} // namespace

const std::string& getSetupNotice() {
    return g_notice;
}

bool isSetupNoticeFresh() {
    return !g_notice.empty() && timeGetTime() - g_noticeSince < NOTICE_MS;
}

void noticeGameEnded() {
    if (g_client != nullptr)
        setNotice(describeUnavailable(g_client->getEnd()));
}

void rememberLostSession() {
    if (g_client != nullptr)
        g_failed.remember(g_client->getSessionInstance(), netAddress{}, timeGetTime());
}

setupResult setupGame(gameWindow* window) {
    initialiseRenderDevice(window);
    initialiseSounds(window);
    setRenderStates();
    g_font.create(FONT_FACE, FONT_SIZE);
    seedRandom(timeGetTime());
    g_camera = new camera();
    g_camera->setPosition(CAMERA_START);
    std::memset(g_keys, 0, sizeof(g_keys));
    g_collector = new ZEBGameStateCollector();
    g_client = new networkClient();
    loadLevelFile(g_clientObjects, nullptr);
    applyNetworkOptions();
    g_rejoinDelay = -1.0f;
    const setupResult result = connectAndJoin();
    // What set-up has to say comes first; the settings file's problem otherwise.
    if (g_notice.empty() && !getSettingsProblem().empty())
        setNotice(getSettingsProblem());
    return result;
}

void setSetupProgress(setupProgressFunction progress) {
    g_progress = progress;
    g_abandoned = false;
}

setupResult restartSession() {
    releaseSession();
    g_collector = new ZEBGameStateCollector();
    g_client = new networkClient();
    return connectAndJoin();
}

void shutdownGame() {
    releaseSession();
    g_rejoinDelay = -1.0f;
    delete g_camera;
    g_camera = nullptr;
}
