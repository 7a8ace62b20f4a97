// The moves between screens that the subsystems ask for but the game itself performs:
// returning to the title, loading a map with its scripts, a new game, handing the field
// to an event, starting a battle, opening the field menu, ending the party's phase from
// the battle menu. The game fills this table at start-up (GameInstall); until then each
// entry is a harmless default, so a lower floor never needs to include a higher one.
#pragma once

#include <cstdint>

#include "data/battle_layout.h"

// One enemy of a scripted battle as its script names it: monster id and cell.
struct BattleEnemyOrder {
  int32_t monster;
  int32_t column;
  int32_t row;
};

// The enemies a script's battle command read, at most six.
struct EventBattleOrder {
  int32_t count;
  BattleEnemyOrder enemies[kBattleSideMax];
};

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
  // The field, already stopped, hands over to the encounter transition that leads into
  // a random battle; 0 when no battle could follow (the field then walks on).
  int (*startEncounter)();
  // A scripted battle over the running event, which stands stopped until it ends; 0
  // when refused (the script goes on at once).
  int (*startEventBattle)(const EventBattleOrder* order);
  // The encounter transition alone, as the lead-in to a scripted battle; 0 when refused.
  int (*startTransition)();
  // Shift on the field: every task paused under the field menu; 1 when the menu opened.
  int (*openFieldMenu)();
  // The battle menu's end of the party's phase: the other side's phase begins once every
  // unit has settled.
  void (*battleRequestPhaseEnd)();
};

extern GameFlow g_flow;
