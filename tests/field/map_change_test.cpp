#include "field/map_change.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/keys.h"
#include "engine/task.h"
#include "field/encounter.h"
#include "field/map.h"
#include "field/walker.h"
#include "support/field_world.h"

namespace {

using test::Walker;

const MapChangeData* Change() {
  return TaskSlotInUse(kSlotMapChange) ? TaskData<MapChangeData>(&g_taskPool[kSlotMapChange]) : nullptr;
}

// How many tiles of the cover pattern the last frame drew in this colour.
int CoverQuads(uint32_t colour) {
  int n = 0;
  for (const plat::DrawRecord& r : plat::CurrentRecordingDevice()->lastFrame) {
    const bool pattern =
        r.screen[0].u == kAtlasCameraCover.left / 2048.0f && r.screen[0].v == kAtlasCameraCover.top / 2048.0f;
    if (r.kind == plat::DrawRecord::Kind::Screen && pattern && r.screen[0].colour == colour) ++n;
  }
  return n;
}

using MapChangeTest = test::FieldTest;

// A ward on a 12 by 3 map with encounters every 4 steps, the party on (1, 1).
class WardTest : public test::FieldTest {
 protected:
  void SetUp() override {
    Start(test::BuildMapPack({test::MapFloor(12, 3, 1, 4)}));
    ASSERT_TRUE(field_->Enter(0, 1, 1));
  }
  const EncounterWardData* Ward() {
    return TaskSlotInUse(kSlotEncounterWard) ? TaskData<EncounterWardData>(&g_taskPool[kSlotEncounterWard]) : nullptr;
  }
};

TEST_F(MapChangeTest, CoverRisesFor26FramesThePartyArrivesAndTheCoverFallsFor26) {
  Start(test::BuildMapPack({test::MapFloor(6, 4), test::MapFloor(8, 6, 1, 12)}));
  ASSERT_TRUE(field_->Enter(0, 1, 1));
  g_mapNumber = 1;
  ASSERT_EQ(MapChangeStart(5, 2, 90, 1, 0), 1);
  EXPECT_EQ(MapChangeStart(1, 1, 0, 1, 0), 0) << "one map change at a time";
  Game().Frames(1);
  EXPECT_EQ(CoverQuads(0x00FFFFFF), 300) << "the first frame is drawn before the first update";
  Game().Frames(24);
  EXPECT_EQ(Change()->alpha, 250);
  EXPECT_EQ(g_mapWidth, 6) << "the old map stands until the cover is full";
  Game().Frames(1);
  ASSERT_NE(Change(), nullptr);
  EXPECT_EQ(Change()->alpha, 255);
  EXPECT_EQ(g_mapWidth, 8);
  EXPECT_EQ(g_encounterCountdown, 12);
  for (int m = 0; m < 4; ++m) {
    const WalkerData* w = Walker(m);
    ASSERT_NE(w, nullptr);
    // Column 5 of 8, row 2 of 6; nothing moves under the cover.
    EXPECT_EQ(std::tuple(w->x, w->z, w->y, w->facing, g_taskPool[m].updateOn), std::tuple(3.0f, 1.0f, 0.2f, 90.0f, 0));
  }
  EXPECT_EQ(g_taskPool[kSlotCamera].updateOn, 1);
  EXPECT_EQ(g_taskPool[kSlotFieldView].updateOn, 0);
  Game().Frames(1);
  EXPECT_EQ(CoverQuads(0xFFFFFFFF), 300);
  Game().Frames(24);
  ASSERT_NE(Change(), nullptr);
  EXPECT_EQ(Change()->alpha, 5);
  Game().Frames(1);
  EXPECT_EQ(Change(), nullptr);
  for (int s = 0; s < kTaskSlotCount; ++s) {
    if (g_taskPool[s].inUse) {
      EXPECT_EQ(g_taskPool[s].updateOn, 1) << "slot " << s;
    }
  }
  Game().Hold(kKeyRight);
  Game().Frames(8);
  EXPECT_FLOAT_EQ(Walker(0)->x, 5.0f);
}

// A map the game cannot load (the loader's refusals are the map tests') ends at the
// title with "no data file", like a missing file.
TEST_F(MapChangeTest, RefusedMapFilesGoToTheTitleWithTheirBox) {
  const test::Bytes good = test::BuildMapPack({test::MapFloor(4, 3)});
  struct Case {
    const char* name;
    test::Bytes pack;
    int map;
  };
  const Case cases[] = {{"missing file", {}, 0}, {"map number 14", good, 14}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.pack);
    if (c.pack.empty()) std::filesystem::remove(field_->Dir() + "/mappack.dat");
    TaskKillAll();
    g_mapNumber = c.map;
    ASSERT_EQ(MapChangeStart(1, 1, 0, c.map, 0), 1);
    Game().Frames(26);
    ASSERT_EQ(Game().Boxes().size(), 1u);
    EXPECT_EQ(Game().Boxes()[0].text, "no data file");
    EXPECT_TRUE(TaskExists(kTaskIdTitle) && !TaskExists(kTaskIdWalker) && !TaskExists(kTaskIdMapChange));
    Game().Frames(30);
    EXPECT_EQ(Game().Boxes().size(), 1u);
    EXPECT_TRUE(Game().Running());
  }
}

