#pragma once

#include "game/rules/zebmotionguess.h"

#include <vector>

// A correction of an element drawn by a player's copy fades over about this
// long instead of showing as a jump (three frames at 45 a second take it to a
// third); a correction larger than these is a move of its own (a new place, a
// wrap onto the other side) and is drawn at once.
constexpr float DRAW_BLEND_TIME = 0.06f;
constexpr float DRAW_SNAP_DISTANCE = 1.0f;
constexpr float DRAW_SNAP_TURN = 45.0f; // degrees

// Where a copy draws the elements it does not fly itself. The game state keeps
// every element as the host's updates and the movement step leave it; what is
// drawn is the guess of how the element goes on (ZEBMotionGuess), plus what is
// left of the corrections that updates brought, fading away.
class ZEBRemoteMotion {
  public:
    void clear();
    void add(const ZEBGameStateElement& element); // the next element, by id
    // An update was applied; wasVisible: the element was drawn before it.
    void received(int index, const ZEBGameStateElement& element, bool wasVisible);
    // The same, from an update that tells the controls the ship holds.
    void received(int index, const ZEBGameStateElement& element, bool wasVisible, int turn, bool thrust,
                  bool lasting = false);
    // The ship goes on from where the guess has it, now holding these controls.
    void controls(int index, int turn, bool thrust, bool lasting);
    void step(float dt);
    const ZEBGameStateElement& guessed(int index) const { return m_guesses[index].getElement(); }

    int getCount() const { return static_cast<int>(m_guesses.size()); }
    vector3 drawnPosition(int index) const;
    float drawnRotation(int index) const;

  private:
    void corrected(int index, const ZEBGameStateElement& element, bool wasVisible, const vector3& drawn,
                   float drawnTurn);
    struct Offset {
        vector3 position;
        float rotation = 0.0f;
    };

    std::vector<ZEBMotionGuess> m_guesses;
    std::vector<Offset> m_offsets; // drawn minus guessed
};
