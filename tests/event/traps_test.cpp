#include "event/traps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "event/event_test_support.h"
#include "event/party_commands.h"
#include "event/party_effects.h"
#include "field/walker.h"

namespace {

struct Cell {
  int column, row;
};

WalkerData* Walker(int member) { return TaskData<WalkerData>(&g_taskPool[member]); }
float X(Cell c) { return static_cast<float>(2 * c.column - g_mapWidth + 1); }
float Z(Cell c) { return static_cast<float>(g_mapHeight - 2 * c.row - 1); }
bool On(const TaskHead* head, Cell c) { return head->x == X(c) && head->z == Z(c); }

// A 10 x 6 floor under the heroes' walkers; each script sets flag 9 once past the command.
class TrapTest : public test::EventTest {
 protected:
  // Walkers 0 to 3 on the cells (the last for the rest), slot 5 taken if `busy`, then
  // `arrange`, then the first frame.
  void Run(const std::string& script, std::vector<Cell> cells, float facing, int members = 4, bool busy = false,
           const std::function<void()>& arrange = {}) {
    TaskKillAll();
    g_mapWidth = 10;
    g_mapHeight = 6;
    g_eventFlags[9] = 0;
    for (int i = 0; i < 4; ++i) g_party[i] = g_characterTable[i];
    g_partyCount = members;
    WalkerData* leader = nullptr;
    for (size_t m = 0; m < 4; ++m) {
      const Cell c = cells[std::min(m, cells.size() - 1)];
      leader = WalkerCreate(X(c), 0.2f, Z(c), facing, static_cast<int>(m), 0, leader);
    }
    if (busy) PlaceTask(kSlotLift, 777);
    if (arrange) arrange();
    SetScript(0, script + "#5,9,#99,");
    Start(1);
    Update();
  }
  bool Heard(int sound) const { return std::find(sounds_.begin(), sounds_.end(), sound) != sounds_.end(); }
  // Whether each built shape one draw pass shows glows (the world has no meshes of its
  // own: empty ones stand in for the pass).
  std::vector<bool> ShapesGlow() {
    constexpr int kShapes[] = {kMeshSmallSphere, kMeshLargeSphere, kMeshTorus};
    for (int shape : kShapes) g_meshes[shape].mesh = g_device->CreateMesh(plat::MeshData{});
    world_.recorder->current.clear();
    TaskPoolDrawAll();
    for (int shape : kShapes) g_meshes[shape] = MeshRecord{};
    std::vector<bool> glows;
    for (const plat::DrawRecord& r : world_.recorder->current) {
      if (r.kind == plat::DrawRecord::Kind::MeshSubset && r.format == plat::VertexFormat::WorldColoured) {
        glows.push_back(r.glow);
      }
    }
    return glows;
  }
  // Updates, each followed by `each`, until the script goes on; the update it did, or 0.
  template <class F>
  int UpdatesUntilDone(F each) {
    for (int i = 1; i < 400; ++i) {
      Update();
      each(i);
      if (g_eventFlags[9]) return i;
    }
    return 0;
  }
};

TEST_F(TrapTest, PitfallGathersAllFourHurtsTheMembersAndLandsThemOneByOneOnTheMap) {
  Run("#53,", {{4, 2}, {4, 3}, {4, 4}, {3, 4}}, 90.0f, 2);
  int falls = 0, rises = 0, bottom = 0, landed[4] = {};
  UpdatesUntilDone([&](int i) {
    EXPECT_TRUE(i > 1 || Walker(1)->facing == 135.0f) << "the others spin as they close in";
    falls += Heard(kSoundPitFall);
    rises += Heard(kSoundPitRise);
    if (!bottom && Context()->step == EventStepPitfallPause) {
      bottom = i;
      for (int m = 0; m < 4; ++m) EXPECT_TRUE(On(Walker(m), {4, 2}) && Walker(m)->y <= -3.0f) << m;
      EXPECT_EQ(g_party[0].hp, g_characterTable[0].hp - 10) << "the party is hurt at the bottom";
    }
    for (int m = 0; m < 4; ++m) landed[m] = !landed[m] && bottom && On(Walker(m), {4, 3}) ? i : landed[m];
  });
  EXPECT_EQ(bottom, 36) << "the farthest walks 24 quarters, then sinks 13";
  EXPECT_EQ(falls, 2) << "the fall's sound and number for each member";
  EXPECT_EQ(rises, 4);
  for (int m = 1; m < 4; ++m) EXPECT_EQ(landed[m] - landed[m - 1], kPitfallRiseGap) << m;
  for (int m = 0; m < 4; ++m)
    EXPECT_TRUE(On(Walker(m), {4, 3}) && Walker(m)->y == 0.25f && Walker(m)->facing == 270.0f);
  // Facing 45 the party jumps back toward 0; a landing off the map stays in the pit.
  const std::tuple<Cell, float, Cell> kPits[] = {
      {{4, 2}, 45.0f, {5, 2}}, {{4, 5}, 90.0f, {4, 5}}, {{0, 0}, 0.0f, {0, 0}}};
  for (const auto& [pit, facing, landing] : kPits) {
    g_collisionLayer[pit.row * g_mapWidth + pit.column] = kCollisionTaken;
    Run("#53,", {pit}, facing);
    UpdatesUntilDone([](int) {});
    EXPECT_EQ(g_collisionLayer[pit.row * g_mapWidth + pit.column], kCollisionFree) << "the pit is not left held";
    EXPECT_TRUE(On(Walker(3), landing)) << pit.column;
  }
}

TEST_F(TrapTest, ProjectileHitsTheFirstMembersWalkerItNearsOrEndsAtTheEdge) {
  // The leader stands on column 8, the others on a column of its row, member 1's place
  // maybe emptied; the update of the hit on the leader (0: none) and of going on.
  const struct Case {
    const char* script;
    int members, emptied, othersColumn, hitOn, doneOn;
  } kCases[] = {
      {"#54,2,2,0,", 4, 0, 9, 26, 77},  // six cells to the leader
      {"#54,2,0,90,", 4, 0, 9, 0, 22},  // at nobody: gone past the map's edge
      {"#54,5,2,0,", 1, 0, 6, 23, 74},  // walkers beyond the party are passed
      {"#54,5,2,0,", 2, 1, 6, 23, 74},  // and so is an emptied place
      {"#54,2,2,45,", 4, 0, 9, 0, 2},   // another direction fires nothing
      {"#54,10,2,0,", 4, 0, 9, 0, 2},   // nor a cell off the map
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.script);
    const int32_t hp = g_characterTable[0].hp;
    Run(c.script, {{8, 2}, {c.othersColumn, 2}}, 180.0f, c.members);
    if (c.emptied) g_party[1] = CharacterRecord{};
    int hitOn = 0;
    EXPECT_EQ(UpdatesUntilDone([&](int i) {
                // A stone, not a spell's light.
                if (i == 1 && TaskExists(kTaskIdProjectile)) {
                  EXPECT_EQ(ShapesGlow(), std::vector<bool>{false});
                }
                if (hitOn || g_party[0].hp == hp) return;
                hitOn = i;
                EXPECT_TRUE(g_party[0].hp == hp - 10 && Heard(kSoundLand) && TaskExists(kTaskIdDamageDigits));
              }),
              c.doneOn);
    EXPECT_EQ(hitOn, c.hitOn);
    EXPECT_EQ(CharacterRecordEmpty(g_party[1]), c.emptied != 0);
  }
}