TEST_F(MapChangeTest, FrozenPartyIgnoresTheKeysAfterTheChange) {
  Start(test::BuildMapPack({test::MapFloor(6, 4)}));
  TaskKillAll();
  ASSERT_EQ(MapChangeStart(1, 1, 270, 0, 1), 1);
  Game().Frames(52);
  ASSERT_EQ(Change(), nullptr);
  Game().Hold(kKeyRight);
  Game().Frames(16);
  for (int m = 0; m < 4; ++m) EXPECT_EQ(Walker(m)->state, WalkerStateFrozen);
  EXPECT_FLOAT_EQ(Walker(0)->x, -3.0f);
}

TEST_F(WardTest, CountsStepsAsTheyStartThenShowsItsNoticeAtRest) {
  ASSERT_EQ(EncounterWardStart(3), 1);
  Game().Hold(kKeyRight);
  Game().Frames(1);
  EXPECT_EQ(Ward()->stepsLeft, 2);
  Game().Frames(16);
  EXPECT_EQ(Ward()->stepsLeft, 0);
  EXPECT_EQ(Ward()->step, EncounterWardStepCount) << "the leader is still stepping";
  EXPECT_EQ(g_encounterCountdown, 4) << "the ward holds the countdown full";
  Game().Frames(7);
  EXPECT_EQ(Ward()->step, EncounterWardNoticeStep);
  EXPECT_EQ(g_taskPool[0].updateOn, 0);
  Game().Frames(10);
  EXPECT_FLOAT_EQ(Walker(0)->x, -11.0f + 2.0f * 4.0f) << "everything waits for the notice";
  Game().ReleaseAll();
  Game().Tap(kKeyZ);
  EXPECT_EQ(Ward(), nullptr);
  EXPECT_EQ(g_taskPool[0].updateOn, 1);
  Game().Hold(kKeyRight);
  Game().Frames(8);
  EXPECT_EQ(g_encounterCountdown, 3) << "the countdown runs again";
}

TEST_F(WardTest, ANewWardReplacesTheRunningOne) {
  ASSERT_EQ(EncounterWardStart(3), 1);
  Game().Hold(kKeyRight);
  Game().Frames(8);
  EXPECT_EQ(Ward()->stepsLeft, 2);
  ASSERT_EQ(EncounterWardStart(5), 1);
  Game().Frames(1);
  EXPECT_EQ(Ward()->stepsLeft, 4);
}

TEST_F(WardTest, EndsAtOnceWhenABattleRuns) {
  ASSERT_EQ(EncounterWardStart(3), 1);
  test::PlaceStandIn(kSlotBattle, kTaskIdBattle);
  Game().Frames(1);
  EXPECT_EQ(Ward(), nullptr);
}

TEST_F(WardTest, DrawsItsCountAndTheNoticeCentred) {
  ASSERT_EQ(EncounterWardStart(0), 1);
  Game().Frames(2);
  ASSERT_EQ(Ward()->step, EncounterWardNoticeStep);
  bool label = false, notice = false;
  for (const plat::DrawRecord& r : plat::CurrentRecordingDevice()->lastFrame) {
    if (r.kind != plat::DrawRecord::Kind::Screen) continue;
    label |= r.screen[0].x == 249.5f && r.screen[0].y == 3.5f;
    notice |= r.screen[0].x == 196.5f && r.screen[0].y == 199.5f && r.screen[1].x == 443.5f;
  }
  EXPECT_TRUE(label);
  EXPECT_TRUE(notice);
}

}  // namespace
