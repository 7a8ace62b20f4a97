#include "event/donation.h"

#include <algorithm>

#include "data/game_state.h"
#include "data/money.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/keys.h"
#include "engine/sound.h"

namespace {

constexpr float kDialX = 100.0f;
constexpr float kDialY = 200.0f;
constexpr float kDigitPitch = 12.0f;
constexpr float kAskX = 40.0f;
constexpr float kAskY = 264.0f;

// Digits run round: past 9 to 0 and below 0 to 9.
void TurnDigit(DonationData* dial, int delta) {
  int8_t& digit = dial->digits[std::clamp(dial->position, 0, kDonationDigits - 1)];
  digit = static_cast<int8_t>((digit + delta + 10) % 10);
}

// The dial runs beside its event; the jump is only for that event, still running.
bool EventStillRuns(const EventContext* event) {
  return event && TaskSlotInUse(kSlotEvent) && g_taskPool[kSlotEvent].id == kTaskIdEvent &&
         TaskData<EventContext>(&g_taskPool[kSlotEvent]) == event;
}

void DrawDonationDial(float x, float y, const DonationData& dial) {
  DrawAtlas(x, y, kAtlasDonationDial);
  for (int i = 0; i < kDonationDigits; ++i) {
    DrawNumberSmall(x + 4.0f + kDigitPitch * static_cast<float>(i), y + 4.0f, dial.digits[i]);
  }
  const float digitX = x + 4.0f + kDigitPitch * static_cast<float>(dial.position);
  DrawAtlas(digitX - 6.0f, y + 4.0f - 14.0f, kAtlasDonationCursor);
  DrawAtlas(14.0f, 140.0f, kAtlasDonationCaption);
  DrawAtlas(14.0f, 227.0f, kAtlasDonationUnderline);
  DrawAtlas(14.0f, 234.0f, kAtlasDonationMoneyPanel);
  DrawAtlas(16.0f, 236.0f, kAtlasDonationMoneyLabel);
  DrawNumberSmall(102.0f, 237.0f, g_money);
}

void DrawDonationMoney(float x, float y, const DonationData& dial) {
  DrawVerticalMenu(x, y, dial.yesNo, 2, kColourOpaque, kAtlasSmallMenuWindow, kAtlasDonationTitle, kNoYesAnswers,
                   kTwoAnswerOrder);
}

}  // namespace

void EventCmdDonation(EventContext* context) { DonationCreate(context); }

int DonationCreate(EventContext* context) {
  TaskSlot* slot = TaskAllocAt(kSlotDonation);
  if (!slot) return 0;
  TaskStart(slot, kTaskIdDonation, 0, DonationUpdate, DonationDraw);
  DonationData* dial = TaskDataInit<DonationData>(slot);
  dial->live = 1;
  dial->position = kDonationDigits - 1;
  dial->event = context;
  dial->step = DonationBegin;
  dial->minimum = EventArgNumber(context);
  return 1;
}

void DonationUpdate(TaskSlot* slot) { TaskRunStep<DonationData>(slot); }

void DonationDraw(TaskSlot* slot) {
  const DonationData* dial = TaskData<DonationData>(slot);
  DrawDonationDial(kDialX, kDialY, *dial);
  if (dial->step == DonationConfirm) DrawDonationMoney(kAskX, kAskY, *dial);
}

void DonationBegin(DonationData* dial) { dial->step = DonationDial; }

void DonationDial(DonationData* dial) {
  if (KeyPressed(kKeyRight)) {
    dial->position = std::min(dial->position + 1, kDonationDigits - 1);
  } else if (KeyPressed(kKeyLeft)) {
    dial->position = std::max(dial->position - 1, 0);
  } else if (KeyPressed(kKeyDown)) {
    TurnDigit(dial, 1);
  } else if (KeyPressed(kKeyUp)) {
    TurnDigit(dial, -1);
  } else if (KeyConfirmPressed()) {
    dial->step = DonationConfirm;
  } else {
    return;
  }
  SoundRequest(kSoundCursor, 0);
}

void DonationConfirm(DonationData* dial) {
  if (KeyPressed(kKeyEscape)) {
    dial->step = DonationDial;
    return;
  }
  if (!MenuCursorVertical(&dial->yesNo, 2)) return;
  if (dial->yesNo == 0) {
    dial->step = DonationDial;
    return;
  }
  DonationCommit(dial);
  dial->live = 0;
}

// A refused offer costs nothing and says nothing: the script simply goes on after the dial.
void DonationCommit(DonationData* dial) {
  dial->offer = DigitsToNumber(dial->digits, kDonationDigits);
  if (dial->offer < dial->minimum || dial->offer > g_money) return;
  MoneySpend(dial->offer);
  if (EventStillRuns(dial->event)) {
    EventJumpToLabel(dial->event, EventScriptBase(dial->event), kDonationAcceptedLabel);
  }
}

int32_t DigitsToNumber(const int8_t* digits, int count) {
  int32_t n = 0;
  for (int i = 0; i < count; ++i) n = n * 10 + digits[i];
  return n;
}
