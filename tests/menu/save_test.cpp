#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>

#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/camera.h"
#include "engine/draw2d.h"
#include "engine/keys.h"
#include "engine/settings.h"
#include "engine/sound.h"
#include "field/walker.h"
#include "menu/save_file.h"
#include "menu/save_screen.h"
#include "platform/recording/audio_recording.h"
#include "platform/recording/file_faults.h"
#include "support/field_world.h"
#include "support/sprites.h"

namespace {

using test::Bytes;

using test::AudioMark;
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

TEST_F(SaveTest, ANewGamesSaveHoldsEachFieldAtItsOffset) {
  const Bytes b = SaveBuild();
  ASSERT_EQ(b.size(), 2324u);
  const CharacterRecord& milva = g_characterTable[0];
  // clang-format off
  const int32_t words[][2] = {{0, 3}, {4, 20}, {412, 4}, {416 + 16, milva.level}, {416 + 72, milva.weapon},
                              {568, 1}, {1024 + 16, 0}, {1632, 13}, {1636, 4}, {1656, 3}, {1664, 9999}, {1668, 0}};
  // clang-format on
  for (const auto& [at, value] : words) EXPECT_EQ(ReadI32(&b[static_cast<size_t>(at)]), value) << at;
  EXPECT_EQ(ReadF32(&b[416 + 84]), 1404.0f) << "the name picture's left edge";
  EXPECT_EQ(std::memcmp(&b[416 + 100], milva.name, 40), 0);
  for (size_t at = 2272; at < 2320; at += 12) {  // column 2 of 9, row 5 of 7, facing 270
    EXPECT_TRUE(ReadF32(&b[at]) == -4.0f && ReadF32(&b[at + 4]) == -4.0f && ReadF32(&b[at + 8]) == 270.0f) << at;
  }
  EXPECT_EQ(ReadF32(&b[2320]), 60.0f) << "the camera's eye height";
  for (int32_t n : {2, 3, 4, 2, 3, 4}) {
    g_partyCount = n;
    if (n == 2) TaskKillById(kTaskIdCamera);  // the second round without a camera
    const Bytes c = SaveBuild();
    EXPECT_EQ(c.size(), 1104u + 304u * static_cast<unsigned>(n) + (TaskExists(kTaskIdCamera) ? 4u : 0u)) << n;
  }
}

// Saved over the field through the screen, loaded from the title's load entry.
TEST_F(SaveTest, AGameSavedAndLoadedAgainIsTheGameThatWasSaved) {
  g_money = 12345;
  g_eventFlags[7] = -3;
  g_partyCount = 3;
  g_partyReserve[2] = g_characterTable[3];
  g_inventory[50] = {19, 7};
  Game().Hold(kKeyRight);
  Game().Frames(8);
  Game().ReleaseAll();
  Game().Frames(1);
  test::Walker(2)->facing = 180.0f;
  GameState expected = g_game;
  expected.party[3] = CharacterRecord{};  // beyond the party: not saved, cleared by the load
  WalkerData walkers[4];
  for (int m = 0; m < 4; ++m) walkers[m] = *test::Walker(m);
  ASSERT_EQ(walkers[0].x, -2.0f) << "one cell east";

  size_t mark = AudioMark();
  SaveOrLoad(kSaveModeSave, 2);
  EXPECT_TRUE(Screen()->step == SaveScreenSavedWait && Plays(kSoundSaved, mark) == 1);
  EXPECT_EQ(Screen()->slots.exists[2] * Screen()->slots.level[2], 20) << "the list shows the new file at once";
  Game().Tap(kKeyEnter);
  Game().Tap(kKeyEscape);
  EXPECT_TRUE(Screen() == nullptr && g_taskPool[0].updateOn) << "the field runs again";

  g_money = 1;
  g_party[3].level = 99;
  g_partyReserve[3] = g_characterTable[1];
  g_familiars[0].level = expected.familiars[0].level = 77;
  g_settings.autoBattle = 1;
  LoadScreenOpenFromTitle();
  EXPECT_EQ(Screen()->fromField, 0);
  Game().Frames(1);
  mark = AudioMark();
  Answer(2);
  EXPECT_EQ(Screen(), nullptr);
  EXPECT_EQ(std::memcmp(&g_game, &expected, sizeof g_game), 0) << "money, flags, party, reserve, inventory, map";
  for (int m = 0; m < 4; ++m) {
    const WalkerData* w = test::Walker(m);
    EXPECT_TRUE(w && w->x == walkers[m].x && w->z == walkers[m].z && w->facing == walkers[m].facing && w->y == 0.25f);
  }
  const CameraData* camera = TaskData<CameraData>(TaskFindById(kTaskIdCamera));
  EXPECT_TRUE(camera->tag == kWalkerLeaderTag && camera->angle == 270.0f && TaskExists(kTaskIdFieldView));
  EXPECT_TRUE(g_encounterCountdown == 17 && g_settings.autoBattle == 0 && Plays(kMusicField, mark) == 1);
  Game().Frames(2);
  EXPECT_EQ(camera->at[0], walkers[0].x) << "the camera follows the leader";
}

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
      real(2272 + 12, NAN), real(2272 + 44, INFINITY), real(2272, 9.0f), real(2276, -7.5f),       // walkers
  };
  // clang-format on

  const Bytes good = SaveBuild();
  for (size_t i = 0; i < std::size(edits); ++i) {
    Bytes bad = good;
    edits[i](bad);
    ASSERT_TRUE(test::WriteFile(File(1), bad));
    const Bytes before = Snapshot();
    EXPECT_EQ(SaveRead(1), kSaveLoadRefused) << i;
    EXPECT_TRUE(Snapshot() == before && !SaveExists(1)) << i;
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

TEST_F(SaveTest, SlotListShowsDateTimePlaceAndLevel) {
  ASSERT_EQ(SaveWrite(0), 1);
  std::tm when{};
  when.tm_year = 126, when.tm_mon = 2, when.tm_mday = 7, when.tm_hour = 9, when.tm_min = 5, when.tm_isdst = -1;
  const timespec times[2] = {{std::mktime(&when), 0}, {std::mktime(&when), 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, File(0).c_str(), times, 0), 0);
  LoadScreenOpenFromTitle();
  Game().Frames(2);
  struct At {
    AtlasRect src;
    float x, y;
  };
  // clang-format off
  const At pictures[] = {
      {kAtlasDigitSmall1, 48, 143}, {kAtlasDigitSmall2, 64, 143}, {kAtlasDigitSmall0, 75, 143},
      {kAtlasDigitSmall6, 97, 143}, {kAtlasTimeYear, 108, 143}, {kAtlasDigitSmall3, 128, 143},
      {kAtlasTimeMonth, 139, 143}, {kAtlasDigitSmall7, 152, 143}, {kAtlasTimeDay, 163, 143},
      {kAtlasDigitSmall9, 177, 143}, {kAtlasTimeHour, 188, 143}, {kAtlasDigitSmall5, 208, 143},
      {kAtlasTimeMinute, 219, 143}, {kAtlasPlaceWhisperWood, 339, 143}, {kAtlasSaveLevelLabel, 512, 144},
      {kAtlasDigitSmall2, 554, 144}, {kAtlasSaveNoDataSlot, 64, 171}, {kAtlasPointerArrow, 4, 135},
      {kAtlasLoadHeading, 253, 90}, {kAtlasSaveHelp, 4, 4}, {kAtlasMenuTile, 608, 448},
  };
  // clang-format on
  for (const At& p : pictures) EXPECT_TRUE(DrewAt(p.src, p.x, p.y)) << p.x << ", " << p.y;
  EXPECT_TRUE(DrewAt(kAtlasSaveCursorBar, 42, 137, 0x64FFFFFF));
  Game().Tap(kKeyUp);
  EXPECT_TRUE(DrewAt(kAtlasSaveCursorBar, 42, 249, 0x64FFFFFF)) << "Up on slot 1 goes to slot 5";
  Game().Tap(kKeyEnter);
  EXPECT_TRUE(DrewAt(kAtlasLoadQuestion, 225, 166) && DrewAt(kAtlasMenuCursor, 218, 195)) << "asked, on no";
  Game().Tap(kKeyEnter);
  Game().Tap(kKeyEscape);
  EXPECT_TRUE(TaskExists(kTaskIdTitle) && Screen() == nullptr) << "Escape from the title's list: the title";
}

TEST_F(SaveTest, ALoadWhoseMapCannotBeReadEndsAtTheTitle) {
  for (const char* missing : {"mappack.dat", "epack.dat"}) {
    ASSERT_EQ(SaveWrite(4), 1);
    const std::string path = field_->Dir() + "/" + missing;
    const Bytes data = test::ReadFile(path);
    std::filesystem::remove(path);
    EXPECT_EQ(SaveRead(4), kSaveLoadNoMap);
    EXPECT_TRUE(!Game().Boxes().empty() && Game().Boxes().back().text == "no data file") << missing;
    EXPECT_TRUE(TaskExists(kTaskIdTitle) && !TaskExists(kTaskIdWalker)) << missing;
    test::WriteFile(path, data);
    ASSERT_TRUE(field_->Enter(3, 2, 5));
  }
}

}  // namespace
