#pragma once

#include "game/windowed/hud/hudtext.h"

class ZEBGameStateCollector;

// The score table at the top left: a row a player in the table's order, in the
// colour of its ship, the own row marked and a sole leader named; under it the
// names of those who watch, and to a copy that watches, what its view shows
// (followed: the ship it follows, -1 for the whole field).
void drawScoreTable(const hudText& hud, const ZEBGameStateCollector& collector, bool watching, int followed);
