#include "data/flow.h"

namespace {
void NoScreen() {}
int NoMap() { return 0; }
int NoEvent(int32_t) { return 0; }
int NoEncounter() { return 0; }
int NoEventBattle(const EventBattleOrder*) { return 0; }
int NoMenu() { return 0; }
}  // namespace

GameFlow g_flow{NoScreen, NoMap, NoScreen, NoEvent, NoEncounter, NoEventBattle, NoEncounter, NoMenu, NoScreen};
