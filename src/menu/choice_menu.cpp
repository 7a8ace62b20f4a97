#include "menu/choice_menu.h"

#include "data/flow.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "menu/menu_common.h"
#include "menu/party_menu.h"
#include "menu/save_screen.h"
#include "menu/title.h"

const MenuActionList g_menuActionLists[kMenuListCount] = {
    {5,
     {kMenuActClose, kMenuActParty, kMenuActSave, kMenuActLoad, kMenuActFieldQuit},
     kAtlasMenuWindowTall,
     kAtlasMenuHeading},
    {2, {kMenuActFieldQuitNo, kMenuActFieldQuitYes}, kAtlasMenuWindowTwo, kAtlasMenuQuitHeading},
    {3, {kMenuActClose, kMenuActEndPhase, kMenuActBattleQuit}, kAtlasMenuWindowThree, kAtlasMenuHeading},
    {2, {kMenuActEndPhaseNo, kMenuActEndPhaseYes}, kAtlasMenuWindowTwo, kAtlasMenuEndPhaseHeading},
    {2, {kMenuActBattleQuitNo, kMenuActBattleQuitYes}, kAtlasMenuWindowTwo, kAtlasMenuQuitHeading},
    {2, {kMenuActEnemyPhaseNo, kMenuActBattleQuitYes}, kAtlasMenuWindowTwo, kAtlasMenuQuitHeading},
};

const AtlasRect g_menuLabelRects[kMenuActionCount] = {
    kAtlasMenuClose,     // close
    kAtlasMenuStatus,    // the spare entry, in no list
    kAtlasMenuParty,     // party
    kAtlasMenuSave,      // save
    kAtlasMenuLoad,      // load
    kAtlasMenuQuit,      // back to the title (field)
    kAtlasAnswerNo,      // no: the field's list again
    kAtlasAnswerYes,     // yes: the title
    kAtlasMenuEndPhase,  // end the party's phase
    kAtlasAnswerNo,      // no: the battle's list again
    kAtlasAnswerYes,     // yes: end the phase
    kAtlasMenuQuit,      // back to the title (battle)
    kAtlasAnswerNo,      // no: the battle's list again
    kAtlasAnswerYes,     // yes: the title
    kAtlasAnswerNo,      // no: close (the enemies' phase, auto-battle)
};

namespace {

// The battle's own tasks, resumed in this order when its menu closes.
constexpr int32_t kBattleTaskIds[] = {kTaskIdBattleCursor, kTaskIdBattleUnit,   kTaskIdBattle,
                                      kTaskIdPopupSprite,  kTaskIdDamageDigits, kTaskIdEffect3D};

bool ActionsValid(int32_t count, const int32_t* actions) {
  if (count < 1 || !actions) return false;
  for (int32_t i = 0; i < count; ++i) {
    if (actions[i] < 0 || actions[i] >= kMenuActionCount) return false;
  }
  return true;
}

void SwitchTo(MenuData* menu, int list) {
  const MenuActionList& l = g_menuActionLists[list];
  MenuSwitchList(menu, l.count, l.actions, l.frame, l.title);
}

// Hands the paused game to the save screen, which lets it run again when it cannot open.
void OpenSaveScreen(MenuData* menu, int32_t mode) {
  menu->live = 0;
  SaveScreenOpen(mode, 1);
}

}  // namespace

int FieldMenuOpen() {
  TaskSetModeAll(kTaskModePause);
  if (MenuTaskCreateList(kMenuListFieldMain, 0)) return 1;
  TaskSetModeAll(kTaskModeRun);
  return 0;
}

int MenuTaskCreate(float x, float y, int32_t count, int32_t battleFlag, const int32_t* actions, uint32_t colour,
                   const AtlasRect& frameRect, const AtlasRect& titleRect) {
  if (TaskExists(kTaskIdChoiceMenu) || !ActionsValid(count, actions)) return 0;
  TaskSlot* slot = TaskStart(TaskAllocAt(kSlotChoiceMenu), kTaskIdChoiceMenu, 0, MenuTaskUpdate, MenuTaskDraw);
  if (!slot) return 0;
  MenuData* menu = TaskDataInit<MenuData>(slot);
  menu->live = 1;
  menu->x = x;
  menu->y = y;
  menu->count = count;
  menu->cursor = 0;
  menu->actions = actions;
  menu->frameRect = frameRect;
  menu->colour = colour;
  menu->titleRect = titleRect;
  menu->step = MenuStateStart;
  menu->battleFlag = battleFlag;
  return 1;
}

int MenuTaskCreateList(int list, int32_t battleFlag) {
  if (list < 0 || list >= kMenuListCount) return 0;
  const MenuActionList& l = g_menuActionLists[list];
  return MenuTaskCreate(kMenuX, kMenuY, l.count, battleFlag, l.actions, kColourDisabled, l.frame, l.title);
}

void MenuTaskUpdate(TaskSlot* slot) { MenuTaskStep<MenuData>(slot); }

void MenuTaskDraw(TaskSlot* slot) {
  const MenuData* menu = TaskData<MenuData>(slot);
  DrawVerticalMenu(menu->x, menu->y, menu->cursor, menu->count, menu->colour, menu->frameRect, menu->titleRect,
                   g_menuLabelRects, menu->actions);
}

void MenuSwitchList(MenuData* menu, int32_t count, const int32_t* actions, const AtlasRect& frameRect,
                    const AtlasRect& titleRect) {
  menu->count = count;
  menu->actions = actions;
  menu->frameRect = frameRect;
  menu->titleRect = titleRect;
  menu->cursor = 0;
}

void MenuClose(int32_t battleFlag) {
  if (battleFlag == 0) {
    TaskSetModeAll(kTaskModeRun);
    return;
  }
  for (int32_t id : kBattleTaskIds) TaskSetModeById(id, kTaskModeRun);
}

// The frame that opens the menu reads no keys.
void MenuStateStart(MenuData* menu) { menu->step = MenuRunAction; }

void MenuRunAction(MenuData* menu) {
  if (!MenuCursorVertical(&menu->cursor, menu->count)) return;
  switch (menu->actions[menu->cursor]) {
    case kMenuActClose:
    case kMenuActEnemyPhaseNo:
      menu->live = 0;
      MenuClose(menu->battleFlag);
      break;
    case kMenuActParty:
      menu->live = 0;
      PartyMenuOpen();
      break;
    case kMenuActSave: OpenSaveScreen(menu, kSaveModeSave); break;
    case kMenuActLoad: OpenSaveScreen(menu, kSaveModeLoad); break;
    case kMenuActFieldQuit: SwitchTo(menu, kMenuListFieldQuit); break;
    case kMenuActFieldQuitNo: SwitchTo(menu, kMenuListFieldMain); break;
    case kMenuActFieldQuitYes:
    case kMenuActBattleQuitYes:
      TitleReturn();  // every task ends, this one too: nothing of it is touched again
      return;
    case kMenuActEndPhase: SwitchTo(menu, kMenuListEndPhase); break;
    case kMenuActEndPhaseNo:
    case kMenuActBattleQuitNo: SwitchTo(menu, kMenuListBattleMain); break;
    case kMenuActEndPhaseYes:
      menu->live = 0;
      MenuClose(menu->battleFlag);
      g_flow.battleRequestPhaseEnd();
      break;
    case kMenuActBattleQuit: SwitchTo(menu, kMenuListBattleQuit); break;
    default: break;  // the spare entry does nothing
  }
}
