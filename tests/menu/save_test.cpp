#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>

#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "field/walker.h"
#include "menu/save_file.h"
#include "menu/save_screen.h"
#include "menu/save_support.h"
#include "platform/recording/audio_recording.h"
#include "platform/recording/file_faults.h"
#include "support/field_world.h"
#include "support/sprites.h"

namespace {

using test::AudioMark;
using test::Bytes;
using test::Plays;

SaveScreenData* Screen() {
  TaskSlot& s = g_taskPool[kSlotSaveLoad];
  return s.inUse && s.id == kTaskIdSaveLoad ? TaskData<SaveScreenData>(&s) : nullptr;
}

// Whether the last frame drew the picture with its top-left corner at (x, y).
bool DrewAt(const AtlasRect& src, float x, float y, uint32_t colour = kColourOpaque) {
  for (const test::Sprite& q : test::ScreenSprites(plat::CurrentRecordingDevice()->lastFrame)) {
    if (q.srcLeft == src.left && q.srcTop == src.top && q.x == x && q.y == y && q.colour == colour) return true;
  }
  return false;
}

// The game and the pool as they stand.
Bytes Snapshot() {
  Bytes s(sizeof g_game + sizeof(TaskSlot) * kTaskSlotCount);
  std::memcpy(s.data(), &g_game, sizeof g_game);
  std::memcpy(s.data() + sizeof g_game, g_taskPool, sizeof(TaskSlot) * kTaskSlotCount);
  return s;
}

// A 9 by 7 room, map 3, with event 1 on column 4, row 1; the party enters on column 2, row 5.
class SaveTest : public test::FieldTest {
 protected:
  void SetUp() override {
    const std::vector<std::string> rows = {"#########", "#...1...#", "#.......#", "#.......#",
                                           "#.......#", "#.......#", "#########"};
    Start(test::BuildMapPack({test::MapFromRows(rows, 0, 17)}));
    ASSERT_TRUE(field_->Enter(3, 2, 5));
    Game().Frames(1);
  }
  std::string File(int slot) { return field_->Dir() + "/" + SaveFileName(slot); }
  // Opens the screen over the field, picks the slot and answers yes.
  void SaveOrLoad(int32_t mode, int slot) {
    ASSERT_EQ(SaveScreenOpen(mode, 1), 1);
    Game().Frames(1);
    Answer(slot);
  }
  void Answer(int slot) {
    for (int key : std::vector<int>(static_cast<size_t>(slot), kKeyDown)) Game().Tap(key);
    for (int key : {kKeyEnter, kKeyDown, kKeyEnter}) Game().Tap(key);
  }
};

TEST_F(SaveTest, DamagedFilesAreRefusedAndTheGameIsUntouched) {
  using Edit = std::function<void(Bytes&)>;
  auto size = [](size_t n) { return Edit([n](Bytes& b) { b.resize(n); }); };
  auto word = [](size_t at, int32_t v) {
    return Edit([at, v](Bytes& b) { StoreU32(&b[at], static_cast<uint32_t>(v)); });
  };
  auto real = [](size_t at, float v) { return Edit([at, v](Bytes& b) { std::memcpy(&b[at], &v, 4); }); };
  // clang-format off
  const Edit edits[] = {
      size(0), size(411), size(416), size(1024), size(1632), size(2272), size(2319), size(2325),  // cut or long
      [](Bytes& b) { b.resize(1104), StoreU32(&b[412], 0); }, [](Bytes& b) { b.resize(2628), StoreU32(&b[412], 5); },
      word(0, 14), word(0, -1), word(8, -1), word(8, 10000000),                                   // map, money
      word(1632, 20), word(1632 + 44, 1), word(1632 + 48, 5), word(1632 + 4, 100),                // inventory
      word(416 + 152, 4), word(416 + 4, 38), word(416 + 72, 20), word(1024 + 76, 10000),          // rows
      [](Bytes& b) { std::memset(&b[1024 + 304 + 100], 'a', 40); },                               // unended name
      real(2272 + 12, NAN), real(2272 + 44, INFINITY), real(2272, 9.0f), real(2276, -7.0f),       // walkers
  };
  // clang-format on

  const Bytes good = SaveBuild();
  for (size_t i = 0; i < std::size(edits); ++i) {
    Bytes bad = good;
    edits[i](bad);
    ASSERT_TRUE(test::WriteFile(File(1), bad));
    const Bytes before = Snapshot();
    EXPECT_EQ(SaveRead(1), kSaveLoadRefused) << i;
    EXPECT_TRUE(Snapshot() == before && !test::SlotListed(1)) << i;
  }
  const size_t mark = AudioMark();
  SaveOrLoad(kSaveModeLoad, 1);
  EXPECT_TRUE(Screen()->step == SaveScreenNoDataWait && Plays(kSoundRefuse, mark) == 1);
  EXPECT_EQ(Screen()->slots.exists[1], 0) << "shown as an empty slot";
  EXPECT_TRUE(DrewAt(kAtlasSaveNoData, 182, 180));
}

TEST_F(SaveTest, AFailedWriteLeavesTheOldFileWhole) {
  ASSERT_EQ(SaveWrite(0), 1);
  const Bytes old = test::ReadFile(File(0));
  g_money = 777;
  using plat::FileStep;
  const std::pair<FileStep, int> faults[] = {{FileStep::Open, 0},  {FileStep::Write, 0}, {FileStep::Write, 2},
                                             {FileStep::Write, 4}, {FileStep::Fsync, 0}, {FileStep::Close, 0},
                                             {FileStep::Rename, 0}};
  for (const auto& [step, nth] : faults) {
    plat::FileFault fault(step, nth);
    EXPECT_EQ(SaveWrite(0), 0);
    EXPECT_TRUE(test::ReadFile(File(0)) == old && !std::filesystem::exists(File(0) + ".tmp")) << int(step) << nth;
  }
  {
    plat::FileFault shortWrites(FileStep::Write, 99);
    EXPECT_EQ(SaveWrite(0), 1);
  }
  EXPECT_EQ(test::ReadFile(File(0)), SaveBuild());

  plat::FileFault fault(FileStep::Rename);
  const size_t mark = AudioMark();
  SaveOrLoad(kSaveModeSave, 0);
  EXPECT_EQ(Screen()->step, SaveScreenWriteFailedWait);
  EXPECT_EQ(Plays(kSoundRefuse, mark) * 10 + Plays(kSoundSaved, mark), 10) << "refused, never saved";
  EXPECT_TRUE(DrewAt(kAtlasSaveFailed, 200, 180));
}

// A save the player made read-only stays as it is: the save is refused as a failed
// write is, and once the file may be written again the same save goes through.
TEST_F(SaveTest, AReadOnlySaveIsKeptAndTheSaveRefused) {
  namespace fs = std::filesystem;
  ASSERT_EQ(SaveWrite(2), 1);
  const Bytes old = test::ReadFile(File(2));
  const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
  fs::permissions(File(2), readOnly);
  g_money = 777;
  const size_t mark = AudioMark();
  SaveOrLoad(kSaveModeSave, 2);
  EXPECT_EQ(Screen()->step, SaveScreenWriteFailedWait);
  EXPECT_EQ(Plays(kSoundRefuse, mark) * 10 + Plays(kSoundSaved, mark), 10) << "refused, never saved";
  EXPECT_TRUE(test::ReadFile(File(2)) == old && fs::status(File(2)).permissions() == readOnly);
  EXPECT_FALSE(fs::exists(File(2) + ".tmp"));

  fs::permissions(File(2), fs::perms::owner_write, fs::perm_options::add);
  Game().Tap(kKeyEnter);
  for (int key : {kKeyEnter, kKeyDown, kKeyEnter}) Game().Tap(key);
  EXPECT_EQ(Screen()->step, SaveScreenSavedWait);
  EXPECT_EQ(test::ReadFile(File(2)), SaveBuild());
}

// A FIFO where a save, its temporary file or the slot's file stands is refused at once:
// the load says "no data", the save fails, and the FIFO is nobody's file to remove.
TEST_F(SaveTest, AFifoInPlaceOfASaveIsRefusedNeverWaitedOn) {
  ASSERT_EQ(SaveWrite(0), 1);
  const Bytes old = test::ReadFile(File(0));
  {
    test::FifoTrap fifo(File(1));
    ASSERT_TRUE(fifo.Made());
    EXPECT_EQ(test::SlotListed(1), 0);
    EXPECT_EQ(SaveRead(1), kSaveLoadRefused);
    const size_t mark = AudioMark();
    SaveOrLoad(kSaveModeLoad, 1);
    EXPECT_TRUE(Screen()->step == SaveScreenNoDataWait && Plays(kSoundRefuse, mark) == 1);
    EXPECT_EQ(Screen()->slots.exists[1], 0);
    EXPECT_FALSE(fifo.Waited()) << "save1.dat";
    Game().Tap(kKeyEnter);
    Game().Tap(kKeyEscape);
  }
  for (const std::string& path : {File(0) + ".tmp", File(3)}) {
    test::FifoTrap fifo(path);
    ASSERT_TRUE(fifo.Made());
    g_money = 555;
    const size_t mark = AudioMark();
    SaveOrLoad(kSaveModeSave, path == File(3) ? 3 : 0);
    EXPECT_TRUE(Screen()->step == SaveScreenWriteFailedWait && Plays(kSoundRefuse, mark) == 1) << path;
    EXPECT_EQ(test::ReadFile(File(0)), old) << path;
    EXPECT_TRUE(std::filesystem::is_fifo(path)) << path;
    EXPECT_FALSE(fifo.Waited()) << path;
    Game().Tap(kKeyEnter);
    Game().Tap(kKeyEscape);
  }
}

TEST_F(SaveTest, SavingIsRefusedOnAnEventCellOrWithoutTheParty) {
  for (int c = 0; c < 2; ++c) {
    ASSERT_TRUE(field_->Enter(3, c == 0 ? 4 : 2, 1));
    if (c == 1) TaskKillById(kTaskIdWalker), WalkerCreate(-3, 0.2f, 5, 0, 0, 0, nullptr);
    const size_t mark = AudioMark();
    SaveOrLoad(kSaveModeSave, 3);
    EXPECT_TRUE(Screen()->step == SaveScreenForbiddenWait && Plays(kSoundRefuse, mark) == 1);
    EXPECT_TRUE(DrewAt(kAtlasSaveForbidden, 192, 180));
    Game().Tap(kKeyEnter);
    EXPECT_EQ(Screen(), nullptr) << "the screen closes after the message";
    EXPECT_TRUE(g_taskPool[0].updateOn && !std::filesystem::exists(File(3)));
  }
  test::PlaceStandIn(kSlotSaveLoad, kTaskIdEvent);
  EXPECT_EQ(SaveScreenOpen(kSaveModeSave, 1), 0);
  EXPECT_EQ(g_taskPool[0].updateOn, 1) << "a screen that cannot open leaves nothing paused";
}

TEST_F(SaveTest, ALoadWhoseMapCannotBeReadEndsAtTheTitle) {
  for (const char* missing : {"mappack.dat", "epack.dat"}) {
    ASSERT_EQ(SaveWrite(4), 1);
    const std::string path = field_->Dir() + "/" + missing;
    const Bytes data = test::ReadFile(path);
    std::filesystem::remove(path);
    testing::internal::CaptureStderr();
    EXPECT_EQ(SaveRead(4), kSaveLoadNoMap);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "milva: " + std::string(missing) + ": No such file or directory\n");
    EXPECT_TRUE(!Game().Boxes().empty() && Game().Boxes().back().text == "no data file") << missing;
    EXPECT_TRUE(TaskExists(kTaskIdTitle) && !TaskExists(kTaskIdWalker)) << missing;
    test::WriteFile(path, data);
    ASSERT_TRUE(field_->Enter(3, 2, 5));
  }
}

}  // namespace
