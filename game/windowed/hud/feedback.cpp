#include "game/windowed/hud/feedback.h"

#include "drawing/font/font.h"
#include "drawing/linedraw.h"
#include "drawing/render.h"
#include "game/client/zebfeedback.h"
#include "game/rules/playarea.h"
#include "platform/language/textformat.h"
#include "platform/language/translation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr float STREAK_LENGTH = 0.9f; // world units
constexpr float STREAK_WHITENESS = 0.35f;
constexpr int STREAK_LINES = 5; // half a pixel apart: no gaps whatever the rounding

constexpr float FLAME_BASE_X = -0.4f; // in outline radii, behind the ship's centre
constexpr float FLAME_BASE_Y = 0.28f;
constexpr float FLAME_TIPS_X[] = {-1.3f, -1.85f, -1.55f}; // one a frame, in turn
constexpr int FLAME_SHAPES = 3;
const colour4 FLAME_COLOUR(1.0f, 0.7f, 0.2f, 1.0f);

constexpr float POPUP_RISE = 0.12f; // normalised window units over its life
constexpr float POPUP_OFFSET_X = 0.06f;
constexpr float POPUP_OFFSET_Y = 0.1f;
constexpr float SHOT_BY_TOP = -0.65f; // above the notice and sound lines
constexpr int TEXT_SIZE = 64;

const vertexBuffer& unitStreak() {
    static vertexBuffer streak;
    if (!streak.isCreated()) {
        const vector3 ends[] = {{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}};
        streak.create(ends, 2);
    }
    return streak;
}

const vertexBuffer& flameShape(int shape) {
    static vertexBuffer flames[FLAME_SHAPES];
    if (!flames[shape].isCreated()) {
        const vector3 points[] = {{FLAME_BASE_X, FLAME_BASE_Y, 0.0f},
                                  {FLAME_TIPS_X[shape], 0.0f, 0.0f},
                                  {FLAME_BASE_X, -FLAME_BASE_Y, 0.0f}};
        flames[shape].create(points, 3);
    }
    return flames[shape];
}

float brighten(float channel) {
    const float doubled = std::clamp(channel * 2.0f, 0.0f, 1.0f); // bullets carry half their ship's colour
    return doubled + (1.0f - doubled) * STREAK_WHITENESS;
}

// Where a point of the play area appears, in the font's window coordinates.
vector3 toWindow(const vector3& position) {
    matrix viewProjection;
    multiply(&g_pd3dDevice->getTransform(transformState::view),
             &g_pd3dDevice->getTransform(transformState::projection), &viewProjection);
    vector3 onWindow;
    transformPointDivide(&viewProjection, &position, &onWindow);
    return onWindow;
}

void drawPopups(font& text, const ZEBFeedback& feedback, const vector3& shipPosition) {
    const vector3 at = toWindow(shipPosition);
    char line[TEXT_SIZE];
    for (const ZEBScorePopup& popup : feedback.getPopups()) {
        const float life = popup.age / SCORE_POPUP_SECONDS;
        std::snprintf(line, sizeof(line), "%+d", popup.change);
        text.setLeft(std::clamp(at.x + POPUP_OFFSET_X, -1.0f, 0.9f));
        text.setTop(std::clamp(at.y + POPUP_OFFSET_Y + POPUP_RISE * life, -0.9f, 1.0f));
        const float alpha = 1.0f - life * life;
        if (popup.change > 0)
            text.setColour(0.4f, 1.0f, 0.4f, alpha);
        else
            text.setColour(1.0f, 0.4f, 0.4f, alpha);
        text.print(line);
    }
    text.setLeft(-1.0f);
}

} // namespace

void drawBulletStreak(const matrix& transform, const vector3& velocity, const colour4& colour) {
    const float speed = std::hypot(velocity.x, velocity.y);
    if (!(speed > 0.0f) || g_pd3dDevice == nullptr)
        return;
    // An element moves against its velocity: the trail lies along it.
    const float dx = velocity.x / speed;
    const float dy = velocity.y / speed;
    const float pixel = PLAY_AREA_WIDTH / static_cast<float>(std::max(1, g_pd3dDevice->getAreaWidth()));
    const colour4 bright(brighten(colour.r), brighten(colour.g), brighten(colour.b), 1.0f);
    for (int line = 0; line < STREAK_LINES; ++line) {
        const float side = 0.5f * pixel * static_cast<float>(line - STREAK_LINES / 2);
        matrix world = IDENTITY;
        world(0, 0) = dx * STREAK_LENGTH;
        world(0, 1) = dy * STREAK_LENGTH;
        world(3, 0) = transform(3, 0) - dy * side;
        world(3, 1) = transform(3, 1) + dx * side;
        world(3, 2) = transform(3, 2);
        drawWorldLineStrip(unitStreak(), 1, world, bright);
    }
}

void drawEngineFlame(const matrix& transform, float radius) {
    static int frame = 0;
    frame = (frame + 1) % FLAME_SHAPES;
    matrix scaled = IDENTITY;
    scaled(0, 0) = radius;
    scaled(1, 1) = radius;
    matrix world;
    multiply(&scaled, &transform, &world);
    drawWorldLineStrip(flameShape(frame), 2, world, FLAME_COLOUR);
}

void drawFeedback(font& text, const ZEBFeedback& feedback, const vector3& shipPosition) {
    drawPopups(text, feedback, shipPosition);
    if (feedback.getShooter().empty())
        return;
    const std::string line = formatText(tr("shot by %s"), feedback.getShooter().c_str());
    const colour4& colour = feedback.getShooterColour();
    text.setTop(SHOT_BY_TOP);
    text.setColour(std::clamp(colour.r, 0.0f, 1.0f), std::clamp(colour.g, 0.0f, 1.0f),
                   std::clamp(colour.b, 0.0f, 1.0f), 1.0f);
    text.print(line.c_str());
}
