// On the story's own maps and scripts: a file the game loads sets the party down where
// nothing moves it before the player does, so the loaded game can be saved again at
// once; a file whose map would run an event by itself first is refused, as is one whose
// leader stands on an event's cell. A save that fails says which file and why on
// standard error as well as on the screen.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/tasks.h"
#include "engine/keys.h"
#include "engine/task.h"
#include "field/walker.h"
#include "menu/save_file.h"
#include "menu/save_screen.h"
#include "menu/save_support.h"
#include "platform/bytes.h"
#include "platform/recording/file_faults.h"
#include "support/field_world.h"

namespace {

using test::Bytes;

constexpr int kVillage = 0;
constexpr int kPlain = 1;
constexpr int kWood = 3;
constexpr int kCastleUpper = 9;
// The village's opening runs while flag 1 is clear and ends with the party on its
// south road.
constexpr int kOpeningFlag = 1;
// The plain's first look walks the party two cells east as it comes out of the village;
// it runs while flag 3 is clear.
constexpr int kFirstLookFlag = 3;
struct Cell {
  int column, row;
};
constexpr Cell kAfterFirstLook = {12, 25};   // where the first look leaves the leader
constexpr Cell kBank = {39, 14};             // open grass with the river two cells east
constexpr Cell kRoadToTheVillage = {9, 25};  // event 1's cell
constexpr Cell kVillageArrival = {22, 32};   // where the opening leaves the leader

class SaveStoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    field_ = test::BuiltStoryGame();
    ASSERT_EQ(field_->StartResult(), 1);
    for (int flag : {1, 2, kFirstLookFlag}) g_eventFlags[flag] = 1;
    ASSERT_TRUE(field_->Enter(kPlain, kAfterFirstLook.column, kAfterFirstLook.row, 0.0f));
    Game().Frames(2);
    played_ = SaveBuild();
  }
  test::GameHarness& Game() { return field_->Game(); }
  std::string File(int slot) { return field_->Dir() + "/" + SaveFileName(slot); }
  static void Put(Bytes& file, int walker, Cell cell) {
    const float x = test::CentreX(cell.column), z = test::CentreZ(cell.row);
    const size_t at = SaveOffsetWalkers(4) + 12 * static_cast<size_t>(walker);
    std::memcpy(&file[at], &x, 4);
    std::memcpy(&file[at + 4], &z, 4);
  }
  std::unique_ptr<test::FieldGame> field_;
  Bytes played_;
};

TEST_F(SaveStoryTest, ALoadedGameStandsStillAndCanBeSavedAgainAtOnce) {
  struct Case {
    const char* what;
    bool firstLookDone;
    Cell leader, followers;
    bool loads;
    int map = kPlain;
  };
  const Case cases[] = {
      {"the party as the first look leaves it", true, kAfterFirstLook, {11, 25}, true},
      {"the followers on the river bank, the first look done", true, kAfterFirstLook, kBank, true},
      {"the followers on the river bank, the first look still to run", false, kAfterFirstLook, kBank, false},
      {"the whole party where the first look starts, still to run", false, {10, 25}, {10, 25}, false},
      {"the leader on the road back to the village", true, kRoadToTheVillage, {11, 25}, false},
      // Open ground without an event when an earlier release saved there.
      {"on the castle's upper floor beside the carpet", true, {15, 11}, {18, 11}, true, kCastleUpper},
      {"on the castle's upper floor at the carpet's head", true, {18, 10}, {15, 10}, true, kCastleUpper},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes file = played_;
    if (c.map != kPlain) {  // saved on that map by the game; such rows come last
      ASSERT_TRUE(field_->Enter(c.map, c.leader.column, c.leader.row, 90.0f));
      Game().Frames(2);
      file = SaveBuild();
    }
    StoreU32(&file[kSaveOffsetFlags + 4 * kFirstLookFlag], c.firstLookDone ? 1 : 0);
    Put(file, 0, c.leader);
    for (int walker = 1; walker < 4; ++walker) Put(file, walker, c.followers);
    ASSERT_TRUE(test::WriteFile(File(1), file));
    EXPECT_EQ(test::SlotListed(1), c.loads);
    ASSERT_EQ(SaveRead(1), c.loads ? kSaveLoadDone : kSaveLoadRefused);
    if (!c.loads) continue;
    Game().Frames(120);  // no key held: whatever the map does by itself has happened
    EXPECT_FALSE(TaskExists(kTaskIdEvent));
    EXPECT_EQ(test::Walker(1)->x, test::CentreX(c.followers.column));
    EXPECT_EQ(SaveWrite(2), 1);
    EXPECT_EQ(test::ReadFile(File(2)), file) << "saved again as it was loaded";
  }
}

