// The moves between screens that the subsystems ask for but the game itself performs:
// returning to the title, loading a map with its scripts, a new game, handing the field
// to an event, opening the menus and the screens they lead to. The game fills this
// table at start-up (GameInstall); until then each entry is a harmless default (nothing
// opens), so a lower floor never needs to include a higher one.
#pragma once

#include <cstdint>

struct GameFlow {
  // Every task ends and the title screen opens.
  void (*returnToTitle)();
  // The record of g_mapNumber, its scripts and their placements. A map that cannot be
  // read shows "no data file" and ends at the title: 0.
  int (*loadMap)();
  // A fresh game state on map 0 with the field music.
  void (*newGame)();
  // The event task over the field; 1 when it started.
  int (*startEvent)(int32_t event);
  // The leader at rest found the encounter countdown run out; 1 when the frame was taken over.
  int (*startEncounter)();
  // Shift on the field: every task paused under the field menu; 1 when the menu opened.
  int (*openFieldMenu)();
  // The battle menu's end of the party's phase: the other side's phase begins.
  void (*battlePhaseToggle)();
};

extern GameFlow g_flow;
