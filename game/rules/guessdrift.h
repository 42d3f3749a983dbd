#pragma once

#include "game/rules/zebgamestateelement.h"

// How far a copy's guess of an element may drift before the side that knows
// the truth sends it: the host for what it sends the players, a player's copy
// for its own ship, which the host carries on between reports.
//
// The default window shows the 20 units of the play area on 700 pixels, 35
// pixels a unit: half a pixel is 0.0143 units. A ship's nose is 0.6 units from
// its centre: turned by 3.5 degrees it moves 0.037 units, a pixel; and one frame
// of turning at 45 frames a second (3.33 degrees) that reaches the host a frame
// late is not worth a correction. A
// speed that is off by 0.15 units a second takes a copy off by the position
// threshold within a tenth of a second, so it is sent before it shows.
constexpr float GUESS_POSITION_THRESHOLD = 0.0143f;
constexpr float GUESS_ROTATION_THRESHOLD = 3.5f; // degrees
constexpr float GUESS_VELOCITY_THRESHOLD = 0.15f;
// An update that tells of a ship's change of controls is sent once more this
// much later: a copy that lost the first is wrong for no longer (thrust takes
// it 0.03 units off in that time, turning 15 degrees).
constexpr float CONTROL_REPEAT_DELAY = 0.1f;

// True when a copy holding guess is further off the truth than a player can
// see; positions and turns compared the short way round.
bool isCompactGuessOff(const ZEBGameStateElement& guess, const ZEBGameStateElement& truth);