// A file the game takes may come onto a map whose run-once event is still to run from
// another road than play ever takes: from the wood, one step south of its cell (22, 38),
// onto the plain before its first look, or from the plain back into the village before
// its opening. The event then leaves the party where its scene does from the usual
// road, never in the trees east of the wood's road, and a game that saves and loads.
TEST_F(SaveStoryTest, ARunOnceEventSetsThePartyDownWhereverItArrives) {
  const struct Case {
    const char* what;
    int flag, map;
    Cell from;
    float facing;
    int key, arrivesOn;
    Cell endsAt;
  } cases[] = {
      {"the plain's first look, from the wood",
       kFirstLookFlag,
       kWood,
       {22, 38},
       90.0f,
       kKeyDown,
       kPlain,
       kAfterFirstLook},
      {"the village's opening, from the plain",
       kOpeningFlag,
       kPlain,
       {10, 25},
       180.0f,
       kKeyLeft,
       kVillage,
       kVillageArrival},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_eventFlags[c.flag] = 0;
    ASSERT_TRUE(field_->Enter(c.map, c.from.column, c.from.row, c.facing));
    Game().Frames(2);
    ASSERT_TRUE(test::WriteFile(File(1), SaveBuild()));
    ASSERT_EQ(SaveRead(1), kSaveLoadDone);
    Game().Frames(2);
    Game().Tap(c.key, 0);
    ASSERT_TRUE(Game().RunUntil([&c] { return g_mapNumber == c.arrivesOn && TaskExists(kTaskIdEvent); }, 200));
    for (int i = 0; i < 300 && TaskExists(kTaskIdEvent); ++i) Game().Tap(kKeyEnter, 4);  // through its words
    ASSERT_FALSE(TaskExists(kTaskIdEvent));
    Game().Frames(60);
    EXPECT_EQ(test::Walker(0)->x, test::CentreX(c.endsAt.column));
    EXPECT_EQ(test::Walker(0)->z, test::CentreZ(c.endsAt.row));
    ASSERT_EQ(SaveWrite(2), 1);
    EXPECT_EQ(SaveRead(2), kSaveLoadDone);
    g_eventFlags[c.flag] = 1;
  }
}

// The line names the slot's file and what was wrong; the screen shows its own message.
TEST_F(SaveStoryTest, AFailedSaveSaysWhyOnStandardError) {
  namespace fs = std::filesystem;
  struct Case {
    const char* what;
    std::function<void()> before, after;
    std::string line;
  };
  std::unique_ptr<plat::FileFault> fault;
  const Case cases[] = {
      {"a disk that refuses the write", [&] { fault = std::make_unique<plat::FileFault>(plat::FileStep::Write); },
       [&] { fault.reset(); }, "milva: save0.dat: Input/output error\n"},
      {"a read-only file",
       [&] {
         test::WriteFile(File(0), played_);
         fs::permissions(File(0), fs::perms::owner_read);
       },
       [&] { fs::permissions(File(0), fs::perms::owner_write, fs::perm_options::add); },
       "milva: save0.dat: read-only: its permission forbids writing it\n"},
      {"a follower in the river",
       [&] { test::Walker(2)->x = test::CentreX(41), test::Walker(2)->z = test::CentreZ(14); }, [] {},
       "milva: save0.dat: a member stands in a wall or between cells, where no load could set it down\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(field_->Enter(kPlain, kAfterFirstLook.column, kAfterFirstLook.row, 0.0f));
    Game().Frames(2);
    c.before();
    ASSERT_EQ(SaveScreenOpen(kSaveModeSave, 1), 1);
    Game().Frames(1);
    testing::internal::CaptureStderr();
    for (int key : {kKeyEnter, kKeyDown, kKeyEnter}) Game().Tap(key);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.line);
    TaskSlot& screen = g_taskPool[kSlotSaveLoad];
    EXPECT_EQ(TaskData<SaveScreenData>(&screen)->step, SaveScreenWriteFailedWait);
    c.after();
  }
}

}  // namespace
