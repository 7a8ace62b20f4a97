// The game's table of task kinds: which id names each kind and which slot or slot range
// it lives in. Slot order is both update order and draw order, so these numbers are the
// screen's layers. The pool itself (engine/task.h) knows none of them; the camera, an
// engine task, brings its own and is listed here so the whole table is checked at once.
#pragma once

#include <cstdint>

#include "engine/camera.h"
#include "engine/task.h"

enum TaskId : int32_t {
  kTaskIdWalker = 1100,
  kTaskIdFieldView = 1200,
  kTaskIdBattleGridView = 1250,
  kTaskIdBattleCursor = 1300,
  kTaskIdBattleUnit = 1400,
  kTaskIdMapChange = 1500,
  kTaskIdEffect3D = 1600,
  kTaskIdPerson = 1800,
  kTaskIdTrigger = 1900,
  kTaskIdBlock = 2000,
  kTaskIdExamined = 2100,
  kTaskIdNotice = 2200,
  kTaskIdProjectile = 2300,
  kTaskIdLift = 2400,
  kTaskIdShop = 4800,
  kTaskIdInn = 4900,
  kTaskIdBattle = 5000,
  kTaskIdChoiceMenu = 5100,
  kTaskIdStatus = 5200,
  kTaskIdDamageDigits = 8000,
  kTaskIdPopupSprite = 8100,
  kTaskIdEncounterWard = 8200,
  kTaskIdDonation = 8300,
  kTaskIdTitle = 9000,
  kTaskIdOptions = 9100,
  kTaskIdNewGamePrompt = 9200,
  kTaskIdQuitPrompt = 9300,
  kTaskIdPartyMenu = 9410,
  kTaskIdEvent = 9500,
  kTaskIdSaveLoad = 9600,
  kTaskIdRunOnceEvent = 9700,
  kTaskIdFade = 9800,
  kTaskIdEndingRoll = 9900,
  kTaskIdGallery = 10000,
  kTaskIdPicture = 11000,
  kTaskIdModelViewer = 12000,
  kTaskIdPreviewScene = 12100,
  kTaskIdPartyOrder = 12200,
  kTaskIdSkillMenu = 12300,
  kTaskIdItemMenu = 12400,
  kTaskIdEncounterTransition = 12500,
};

// Fixed slots and slot ranges. A range is first .. end - 1.
enum TaskSlotNumber : int {
  kSlotWalkerFirst = 0,  // walkers 0 to 3, slot = member number
  kSlotLift = 5,
  kSlotFieldView = 6,
  kSlotBattleGridView = 7,
  kSlotObjectsFirst = 10,  // people, objects, units and 3D effects
  kSlotObjectsEnd = kTaskSceneEnd,
  kSlotScreensFirst = kTaskTagSearchEnd,  // screens and overlays are never found by tag
  kSlotEncounterWard = 401,
  kSlotBattle = 402,
  kSlotChoiceMenu = 404,
  kSlotPicture = 405,
  kSlotGallery = 406,
  kSlotModelViewer = 407,
  kSlotRunOnceEvent = 408,
  kSlotShop = 409,
  kSlotInn = 410,
  kSlotSaveLoad = 411,
  kSlotEvent = 412,
  kSlotPartyMenu = 413,
  kSlotStatus = 415,
  kSlotQuitPrompt = 416,
  kSlotNewGamePrompt = 417,
  kSlotOptions = 418,
  kSlotTitle = 419,
  kSlotEndingRoll = 420,
  kSlotPreviewScene = 421,
  kSlotMapChange = 422,
  kSlotNotice = 423,
  kSlotDonation = 424,
  kSlotPartyOrder = 425,
  kSlotSkillMenu = 426,
  kSlotItemMenu = 427,
  kSlotEncounterTransition = 428,
  kSlotEffectsFirst = kTaskEffectsFirst,  // popups: 440 to 497
  kSlotEffectsEnd = kTaskEffectsEnd,
  kSlotFade = 499,
};

// Pauses, hides or stops every live task but a running map change, which must finish
// its fade whatever screen opens over it.
inline void TaskSetModeAll(int mode) { TaskSetModeAllExcept(mode, kTaskIdMapChange); }

namespace task_table {

// One row a place in the pool: a fixed slot is a range of one.
struct Place {
  int first;
  int end;
};

inline constexpr Place kPlaces[] = {
    {kSlotWalkerFirst, kSlotWalkerFirst + 4},
    {kSlotLift, kSlotLift + 1},
    {kSlotFieldView, kSlotFieldView + 1},
    {kSlotBattleGridView, kSlotBattleGridView + 1},
    {kSlotObjectsFirst, kSlotObjectsEnd},
    {kSlotCamera, kSlotCamera + 1},
    {kSlotEncounterWard, kSlotEncounterWard + 1},
    {kSlotBattle, kSlotBattle + 1},
    {kSlotChoiceMenu, kSlotChoiceMenu + 1},
    {kSlotPicture, kSlotPicture + 1},
    {kSlotGallery, kSlotGallery + 1},
    {kSlotModelViewer, kSlotModelViewer + 1},
    {kSlotRunOnceEvent, kSlotRunOnceEvent + 1},
    {kSlotShop, kSlotShop + 1},
    {kSlotInn, kSlotInn + 1},
    {kSlotSaveLoad, kSlotSaveLoad + 1},
    {kSlotEvent, kSlotEvent + 1},
    {kSlotPartyMenu, kSlotPartyMenu + 1},
    {kSlotStatus, kSlotStatus + 1},
    {kSlotQuitPrompt, kSlotQuitPrompt + 1},
    {kSlotNewGamePrompt, kSlotNewGamePrompt + 1},
    {kSlotOptions, kSlotOptions + 1},
    {kSlotTitle, kSlotTitle + 1},
    {kSlotEndingRoll, kSlotEndingRoll + 1},
    {kSlotPreviewScene, kSlotPreviewScene + 1},
    {kSlotMapChange, kSlotMapChange + 1},
    {kSlotNotice, kSlotNotice + 1},
    {kSlotDonation, kSlotDonation + 1},
    {kSlotPartyOrder, kSlotPartyOrder + 1},
    {kSlotSkillMenu, kSlotSkillMenu + 1},
    {kSlotItemMenu, kSlotItemMenu + 1},
    {kSlotEncounterTransition, kSlotEncounterTransition + 1},
    {kSlotEffectsFirst, kSlotEffectsEnd},
    {kSlotFade, kSlotFade + 1},
};

constexpr bool PlacesFitAndNeverOverlap() {
  for (const Place& a : kPlaces) {
    if (a.first < 0 || a.end > kTaskSlotCount || a.first >= a.end) return false;
    for (const Place& b : kPlaces) {
      if (&a != &b && a.first < b.end && b.first < a.end) return false;
    }
  }
  return true;
}
static_assert(PlacesFitAndNeverOverlap(), "two kinds of task would share a slot");
// Tasks found by tag must lie below the search's end; screens must not.
static_assert(kSlotObjectsEnd <= kTaskTagSearchEnd && kSlotCamera < kTaskTagSearchEnd);
static_assert(kSlotEncounterWard > kTaskTagSearchEnd);

}  // namespace task_table