// The leader stands on (4, 4), the others on (4, 5). Sixteen quarters toward 90 take
// them two cells in sixteen frames; what cannot be done makes nothing or moves nothing,
// and the script goes on.
TEST_F(TrapTest, LiftCarriesThePartyAQuarterAFrameAndRefusesWhatCannotBeDone) {
  const struct Case {  // slot 5 taken before, a lift made, where the leader ends
    const char* script;
    bool busy, made;
    Cell end;
    int doneOn;
  } kCases[] = {
      {"#55,4,4,28,26,#56,90,16,", false, true, {4, 2}, 18},
      {"#55,1,1,28,26,#56,45,16,", false, true, {1, 1}, 3},
      {"#55,9,1,28,26,#56,0,16,", false, true, {9, 1}, 3},
      {"#56,90,16,", false, false, {4, 4}, 2},
      {"#55,10,0,28,26,", false, false, {4, 4}, 1},
      {"#55,1,1,35,26,", false, false, {4, 4}, 1},
      {"#55,1,1,28,26,", true, false, {4, 4}, 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.script);
    Run(c.script, {{4, 4}, {4, 5}}, 90.0f, 4, c.busy);
    EXPECT_EQ(UpdatesUntilDone([&](int i) {
                EXPECT_TRUE(i != 17 || c.doneOn != 18 || !On(Walker(0), c.end)) << "the party follows a frame on";
              }),
              c.doneOn);
    EXPECT_EQ(TaskSlotInUse(kSlotLift) && g_taskPool[kSlotLift].id == kTaskIdLift, c.made);
    for (int m = 0; m < 4; ++m) EXPECT_TRUE(On(Walker(m), m == 0 || c.made ? c.end : Cell{4, 5})) << m;
  }
}

