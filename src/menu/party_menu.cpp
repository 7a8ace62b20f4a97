#include "menu/party_menu.h"

#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "menu/item_menu.h"
#include "menu/menu_common.h"
#include "menu/options.h"
#include "menu/party_order.h"
#include "menu/party_panels.h"
#include "menu/skill_menu.h"
#include "menu/status_screen.h"

namespace {

constexpr float kPanelY = 300.0f;
constexpr float kClosePromptY = 120.0f;

// What each entry opens. The screens that step through the members need one.
struct Entry {
  int (*open)(PartyMenuData* menu);
  bool needsMembers;
  AtlasRect label;
};
const Entry kEntries[kPartyMenuColumns * kPartyMenuRows] = {
    {nullptr, false, kAtlasPartyMenuClose},       {StatusScreenOpenFromMenu, true, kAtlasPartyMenuStatus},
    {SkillMenuOpen, true, kAtlasPartyMenuSkill},  {ItemMenuOpenFromPartyMenu, false, kAtlasPartyMenuItem},
    {PartyOrderOpen, true, kAtlasPartyMenuOrder}, {OptionsOpenFromMenu, false, kAtlasPartyMenuOptions},
};

float LabelX(int32_t column) { return 20.0f + 120.0f * static_cast<float>(column); }
float LabelY(int32_t row) { return 8.0f + 32.0f * static_cast<float>(row); }

// The entry's work; the sound it ends with. An entry whose screen cannot open has
// already ended this menu, so the paused game resumes instead of standing frozen.
int RunEntry(PartyMenuData* menu, int32_t entry) {
  if (entry == kPartyMenuClose) {
    PartyMenuClosePrompt(menu);
    return kSoundCursor;
  }
  const Entry& e = kEntries[entry];
  if (e.needsMembers && PartySize() == 0) return kSoundRefuse;
  if (!e.open(menu)) TaskSetModeAll(kTaskModeRun);
  return kSoundCursor;
}

}  // namespace

void PartyMenuOpen() {
  if (!PartyMenuCreate()) TaskSetModeAll(kTaskModeRun);
}

int PartyMenuCreate() {
  TaskSlot* slot = TaskStart(TaskAllocAt(kSlotPartyMenu), kTaskIdPartyMenu, 0, PartyMenuTaskUpdate, PartyMenuDraw);
  if (!slot) return 0;
  PartyMenuData* menu = TaskDataInit<PartyMenuData>(slot);
  menu->live = 1;
  menu->step = PartyMenuStepBegin;
  return 1;
}

void PartyMenuTaskUpdate(TaskSlot* slot) { MenuTaskStep<PartyMenuData>(slot); }

void PartyMenuStepBegin(PartyMenuData* menu) {
  menu->column = 0;
  menu->row = 0;
  menu->spare = 0;
  menu->step = PartyMenuInput;
}

void PartyMenuInput(PartyMenuData* menu) {
  if (KeyPressed(kKeyEscape)) {
    menu->live = 0;
    MenuSound(kSoundCursor);
    TaskSetModeAll(kTaskModeRun);
    return;
  }
  int sound = kSoundCursor;
  if (KeyPressed(kKeyRight)) {
    menu->column = WrapStep(menu->column, 1, kPartyMenuColumns);
  } else if (KeyPressed(kKeyLeft)) {
    menu->column = WrapStep(menu->column, -1, kPartyMenuColumns);
  } else if (KeyPressed(kKeyDown)) {
    menu->row = WrapStep(menu->row, 1, kPartyMenuRows);
  } else if (KeyPressed(kKeyUp)) {
    menu->row = WrapStep(menu->row, -1, kPartyMenuRows);
  } else if (KeyConfirmPressed()) {
    sound = RunEntry(menu, menu->column + kPartyMenuColumns * menu->row);
  } else {
    return;
  }
  MenuSound(sound);
}

void PartyMenuClosePrompt(PartyMenuData* menu) {
  menu->choice = 0;
  menu->step = PartyMenuClosePromptArm;
}

// The frame after the confirm reads no keys; the prompt shows from the next one.
void PartyMenuClosePromptArm(PartyMenuData* menu) { menu->step = PartyMenuClosePromptInput; }

void PartyMenuClosePromptInput(PartyMenuData* menu) {
  if (KeyPressed(kKeyDown) || KeyPressed(kKeyRight)) {
    menu->choice = WrapStep(menu->choice, 1, 2);
  } else if (KeyPressed(kKeyUp) || KeyPressed(kKeyLeft)) {
    menu->choice = WrapStep(menu->choice, -1, 2);
  } else if (KeyConfirmPressed()) {
    if (menu->choice == 1) {
      menu->live = 0;
      TaskSetModeAll(kTaskModeRun);
    } else {
      menu->step = PartyMenuStepBegin;
    }
  } else {
    return;
  }
  MenuSound(kSoundCursor);
}

int OptionsOpenFromMenu(PartyMenuData* menu) {
  menu->live = 0;
  return OptionsOpen(1);
}

void PartyMenuDraw(TaskSlot* slot) {
  DrawPartyMenu(*TaskData<PartyMenuData>(slot));
  DrawPartyPanel(0.0f, kPanelY);
}

void DrawPartyMenu(const PartyMenuData& menu) {
  DrawAtlas(0.0f, 0.0f, kAtlasPartyMenuWindow);
  for (int32_t i = 0; i < kPartyMenuColumns * kPartyMenuRows; ++i) {
    DrawAtlas(LabelX(i % kPartyMenuColumns), LabelY(i / kPartyMenuColumns), kEntries[i].label);
  }
  DrawAtlas(LabelX(menu.column) - 16.0f, LabelY(menu.row) - 1.0f, kAtlasMenuCursor);
  if (menu.step == PartyMenuClosePromptInput) {
    DrawYesNoBox(kClosePromptY, menu.choice, kAtlasAskBox, kAtlasPartyMenuCloseHeading, kNoYesAnswers);
  }
}

void DrawYesNoBox(float y, int32_t choice, const AtlasRect& boxRect, const AtlasRect& headingRect,
                  const AtlasRect answerRects[2]) {
  const plat::Texture* atlas = g_atlasTexture.get();
  const float boxX = DrawSpriteCentred(boxRect, y, kAtlasSize, kAtlasSize, kColourOpaque, atlas);
  DrawSpriteCentred(headingRect, y + 4.0f, kAtlasSize, kAtlasSize, kColourOpaque, atlas);
  DrawSpriteCentred(answerRects[0], y + 30.0f, kAtlasSize, kAtlasSize, kColourOpaque, atlas);
  DrawSpriteCentred(answerRects[1], y + 60.0f, kAtlasSize, kAtlasSize, kColourOpaque, atlas);
  DrawAtlas(boxX + 8.0f, y + 1.0f + (choice == 1 ? 60.0f : 30.0f), kAtlasMenuCursor);
}
