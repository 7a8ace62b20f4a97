// The party menu: the hub of the party's screens over the paused field, six entries on
// two columns and three rows over the party panel. Also the centred yes/no box the
// party's screens share.
#pragma once

#include <cstdint>

#include "engine/rect.h"
#include "engine/task.h"

struct PartyMenuData;
using PartyMenuStep = void (*)(PartyMenuData* menu);

struct PartyMenuData {
  int32_t live;
  int32_t column;  // 0 or 1
  int32_t row;     // 0 to 2
  int32_t spare;
  int32_t choice;  // the close prompt's answer: 0 no, 1 yes
  PartyMenuStep step;
};

constexpr int32_t kPartyMenuColumns = 2;
constexpr int32_t kPartyMenuRows = 3;
enum PartyMenuEntry : int32_t {
  kPartyMenuClose = 0,
  kPartyMenuStatus = 1,
  kPartyMenuSkill = 2,
  kPartyMenuItem = 3,
  kPartyMenuOrder = 4,
  kPartyMenuOptions = 5,
};

// The menu in its slot; when it cannot open, every task resumes so the game never
// stands frozen. The screens it leads to call this when they end.
void PartyMenuOpen();
// 1 when created, 0 when its slot is busy.
int PartyMenuCreate();
void PartyMenuTaskUpdate(TaskSlot* slot);
void PartyMenuDraw(TaskSlot* slot);
void PartyMenuStepBegin(PartyMenuData* menu);
void PartyMenuInput(PartyMenuData* menu);
void PartyMenuClosePrompt(PartyMenuData* menu);
void PartyMenuClosePromptArm(PartyMenuData* menu);
void PartyMenuClosePromptInput(PartyMenuData* menu);
// The options screen over the field; it ends in the field, not here.
int OptionsOpenFromMenu(PartyMenuData* menu);
void DrawPartyMenu(const PartyMenuData& menu);

// A box, its question and two answers (no first), each centred on the screen, with the
// cursor on the chosen answer.
void DrawYesNoBox(float y, int32_t choice, const AtlasRect& boxRect, const AtlasRect& headingRect,
                  const AtlasRect answerRects[2]);