// Each script on a party of `members` whose walkers stand on (1, 5) to (4, 5), but for
// those without a bit in `walkers`, the object slots from `free` on taken: the most
// effects it shows at once (orbs start over (4, 2) at their angles and each falls on its
// member's walker with a damage number), the update on which it goes on, the sounds in
// the order first heard, and the hit points it leaves members who had `hp` (-1: the
// maximum, and so the magic points, 0 of 0 for the fighters, members 1 and 3). Those
// beyond the party are not touched. The orbs' command sounds once, whatever it made.
TEST_F(TrapTest, PartyEffectsShowAndAreAwaitedWhileOnlyTheirCommandsChangeThePartysPoints) {
  const struct Case {
    const char* script;
    int members, walkers, free, made, doneOn, hp, after;
    std::vector<int> sounds;
    float angles[4];
  } kCases[] = {
      {"#42,4,2,", 3, 15, 90, 3, 180, 5, 5, {2, 6, 1}, {0, 120, 240}},
      {"#42,4,2,", 4, 15, 90, 4, 190, 5, 5, {2, 6, 1}, {0, 90, 180, 270}},
      {"#42,4,2,", 4, 15, 2, 2, 170, 5, 5, {2, 6, 1}, {0, 90}},  // only the orbs that find a slot
      {"#42,4,2,", 4, 15, 0, 0, 2, 5, 5, {2}, {0, 90}},          // or none
      {"#26,4,2,", 4, 15, 90, 1, 1, 5, 5, {}, {}},               // the sparkle does not hold the script
      {"#26,4,2,#43,", 4, 0, 90, 1, 31, 5, 5, {}, {}},           // but a following wait waits for it
      {"#43,", 4, 0b1011, 90, 3, 61, 5, 5, {}, {}},              // no ring without a walker
      {"#42,10,2,#26,4,6,", 4, 15, 90, 0, 3, 5, 5, {2}, {}},     // cells off the map
      {"#45,", 3, 15, 90, 0, 1, 5, 1, {}, {}},
      {"#45,", 3, 15, 90, 0, 1, 0, 1, {}, {}},
      {"#44,", 3, 15, 90, 0, 1, 0, -1, {7}, {}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.script);
    Run(c.script, {{1, 5}, {2, 5}, {3, 5}, {4, 5}}, 90.0f, c.members, false, [&] {
      for (int m = 0; m < 4; ++m) g_party[m].hp = c.hp, g_party[m].mp = 0, g_taskPool[m].inUse = c.walkers >> m & 1;
      for (int s = kSlotObjectsFirst + c.free; s < kSlotObjectsEnd; ++s) PlaceTask(s, 777);
    });
    std::vector<int> heard = sounds_;
    int made = 0, orbsSounded = Heard(kSoundSkillStart);
    const int doneOn = UpdatesUntilDone([&](int i) {
      for (int s : sounds_) heard.insert(heard.end(), std::find(heard.begin(), heard.end(), s) == heard.end(), s);
      orbsSounded += Heard(kSoundSkillStart);
      int shown = 0;
      for (int m = 0; m < kSlotObjectsEnd - kSlotObjectsFirst; ++m) {
        TaskSlot& s = g_taskPool[kSlotObjectsFirst + m];
        const EffectData* e = s.inUse && s.id == kTaskIdEffect3D ? TaskData<EffectData>(&s) : nullptr;
        shown += e ? 1 : 0;
        if (!e || c.angles[1] == 0.0f || m >= c.made) continue;  // orbs only
        EXPECT_TRUE(i > 1 || (e->angle == c.angles[m] + 15.0f && On(e, {4, 2}))) << m;
        EXPECT_TRUE(e->shape != kMeshLargeSphere || (On(e, {m + 1, 5}) && TaskExists(kTaskIdDamageDigits))) << m;
      }
      made = std::max(made, shown);
      if (shown) {
        EXPECT_EQ(ShapesGlow(), std::vector<bool>(shown, true));
      }
    });
    EXPECT_TRUE(doneOn == c.doneOn && made == c.made && heard == c.sounds) << doneOn << " " << made;
    EXPECT_EQ(orbsSounded, std::string(c.script).starts_with("#42") ? 1 : 0);
    for (int m = 0; m < 4; ++m) {
      const CharacterRecord& r = g_party[m];
      const int32_t hp = m >= c.members ? c.hp : c.after < 0 ? r.maxHp : c.after;
      EXPECT_TRUE(r.hp == hp && r.mp == (m < c.members && c.after < 0 ? r.maxMp : 0)) << m;
    }
  }
}

}  // namespace
