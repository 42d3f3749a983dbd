#include "game/windowed/windowedgame.h"

#include "drawing/camera.h"
#include "drawing/font/font.h"
#include "drawing/linedraw.h"
#include "drawing/render.h"
#include "game/client/zebfeedback.h"
#include "game/client/zebgamestatecollector.h"
#include "game/windowed/draw/zebobjectparticlesystem.h"
#include "game/windowed/draw/zebshapeoutlines.h"
#include "game/windowed/hud/chatpanel.h"
#include "game/windowed/hud/feedback.h"
#include "game/windowed/hud/scoretable.h"
#include "platform/language/translation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr float BACKGROUND_RED = 0.05f;
constexpr float BACKGROUND_GREEN = 0.05f;
constexpr float BACKGROUND_BLUE = 0.1f;
constexpr float SOUND_LINE_TOP = -0.75f;
constexpr float SILENT_HOST_LEFT = -0.25f;
constexpr float SILENT_HOST_TOP = 0.45f;
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
void drawWrapped(const ZEBShapeOutlines& outlines, int shape, const matrix& transform, const colour4& colour,
                 float radius) {
    const float shiftsX[] = {0.0f, wrapShift(transform(3, 0), radius)};
    const float shiftsY[] = {0.0f, wrapShift(transform(3, 1), radius)};
    const int columns = shiftsX[1] != 0.0f ? 2 : 1;
    const int rows = shiftsY[1] != 0.0f ? 2 : 1;
    for (int i = 0; i < columns; ++i) {
        for (int j = 0; j < rows; ++j) {
            matrix shifted = transform;
            shifted(3, 0) += shiftsX[i];
            shifted(3, 1) += shiftsY[j];
            outlines.draw(shape, shifted, colour);
        }
    }
}

// A ship the host spares from asteroids, untouched since it appeared, blinks.
bool isSparedBlinkOff(const ZEBFeedback& feedback, int index) {
    float shown = 0.0f;
    return feedback.isSpared(index, shown) && static_cast<int>(shown * BLINKS_PER_SECOND * 2.0f) % 2 == 1;
}

colour4 dimmed(const colour4& colour) {
    return colour4(colour.r, colour.g, colour.b, colour.a * BLINK_DIM_ALPHA);
}

} // namespace

void ZEBWindowedGame::drawElements(ZEBClientSession& session) {
    const ZEBGameStateCollector& collector = session.getCollector();
    const std::vector<ZEBObject>& shapes = session.getShapes();
    for (int index = 0; index < collector.getElementCount(); ++index) {
        bool visible = false;
        int type = 0;
        int objectID = 0;
        matrix transform;
        colour4 colour;
        collector.getElement(index, visible, type, objectID, transform, colour);
        if (!visible || objectID < 0 || objectID >= static_cast<int>(shapes.size()))
            continue;
        const ZEBObject& shape = shapes[objectID];
        const float radius = outlineRadius(shape) * collector.getElementScale(index);
        drawWrapped(session.getOutlines(), objectID, transform,
                    isSparedBlinkOff(session.getFeedback(), index) ? dimmed(colour) : colour, radius);
        if (type == TYPE_BULLET)
            drawBulletStreak(transform, collector.getElementState(index).getVelocity(), colour);
        if (index != collector.getOwnIndex())
            continue;
        drawOwnShipRing(transform, colour, RING_REACH * radius);
        if (m_input.up)
            drawEngineFlame(transform, outlineRadius(shape));
    }
}

// The notice just above the sound line; the chat line being typed above the
// notice, the lines received above it, newest lowest.
float ZEBWindowedGame::noticeLineTop() const {
    return SOUND_LINE_TOP + m_lineSpacing;
}

float ZEBWindowedGame::chatEntryTop() const {
    return noticeLineTop() + m_lineSpacing;
}

const char* ZEBWindowedGame::soundLineText() const {
    if (m_soundsLoaded && !m_sounds.hasDevice())
        return tr(SOUND_MISSING_TEXT);
    return tr(m_soundEnabled ? SOUND_ENABLED_TEXT : SOUND_DISABLED_TEXT);
}

// Over the last picture of a host that has fallen silent, in the open space
// above the ring of start points.
void ZEBWindowedGame::drawConnectionLost() {
    m_font.setLeft(SILENT_HOST_LEFT);
    m_font.setTop(SILENT_HOST_TOP);
    m_font.setColour(1.0f, 0.0f, 0.0f, 1.0f);
    m_font.print(tr(CONNECTION_LOST_TEXT));
    m_font.setLeft(-1.0f);
}

// Why there is no game, and when this copy looks for one again.
void ZEBWindowedGame::drawUnavailable() {
    m_font.setTop(HUD_TOP_LINE);
    m_font.setColour(1.0f, 0.0f, 0.0f, 1.0f);
    m_font.print(tr(GAME_UNAVAILABLE_TEXT));
    float top = HUD_TOP_LINE - m_lineSpacing;
    if (!getNotice().empty()) {
        drawGreyLine(hud(), top, getNotice());
        top -= m_lineSpacing;
    }
    const std::string countdown = searchCountdownText(getRejoinDelay());
    if (!countdown.empty())
        drawGreyLine(hud(), top, countdown);
}

void ZEBWindowedGame::drawGame(ZEBClientSession& session) {
    session.aimCamera(m_player.watching ? m_followed : -1);
    matrix viewMatrix = session.getCamera().getViewMatrix();
    transpose(&viewMatrix, &viewMatrix);
    g_pd3dDevice->setTransform(transformState::view, viewMatrix);
    drawElements(session);
    for (const auto& effect : session.getEffects())
        effect->draw();
    const ZEBGameStateCollector& collector = session.getCollector();
    // Beside the own ship, wherever it is (or last was).
    const int own = collector.getOwnIndex();
    if (own >= 0 && own < collector.getElementCount())
        drawFeedback(m_font, session.getFeedback(), collector.getElementState(own).getPosition());
    drawScoreTable(hud(), collector, m_player.watching, m_followed);
}

void ZEBWindowedGame::drawSetupStatus() {
    drawGreyLine(hud(), HUD_TOP_LINE, getSetupStatus());
}

void ZEBWindowedGame::render() {
    clearScene(BACKGROUND_RED, BACKGROUND_GREEN, BACKGROUND_BLUE, 1.0f);
    beginScene();
    // Without a device the calls above have reported it; there is nothing to draw on.
    if (g_pd3dDevice == nullptr)
        return;
    g_pd3dDevice->setCullMode(cullMode::none);
    switch (getStage()) {
    case setupStage::playing:
        drawGame(*getSession());
        drawChatPanel(hud(), m_chat, chatEntryTop(), isTyping() ? &getTextEntry().getText() : nullptr);
        if (isNoticeFresh())
            drawGreyLine(hud(), noticeLineTop(), getNotice());
        if (showsConnectionLost())
            drawConnectionLost();
        break;
    case setupStage::unavailable:
    case setupStage::failed:
        drawUnavailable();
        break;
    default:
        // Set-up says what it does, and draws nothing else.
        drawSetupStatus();
        endScene();
        return;
    }
    if (m_statusLine && getStage() == setupStage::playing) {
        m_statusLine(m_font);
    } else {
        drawGreyLine(hud(), SOUND_LINE_TOP, soundLineText());
    }
    endScene();
}
