// The flow between screens, each move in one place: the composed map load, a new game,
// starting an event over the field, and the way back to the title. GameInstall hands
// these to the floors below through their hook tables.
#pragma once

#include <cstdint>

// The record of g_mapNumber, then the map's scripts and the objects they place;
// nothing is placed when the scripts could not be read. 1 or 0.
int MapLoad();
// MapLoad, or when the map cannot be read the "no data file" box and the title: 0.
int MapLoadOrTitle();
// Resets the whole game state and loads map 0 with the field music. A map that cannot
// be loaded shows "no data file" and goes back to the title.
void NewGameStart();
