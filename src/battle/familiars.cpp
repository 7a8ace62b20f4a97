#include "battle/familiars.h"

#include <algorithm>
#include <cstring>

#include "battle/actions.h"
#include "battle/cursor.h"
#include "battle/grid.h"
#include "battle/results.h"
#include "battle/skills.h"
#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/sound.h"
#include "field/walker.h"

namespace {

constexpr float kFormationRowZ[kFormationRows] = {-1.0f, -3.0f, -5.0f, -7.0f};
constexpr float kFormationPlaceX[kFormationPlaces] = {1.0f, 3.0f, -1.0f, 5.0f, -3.0f, 7.0f, -5.0f, 9.0f, -7.0f, -9.0f};
constexpr char kFamiliarName[] = "\x8e\x67\x82\xa2\x96\x82";  // 使い魔
constexpr int32_t kFamiliarModel = 33;
constexpr int32_t kFamiliarWeapon = 1;
constexpr int32_t kFamiliarArmour = 10;
constexpr float kAskX = 2.0f;
constexpr float kAskY = 94.0f;

int PartyRows() { return std::clamp<int32_t>(g_partyCount, 0, kPartyRows); }

// Footsteps go on without starting over each frame.
void Footsteps() { SoundRequest(kSoundFootsteps, 1); }

}  // namespace

void FormationSpot(int k, float* x, float* z) {
  *x = kFormationPlaceX[k % kFormationPlaces];
  *z = kFormationRowZ[(k / kFormationPlaces) % kFormationRows];
}

// Copies of the first fighter (the first member when there is none), at full hit points
// of its maximum and without magic.
void FamiliarRecordsCreate() {
  std::memset(g_familiars, 0, sizeof g_familiars);
  g_familiarCount = kPartyRows;
  int source = -1;
  for (int i = 0; i < PartyRows(); ++i) {
    if (!PartyMemberPresent(i)) continue;
    if (source < 0) source = i;
    if (g_party[i].characterClass == kClassFighter) {
      source = i;
      break;
    }
  }
  if (source < 0) source = 0;
  for (int i = 0; i < kPartyRows; ++i) {
    CharacterRecord& f = g_familiars[i];
    f = g_party[source];
    f.id = i;
    f.model = kFamiliarModel;
    f.characterClass = kClassFamiliar;
    std::memset(f.name, 0, sizeof f.name);
    std::memcpy(f.name, kFamiliarName, std::min(sizeof kFamiliarName, sizeof f.name - 1));
    f.namePicture = kAtlasNameFamiliar;
    f.hp = f.maxHp;
    f.mp = 0;
    f.maxMp = 0;
    f.status = 0;
    f.weapon = kFamiliarWeapon;
    f.armour = kFamiliarArmour;
    f.decision = kDecisionAttacker;
    f.experience = 0;
    f.money = 0;
  }
}

void SkillSummonFamiliars(UnitData* caster) {
  SkillPayMp(&caster->record, caster->skill);
  if (caster->skill != kSkillSummonFamiliars) return;
  caster->state = UnitStateIdle;
  FamiliarRecordsCreate();
  PartySwapOut();
}

void PartySwapOut() {
  PartyLeaveField();
  CursorSetState(CursorStateIdle);
  BattleSetPhase(kBattleSwapOut);
}

// A unit already sinking has fallen where it stood and does not walk off.
void PartyLeaveField() {
  ForEachUnit([](UnitData* u) {
    if (u->record.side != 0 || u->state == UnitStateSinkAndDie) return;
    u->moved = 0;
    u->acted = 0;
    u->state = UnitStateWalkOff;
  });
}

void BattleSetPhase(int32_t phase) {
  if (BattleData* battle = BattleFind()) battle->phase = phase;
}

void UnitStateWalkOff(UnitData* unit) {
  unit->facing = 270.0f;
  unit->z -= kWalkPerFrame;
  Footsteps();
  if (unit->z > kWalkOffEdgeZ) return;
  UnitStoreToParty(unit);
  unit->live = 0;
}

// The arrivals the walk-in waits for are the units actually created.
void BattleDeployOtherTeam(BattleData* battle) {
  if (battle->team == 1) {
    battle->arriving = BattleDeployTeam(g_party, PartyRows());
  } else {
    battle->arriving = BattleDeployTeam(g_familiars, std::clamp<int32_t>(g_familiarCount, 0, kPartyRows));
  }
  battle->team = 1 - battle->team;
  battle->phase = kBattleSwapIn;
}

int BattleDeployTeam(const CharacterRecord* records, int32_t count) {
  bool taken[kFormationSpots];
  for (int k = 0; k < kFormationSpots; ++k) {
    float x = 0, z = 0;
    FormationSpot(k, &x, &z);
    taken[k] = FormationSpotTaken(x, z) != 0;
  }
  int created = 0;
  for (int i = 0; i < count; ++i) {
    if (CharacterRecordEmpty(records[i])) continue;  // a place emptied for the reserve
    const bool* spot = std::find(taken, taken + kFormationSpots, false);
    if (spot == taken + kFormationSpots) break;
    const int k = static_cast<int>(spot - taken);
    taken[k] = true;
    float x = 0, z = 0;
    FormationSpot(k, &x, &z);
    created += UnitCreateWalkIn(records[i], x, kUnitHeight, kWalkInStartZ, 90.0f, x, z);
  }
  return created;
}

int FormationSpotTaken(float x, float z) {
  int taken = 0;
  ForEachUnit([&](const UnitData* u) {
    if (DistanceXZ(u->x, u->z, x, z) <= kFormationSpotReach) taken = 1;
  });
  return taken;
}

int UnitCreateWalkIn(const CharacterRecord& record, float x, float y, float z, float facing, float spotX, float spotZ) {
  UnitData* unit = UnitCreate(record, x, y, z, facing);
  if (!unit) return 0;
  unit->walkIn[0] = spotX;
  unit->walkIn[1] = y;
  unit->walkIn[2] = spotZ;
  unit->state = UnitStateWalkIn;
  return 1;
}

void UnitStateWalkIn(UnitData* unit) {
  unit->facing = 90.0f;
  unit->z += kWalkPerFrame;
  Footsteps();
  if (DistanceXZ(unit->x, unit->z, unit->walkIn[0], unit->walkIn[2]) > kWalkInArrival) return;
  unit->x = unit->walkIn[0];
  unit->y = unit->walkIn[1];
  unit->z = unit->walkIn[2];
  unit->state = UnitStateIdle;
}

// No cancel key: the first entry goes back to the commands.
void UnitStateDismissAsk(UnitData* unit) {
  if (!MenuCursorVertical(&unit->menuCursor, 2)) return;
  if (unit->menuCursor == 0) {
    unit->state = UnitStateCommandMenu;
    return;
  }
  unit->state = UnitStateIdle;
  PartySwapOut();
  GridClearRange();
}

void DrawDismissAsk(const UnitData* unit) {
  DrawVerticalMenu(kAskX, kAskY, unit->menuCursor, 2, kColourDisabled, kAtlasDismissWindow, kAtlasDismissTitle,
                   kBackConfirmAnswers, kTwoAnswerOrder);
}
