// The small vertical menu that serves both the field (Shift) and the battle (the cursor
// task's Shift): each entry is an action code from one of six lists, and some actions
// put another list, a question, in the same window.
#pragma once

#include <cstdint>

#include "engine/rect.h"
#include "engine/task.h"

enum MenuAction : int32_t {
  kMenuActClose = 0,
  kMenuActNothing = 1,
  kMenuActParty = 2,
  kMenuActSave = 3,
  kMenuActLoad = 4,
  kMenuActFieldQuit = 5,
  kMenuActFieldQuitNo = 6,
  kMenuActFieldQuitYes = 7,
  kMenuActEndPhase = 8,
  kMenuActEndPhaseNo = 9,
  kMenuActEndPhaseYes = 10,
  kMenuActBattleQuit = 11,
  kMenuActBattleQuitNo = 12,
  kMenuActBattleQuitYes = 13,
  kMenuActEnemyPhaseNo = 14,
  kMenuActionCount = 15,
};

enum MenuListId : int {
  kMenuListFieldMain = 0,   // close, party, save, load, quit
  kMenuListFieldQuit = 1,   // no, yes (title)
  kMenuListBattleMain = 2,  // close, end the phase, quit
  kMenuListEndPhase = 3,    // no, yes (end the phase)
  kMenuListBattleQuit = 4,  // no, yes (title)
  kMenuListEnemyPhase = 5,  // no (close), yes (title): the enemy phase and auto-battle
  kMenuListCount = 6,
};

constexpr int kMenuListMax = 5;

// One action list with the window and heading it is shown in.
struct MenuActionList {
  int32_t count;
  int32_t actions[kMenuListMax];
  AtlasRect frame;
  AtlasRect title;
};

extern const MenuActionList g_menuActionLists[kMenuListCount];
// Entry pictures by action code; the answers of the questions share the no and yes ones.
extern const AtlasRect g_menuLabelRects[kMenuActionCount];

constexpr float kMenuX = 2.0f;
constexpr float kMenuY = 94.0f;

struct MenuData;
using MenuStep = void (*)(MenuData* menu);

struct MenuData {
  int32_t live;
  float x, y;
  int32_t count;
  int32_t cursor;
  const int32_t* actions;  // count codes, from g_menuActionLists or the opener's own
  AtlasRect frameRect;
  uint32_t colour;  // of the window's inside
  AtlasRect titleRect;
  MenuStep step;
  int32_t battleFlag;  // 0 opened on the field, 1 in a battle
};

// Shift on the field: every task paused, then the field menu. 0 (and the game running
// again) when it could not open.
int FieldMenuOpen();
// 1 when created; 0 when a menu exists, slot 404 is taken, or the list is empty or holds
// a code outside 0 to 14. The opener has paused the other tasks.
int MenuTaskCreate(float x, float y, int32_t count, int32_t battleFlag, const int32_t* actions, uint32_t colour,
                   const AtlasRect& frameRect, const AtlasRect& titleRect);
// MenuTaskCreate with one of the six lists, its window and heading, at the menu's place.
int MenuTaskCreateList(int list, int32_t battleFlag);
void MenuTaskUpdate(TaskSlot* slot);
void MenuTaskDraw(TaskSlot* slot);
void MenuSwitchList(MenuData* menu, int32_t count, const int32_t* actions, const AtlasRect& frameRect,
                    const AtlasRect& titleRect);
// Field: every task resumes. Battle: only the battle's own tasks, in their fixed order;
// the field's stay stopped and hidden.
void MenuClose(int32_t battleFlag);
void MenuStateStart(MenuData* menu);
// Down and Up move, Enter or Z runs the entry's action; no cancel key.
void MenuRunAction(MenuData* menu);
