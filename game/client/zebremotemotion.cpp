#include "game/client/zebremotemotion.h"

#include "game/rules/playarea.h"

#include <cmath>

namespace {

// The shorter way round the play area, and round the circle.
float wrappedDifference(float difference) {
    return wrapPlayArea(difference);
}

float turnDifference(float degrees) {
    const float turn = std::remainder(degrees, 360.0f);
    return std::isfinite(turn) ? turn : 0.0f;
}

} // namespace

void ZEBRemoteMotion::clear() {
    m_guesses.clear();
    m_offsets.clear();
}

void ZEBRemoteMotion::add(const ZEBGameStateElement& element) {
    m_guesses.emplace_back();
    m_guesses.back().receive(element);
    m_offsets.emplace_back();
}

void ZEBRemoteMotion::received(int index, const ZEBGameStateElement& element, bool wasVisible) {
    const vector3 drawn = drawnPosition(index);
    const float drawnTurn = drawnRotation(index);
    m_guesses[index].receive(element);
    corrected(index, element, wasVisible, drawn, drawnTurn);
}

void ZEBRemoteMotion::received(int index, const ZEBGameStateElement& element, bool wasVisible, int turn,
                               bool thrust, bool lasting) {
    const vector3 drawn = drawnPosition(index);
    const float drawnTurn = drawnRotation(index);
    m_guesses[index].receive(element, turn, thrust, lasting);
    corrected(index, element, wasVisible, drawn, drawnTurn);
}

void ZEBRemoteMotion::controls(int index, int turn, bool thrust, bool lasting) {
    const ZEBGameStateElement held = m_guesses[index].getElement();
    m_guesses[index].receive(held, turn, thrust, lasting);
}

// What was drawn before the update fades into the new guess.
void ZEBRemoteMotion::corrected(int index, const ZEBGameStateElement& element, bool wasVisible,
                                const vector3& drawn, float drawnTurn) {
    Offset offset;
    offset.position = vector3(wrappedDifference(drawn.x - element.getPosition().x),
                              wrappedDifference(drawn.y - element.getPosition().y), 0.0f);
    offset.rotation = turnDifference(drawnTurn - element.getRotation());
    const bool jumped = std::hypot(offset.position.x, offset.position.y) > DRAW_SNAP_DISTANCE ||
                        std::fabs(offset.rotation) > DRAW_SNAP_TURN || !std::isfinite(offset.position.x) ||
                        !std::isfinite(offset.position.y);
    m_offsets[index] = (wasVisible && element.isVisible() && !jumped) ? offset : Offset();
}

void ZEBRemoteMotion::step(float dt) {
    float keep = std::exp(-dt / DRAW_BLEND_TIME);
    if (!(keep >= 0.0f && keep <= 1.0f)) // a step that is not a time
        keep = 0.0f;
    for (ZEBMotionGuess& guess : m_guesses)
        guess.step(dt);
    for (Offset& offset : m_offsets) {
        scale(&offset.position, keep, &offset.position);
        offset.rotation *= keep;
    }
}

vector3 ZEBRemoteMotion::drawnPosition(int index) const {
    vector3 drawn;
    ::add(&m_guesses[index].getElement().getPosition(), &m_offsets[index].position, &drawn);
    return drawn;
}

float ZEBRemoteMotion::drawnRotation(int index) const {
    return m_guesses[index].getElement().getRotation() + m_offsets[index].rotation;
}
