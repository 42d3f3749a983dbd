#include "game/windowed/windowedgame.h"

#include "drawing/camera.h"
#include "drawing/font/font.h"
#include "drawing/linedraw.h"
#include "drawing/render.h"
#include "game/client/zebfeedback.h"
#include "game/client/zebgamestatecollector.h"
#include "game/windowed/draw/zebobjectparticlesystem.h"
#include "game/windowed/draw/zebshapeoutlines.h"
#include "game/windowed/hud/feedback.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr float BACKGROUND_RED = 0.05f;
constexpr float BACKGROUND_GREEN = 0.05f;
constexpr float BACKGROUND_BLUE = 0.1f;
constexpr float TOP_LINE = 1.0f;
constexpr float BOTTOM_EDGE = -1.0f;
constexpr float SOUND_LINE_TOP = -0.75f;
constexpr float SOUND_LINE_GREY = 0.75f;
constexpr const char* CHAT_PROMPT = "Say: ";
constexpr const char* CHAT_CURSOR = "_";
constexpr float SILENT_HOST_LEFT = -0.25f;
constexpr float SILENT_HOST_TOP = 0.45f;
constexpr int SCORE_TEXT_SIZE = 256;
constexpr size_t WATCHERS_LINE_BYTES = 60; // names a line holds before the next begins
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

// The score table's row of the ship followed; -1 for none.
int followedRow(const ZEBGameStateCollector& collector, int followed) {
    for (int row = 0; followed >= 0 && row < collector.getStatsCount(); ++row) {
        if (collector.getStatsID(row) == followed)
            return row;
    }
    return -1;
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

// The names of those who watch, a few to a line, under the score table; and
// to a copy that watches, what its view shows.
void ZEBWindowedGame::drawWatchers(const ZEBGameStateCollector& collector, float top) {
    std::vector<std::string> lines;
    for (const std::string& name : collector.getWatchers()) {
        if (lines.empty() || lines.back().size() + name.size() > WATCHERS_LINE_BYTES)
            lines.push_back(lines.empty() ? WATCHERS_TITLE : "    ");
        else
            lines.back() += ", ";
        lines.back() += name;
    }
    if (m_watching) {
        char text[SCORE_TEXT_SIZE];
        const int row = followedRow(collector, m_followed);
        if (row < 0)
            std::snprintf(text, sizeof(text), "%s", WATCH_WHOLE_FIELD_TEXT);
        else
            std::snprintf(text, sizeof(text), WATCH_FOLLOWING_TEXT, collector.getStatsName(row));
        lines.emplace_back(text);
    }
    for (const std::string& line : lines) {
        if (!(top > BOTTOM_EDGE))
            return;
        drawGreyLine(top, line);
        top -= m_lineSpacing;
    }
}

void ZEBWindowedGame::drawScoreTable(const ZEBGameStateCollector& collector) {
    const std::vector<int> order = collector.getStatsOrder();
    // A leader only when one player is ahead of all others.
    const bool leader =
        order.size() > 1 && collector.getStatsScore(order[0]) > collector.getStatsScore(order[1]);
    char text[SCORE_TEXT_SIZE];
    for (size_t line = 0; line < order.size(); ++line) {
        const int p = order[line];
        const float top = TOP_LINE - static_cast<float>(line) * m_lineSpacing;
        // A row below the window has no pixels to print into, and the font
        // reports every print that draws nothing.
        if (!(top > BOTTOM_EDGE))
            break;
        std::snprintf(text, sizeof(text), "%s%s ( %d )%s\n", collector.isOwnStatsRow(p) ? OWN_ROW_MARKER : "",
                      collector.getStatsName(p), collector.getStatsScore(p),
                      leader && line == 0 ? LEADER_MARKER : "");
        const colour4& colour = collector.getStatsColour(p);
        m_font.setTop(top);
        m_font.setColour(colour.r, colour.g, colour.b, colour.a);
        m_font.print(text);
    }
    drawWatchers(collector, TOP_LINE - static_cast<float>(order.size()) * m_lineSpacing);
}

void ZEBWindowedGame::drawGreyLine(float top, const std::string& text) {
    m_font.setTop(top);
    m_font.setColour(SOUND_LINE_GREY, SOUND_LINE_GREY, SOUND_LINE_GREY, 1.0f);
    m_font.print(text.c_str());
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
        return SOUND_MISSING_TEXT;
    return m_soundEnabled ? SOUND_ENABLED_TEXT : SOUND_DISABLED_TEXT;
}

void ZEBWindowedGame::drawChat() {
    const std::deque<shownChatLine>& lines = m_chat.getLines();
    float top = chatEntryTop() + m_lineSpacing * static_cast<float>(lines.size());
    for (const shownChatLine& line : lines) {
        m_font.setTop(top);
        m_font.setColour(line.colour.r, line.colour.g, line.colour.b, line.colour.a);
        m_font.print(line.text.c_str());
        top -= m_lineSpacing;
    }
    if (isTyping()) {
        m_font.setTop(chatEntryTop());
        m_font.setColour(1.0f, 1.0f, 1.0f, 1.0f);
        m_font.print((CHAT_PROMPT + getTextEntry().getText() + CHAT_CURSOR).c_str());
    }
}

// Over the last picture of a host that has fallen silent, in the open space
// above the ring of start points.
void ZEBWindowedGame::drawConnectionLost() {
    m_font.setLeft(SILENT_HOST_LEFT);
    m_font.setTop(SILENT_HOST_TOP);
    m_font.setColour(1.0f, 0.0f, 0.0f, 1.0f);
    m_font.print(CONNECTION_LOST_TEXT);
    m_font.setLeft(-1.0f);
}

// Why there is no game, and when this copy looks for one again.
void ZEBWindowedGame::drawUnavailable() {
    m_font.setTop(TOP_LINE);
    m_font.setColour(1.0f, 0.0f, 0.0f, 1.0f);
    m_font.print(GAME_UNAVAILABLE_TEXT);
    float top = TOP_LINE - m_lineSpacing;
    if (!m_notice.empty()) {
        drawGreyLine(top, m_notice);
        top -= m_lineSpacing;
    }
    const std::string countdown = searchCountdownText(m_rejoinDelay);
    if (!countdown.empty())
        drawGreyLine(top, countdown);
}

void ZEBWindowedGame::drawGame(ZEBClientSession& session) {
    session.aimCamera(m_watching ? m_followed : -1);
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
    drawScoreTable(collector);
}

void ZEBWindowedGame::drawSetupStatus() {
    m_font.setTop(TOP_LINE);
    m_font.setColour(SOUND_LINE_GREY, SOUND_LINE_GREY, SOUND_LINE_GREY, 1.0f);
    m_font.print(getSetupStatus());
}

void ZEBWindowedGame::render() {
    clearScene(BACKGROUND_RED, BACKGROUND_GREEN, BACKGROUND_BLUE, 1.0f);
    beginScene();
    // Without a device the calls above have reported it; there is nothing to draw on.
    if (g_pd3dDevice == nullptr)
        return;
    g_pd3dDevice->setCullMode(cullMode::none);
    switch (m_stage) {
    case setupStage::playing:
        drawGame(*m_session);
        drawChat();
        if (isNoticeFresh())
            drawGreyLine(noticeLineTop(), m_notice);
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
    if (m_statusLine && m_stage == setupStage::playing) {
        m_statusLine(m_font);
    } else {
        m_font.setTop(SOUND_LINE_TOP);
        m_font.setColour(SOUND_LINE_GREY, SOUND_LINE_GREY, SOUND_LINE_GREY, 1.0f);
        m_font.print(soundLineText());
    }
    endScene();
}
