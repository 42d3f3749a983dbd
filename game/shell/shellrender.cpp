#include "game/shell/shell.h"

#include "baselib/source/font/font.h"
#include "baselib/source/render/camera.h"
#include "baselib/source/render/linedraw.h"
#include "baselib/source/render/render.h"
#include "game/client/zebfeedback.h"
#include "game/client/zebgamestatecollector.h"
#include "game/client/zebobjectparticlesystem.h"
#include "game/server/zebgamestategame.h"
#include "game/shell/shellfeedback.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <vector>

namespace {

constexpr float BACKGROUND_RED = 0.05f;
constexpr float BACKGROUND_GREEN = 0.05f;
constexpr float BACKGROUND_BLUE = 0.1f;
constexpr float SCORE_LINE_SPACING = 0.05f;
constexpr float TOP_LINE = 1.0f;
constexpr float BOTTOM_EDGE = -1.0f;
constexpr float SOUND_LINE_TOP = -0.75f;
constexpr float SOUND_LINE_GREY = 0.75f;
constexpr float NOTICE_LINE_TOP = SOUND_LINE_TOP + 0.05f; // just above the sound line
constexpr float SILENT_HOST_LEFT = -0.25f;
constexpr float SILENT_HOST_TOP = 0.45f;
constexpr int SCORE_TEXT_SIZE = 256;
// The own row of the score table starts with this marker.
constexpr const char* OWN_ROW_MARKER = "\xC2\xBB ";            // "» "
constexpr const char* LEADER_MARKER = "  \xE2\x97\x84 leader"; // "  ◄ leader"
// The own ship carries a faint ring, drawn by this client only.
constexpr int RING_SEGMENTS = 40;
constexpr float RING_REACH = 1.3f; // times the ship's outline radius
constexpr float RING_ALPHA = 0.35f;
constexpr float BLINKS_PER_SECOND = 2.0f;
constexpr float BLINK_DIM_ALPHA = 0.25f;

// A ring of radius 1 around the origin, made once.
const vertexBuffer& unitRing() {
    static vertexBuffer ring;
    if (!ring.isCreated()) {
        vector3 points[RING_SEGMENTS + 1];
        for (int i = 0; i <= RING_SEGMENTS; ++i) {
            const float angle = 6.2831853f * static_cast<float>(i % RING_SEGMENTS) / RING_SEGMENTS;
            points[i] = vector3(std::cos(angle), std::sin(angle), 0.0f);
        }
        ring.create(points, RING_SEGMENTS + 1);
    }
    return ring;
}

// The distance of the outline's farthest vertex from the shape's origin.
float outlineRadius(const ZEBObject& shape) {
    float radius = 0.0f;
    for (int v = 0; v < shape.getNumVertices(); ++v) {
        const vector3& p = shape.getVertices()[v];
        radius = std::fmax(radius, std::sqrt(p.x * p.x + p.y * p.y));
    }
    return radius;
}

void drawOwnShipRing(const matrix& transform, const colour4& colour, float radius) {
    matrix ring = IDENTITY;
    ring(0, 0) = radius;
    ring(1, 1) = radius;
    ring(3, 0) = transform(3, 0);
    ring(3, 1) = transform(3, 1);
    ring(3, 2) = transform(3, 2);
    drawWorldLineStrip(unitRing(), RING_SEGMENTS, ring, colour4(colour.r, colour.g, colour.b, RING_ALPHA));
}

// The shift that brings the part beyond an edge in again from the other
// side; 0 when nothing reaches over.
float wrapShift(float centre, float radius) {
    if (centre + radius > PLAY_AREA_HALF_WIDTH)
        return -PLAY_AREA_WIDTH;
    if (centre - radius < -PLAY_AREA_HALF_WIDTH)
        return PLAY_AREA_WIDTH;
    return 0.0f;
}

// The play area wraps: a shape reaching over an edge is drawn again, shifted
// by the width of the play area, so it shows on both sides while it crosses.
void drawWrapped(const ZEBObject& shape, const matrix& transform, const colour4& colour, float radius) {
    const float shiftsX[] = {0.0f, wrapShift(transform(3, 0), radius)};
    const float shiftsY[] = {0.0f, wrapShift(transform(3, 1), radius)};
    const int columns = shiftsX[1] != 0.0f ? 2 : 1;
    const int rows = shiftsY[1] != 0.0f ? 2 : 1;
    for (int i = 0; i < columns; ++i) {
        for (int j = 0; j < rows; ++j) {
            matrix shifted = transform;
            shifted(3, 0) += shiftsX[i];
            shifted(3, 1) += shiftsY[j];
            shape.draw(shifted, colour);
        }
    }
}

// A ship the host spares from asteroids, untouched since it appeared, blinks.
bool isSparedBlinkOff(int index) {
    float shown = 0.0f;
    return g_feedback.isSpared(index, shown) && static_cast<int>(shown * BLINKS_PER_SECOND * 2.0f) % 2 == 1;
}

colour4 dimmed(const colour4& colour) {
    return colour4(colour.r, colour.g, colour.b, colour.a * BLINK_DIM_ALPHA);
}

void drawElements() {
    for (int index = 0; index < g_collector->getElementCount(); ++index) {
        bool visible = false;
        int type = 0;
        int objectID = 0;
        matrix transform;
        colour4 colour;
        g_collector->getElement(index, visible, type, objectID, transform, colour);
        if (!visible || objectID < 0 || objectID >= static_cast<int>(g_clientObjects.size()))
            continue;
        const ZEBObject& shape = g_clientObjects[objectID];
        const float radius = outlineRadius(shape) * g_collector->getElementScale(index);
        drawWrapped(shape, transform, isSparedBlinkOff(index) ? dimmed(colour) : colour, radius);
        if (type == TYPE_BULLET)
            drawBulletStreak(transform, g_collector->getElementState(index).getVelocity(), colour);
        if (index != g_collector->getOwnIndex())
            continue;
        drawOwnShipRing(transform, colour, RING_REACH * radius);
        if (g_input.up)
            drawEngineFlame(transform, outlineRadius(shape));
    }
}

// Beside the own ship, wherever it is (or last was).
void drawOwnFeedback() {
    const int own = g_collector->getOwnIndex();
    if (own >= 0 && own < g_collector->getElementCount())
        drawFeedback(g_collector->getElementState(own).getPosition());
}

// The rows by score, highest first; equal scores keep the host's order.
std::vector<int> scoreOrder() {
    std::vector<int> order(static_cast<size_t>(g_collector->getStatsCount()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [](int a, int b) {
        return g_collector->getStatsScore(a) > g_collector->getStatsScore(b);
    });
    return order;
}

void drawScoreTable() {
    const std::vector<int> order = scoreOrder();
    // A leader only when one player is ahead of all others.
    const bool leader =
        order.size() > 1 && g_collector->getStatsScore(order[0]) > g_collector->getStatsScore(order[1]);
    char text[SCORE_TEXT_SIZE];
    for (size_t line = 0; line < order.size(); ++line) {
        const int p = order[line];
        const float top = TOP_LINE - static_cast<float>(line) * SCORE_LINE_SPACING;
        // A row below the window has no pixels to print into, and the font
        // reports every print that draws nothing.
        if (!(top > BOTTOM_EDGE))
            break;
        std::snprintf(text, sizeof(text), "%s%s ( %d )%s\n",
                      g_collector->isOwnStatsRow(p) ? OWN_ROW_MARKER : "", g_collector->getStatsName(p),
                      g_collector->getStatsScore(p), leader && line == 0 ? LEADER_MARKER : "");
        const colour4& colour = g_collector->getStatsColour(p);
        g_font.setTop(top);
        g_font.setColour(colour.r, colour.g, colour.b, colour.a);
        g_font.print(text);
    }
}

void drawGreyLine(float top, const std::string& text) {
    g_font.setTop(top);
    g_font.setColour(SOUND_LINE_GREY, SOUND_LINE_GREY, SOUND_LINE_GREY, 1.0f);
    g_font.print(text.c_str());
}

// Over the last picture of a host that has fallen silent, in the open space
// above the ring of start points.
void drawConnectionLost() {
    g_font.setLeft(SILENT_HOST_LEFT);
    g_font.setTop(SILENT_HOST_TOP);
    g_font.setColour(1.0f, 0.0f, 0.0f, 1.0f);
    g_font.print(CONNECTION_LOST_TEXT);
    g_font.setLeft(-1.0f);
}

// Why there is no game, and when this copy looks for one again.
void drawUnavailable() {
    g_font.setTop(TOP_LINE);
    g_font.setColour(1.0f, 0.0f, 0.0f, 1.0f);
    g_font.print(GAME_UNAVAILABLE_TEXT);
    float top = TOP_LINE - SCORE_LINE_SPACING;
    if (!getSetupNotice().empty()) {
        drawGreyLine(top, getSetupNotice());
        top -= SCORE_LINE_SPACING;
    }
    const std::string countdown = searchCountdownText(g_rejoinDelay);
    if (!countdown.empty())
        drawGreyLine(top, countdown);
}

} // namespace

void drawGameScene() {
    matrix viewMatrix = g_camera->getViewMatrix();
    transpose(&viewMatrix, &viewMatrix);
    g_pd3dDevice->setTransform(transformState::view, viewMatrix);
    drawElements();
    for (const auto& system : g_particleSystems)
        system->draw();
    drawOwnFeedback();
    drawScoreTable();
}

bool beginGameFrame() {
    clearScene(BACKGROUND_RED, BACKGROUND_GREEN, BACKGROUND_BLUE, 1.0f);
    beginScene();
    // Without a device the calls above have reported it; there is nothing to draw on.
    if (g_pd3dDevice == nullptr)
        return false;
    g_pd3dDevice->setCullMode(cullMode::none);
    return true;
}

void renderGame() {
    if (!beginGameFrame())
        return;
    const bool playing = g_running && g_collector != nullptr && g_camera != nullptr;
    if (playing) {
        drawGameScene();
        if (isSetupNoticeFresh())
            drawGreyLine(NOTICE_LINE_TOP, getSetupNotice());
        if (isHostSilent(g_hostSilence))
            drawConnectionLost();
    } else {
        drawUnavailable();
    }
    g_font.setTop(SOUND_LINE_TOP);
    g_font.setColour(SOUND_LINE_GREY, SOUND_LINE_GREY, SOUND_LINE_GREY, 1.0f);
    g_font.print(g_soundEnabled ? SOUND_ENABLED_TEXT : SOUND_DISABLED_TEXT);
    endScene();
}

void renderSetupStatus(const char* status) {
    clearScene(BACKGROUND_RED, BACKGROUND_GREEN, BACKGROUND_BLUE, 1.0f);
    beginScene();
    if (g_pd3dDevice == nullptr)
        return;
    g_font.setTop(TOP_LINE);
    g_font.setColour(SOUND_LINE_GREY, SOUND_LINE_GREY, SOUND_LINE_GREY, 1.0f);
    g_font.print(status);
    endScene();
}
