#include "event/inn.h"

#include <algorithm>

#include "data/characters.h"
#include "data/game_state.h"
#include "data/money.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "event/fade.h"

namespace {

constexpr int32_t kFadeStep = 10;
constexpr int32_t kHoldFrames = 50;
constexpr float kMenuX = 2.0f;
constexpr float kMenuY = 240.0f;
constexpr float kNoMoneyY = 300.0f;

const AtlasRect kMenuLabels[] = {kAtlasInnLeave, kAtlasInnStay};
constexpr int32_t kMenuOrder[] = {kInnLeave, kInnStay};

// A framed line with its label and a number: the price at the top, the money below it.
void DrawAmountLine(float y, const AtlasRect& label, float numberY, int32_t amount) {
  DrawWindow(4.0f, y, kAtlasInnPriceWindow, kAtlasSize, kAtlasSize, kColourOpaque, g_atlasTexture.get());
  DrawAtlas(8.0f, y + 2.0f, label);
  DrawNumberSmall(84.0f, numberY, amount);
}

void DrawInnMenu(const InnData& inn) {
  DrawVerticalMenu(kMenuX, kMenuY, inn.choice, 2, kColourOpaque, kAtlasSmallMenuWindow, kAtlasInnTitle, kMenuLabels,
                   kMenuOrder);
  DrawAmountLine(2.0f, kAtlasInnPriceLabel, 5.0f, inn.price);
  DrawAmountLine(30.0f, kAtlasInnMoneyLabel, 34.0f, g_money);
}

void Stay(InnData* inn) {
  if (g_money < inn->price) {
    inn->step = InnNoMoneyWait;
    SoundRequest(kSoundRefuse, 0);
    return;
  }
  MoneySpend(inn->price);
  inn->alpha = 0;
  inn->step = InnFadeIn;
  InnRestoreParty();
}

}  // namespace

void EventCmdInn(EventContext* context) {
  const int32_t price = EventArgNumber(context);
  if (TaskExists(kTaskIdInn)) return;
  TaskSlot* slot = TaskAllocAt(kSlotInn);
  if (!slot) return;
  TaskStart(slot, kTaskIdInn, 0, InnUpdate, InnDraw);
  InnData* inn = TaskDataInit<InnData>(slot);
  inn->live = 1;
  inn->price = price;
  inn->step = InnBegin;
}

void InnUpdate(TaskSlot* slot) {
  TaskRunStep<InnData>(slot);
  if (!slot->inUse) TaskSetModeById(kTaskIdEvent, kTaskModeRun);
}

void InnDraw(TaskSlot* slot) {
  const InnData* inn = TaskData<InnData>(slot);
  if (inn->step == InnBegin || inn->step == InnAsk) {
    DrawInnMenu(*inn);
  } else if (inn->step == InnNoMoneyWait) {
    DrawSpriteCentred(kAtlasInnNoMoney, kNoMoneyY, kAtlasSize, kAtlasSize, kColourOpaque, g_atlasTexture.get());
  } else {
    DrawScreenCover(inn->alpha);
  }
}

void InnBegin(InnData* inn) {
  inn->choice = kInnLeave;
  inn->step = InnAsk;
}

void InnAsk(InnData* inn) {
  if (KeyPressed(kKeyEscape)) {
    inn->live = 0;
    return;
  }
  if (!MenuCursorVertical(&inn->choice, 2)) return;
  if (inn->choice == kInnStay) {
    Stay(inn);
  } else {
    inn->live = 0;
  }
}

void InnNoMoneyWait(InnData* inn) {
  if (KeyConfirmPressed()) inn->live = 0;
}

void InnFadeIn(InnData* inn) {
  inn->alpha += kFadeStep;
  if (inn->alpha < 256) return;
  inn->alpha = 255;
  inn->holdFrames = kHoldFrames;
  inn->step = InnFadeHold;
}

void InnFadeHold(InnData* inn) {
  if (--inn->holdFrames < 1) inn->step = InnFadeOut;
}

void InnFadeOut(InnData* inn) {
  inn->alpha -= kFadeStep;
  if (inn->alpha < 1) inn->live = 0;
}

void InnRestoreParty() {
  const int32_t count = std::clamp(g_partyCount, 0, kPartyRows);
  for (int32_t i = 0; i < count; ++i) {
    CharacterRecord& member = g_party[i];
    member.status = 0;
    member.hp = member.maxHp;
    if (member.characterClass == kClassCaster) member.mp = member.maxMp;
  }
}
