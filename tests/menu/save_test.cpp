#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>

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
#include "menu/save_support.h"
#include "platform/recording/audio_recording.h"
#include "platform/recording/file_faults.h"
#include "support/field_world.h"
#include "support/sprites.h"

namespace {

using test::AudioMark;
using test::Bytes;
using test::CentreX;
using test::CentreZ;
using test::LastMusic;
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
  // Three cells east and one north by keys: the leader ends on (5, 4) facing north, the
  // others trail it on (5, 5), (4, 5) and (3, 5) facing east.
  void Walk() {
    Game().Hold(kKeyRight);
    Game().Frames(24);
    Game().ReleaseAll();
    Game().Hold(kKeyUp);
    Game().Frames(8);
    Game().ReleaseAll();
    Game().Frames(2);
  }
  static constexpr int kWalkedCells[4][2] = {{5, 4}, {5, 5}, {4, 5}, {3, 5}};
  static constexpr float kWalkedFacings[4] = {90.0f, 0.0f, 0.0f, 0.0f};
};

// A save through the screen writes every field from its own value: the heroine stands
// second in the party (the header's level is hers), a reserve row and inventory slots hold
// what they were given, and each walker's place and facing are where the keys left it.
TEST_F(SaveTest, EachFieldOfTheFileIsWrittenFromItsOwnValue) {
  g_money = 12345;
  g_eventFlags[0] = 5;
  g_eventFlags[99] = -7;
  g_party[0] = g_characterTable[1];
  g_party[1] = test::GrownTo(0, 33);
  g_party[1].experience = 43;
  g_partyReserve[3] = test::GrownTo(2, 44);
  g_inventory[0] = {13, 4};
  g_inventory[5] = {11, 99};
  g_inventory[79] = {19, 7};
  Walk();
  SaveOrLoad(kSaveModeSave, 2);
  ASSERT_EQ(Screen()->step, SaveScreenSavedWait);
  const Bytes b = test::ReadFile(File(2));
  ASSERT_EQ(b.size(), 2324u);
  const auto word = [&b](size_t at) { return ReadI32(&b[at]); };
  const auto real = [&b](size_t at) { return ReadF32(&b[at]); };
  // clang-format off
  const struct {
    size_t at;
    int32_t value;
    const char* what;
  } kWords[] = {
      {0, 3, "map"},                   {4, 33, "header level: the heroine's"},  {8, 12345, "money"},
      {12, 5, "flag 0"},               {12 + 4 * 99, -7, "flag 99"},          {412, 4, "party count"},
      {416, 1, "row 0's id"},          {416 + 152, 0, "row 1's id"},          {416 + 152 + 16, 33, "row 1's level"},
      {416 + 152 + 72, 3, "row 1's weapon"}, {416 + 152 + 140, 43, "row 1's experience"},
      {1024 + 3 * 152, 2, "reserve row 3's id"},
      {1024 + 3 * 152 + 16, 44, "reserve row 3's level"},
      {1632, 13, "slot 0's item"},     {1636, 4, "slot 0's count"},           {1672, 11, "slot 5's item"},
      {1676, 99, "slot 5's count"},    {1680, 9999, "slot 6: empty"},         {1684, 0, "slot 6's count"},
      {2264, 19, "slot 79's item"},    {2268, 7, "slot 79's count"},
  };
  // clang-format on
  for (const auto& w : kWords) EXPECT_EQ(word(w.at), w.value) << w.what << " at " << w.at;
  EXPECT_EQ(real(416 + 152 + 84), g_characterTable[0].namePicture.left) << "row 1's name picture";
  EXPECT_STREQ(reinterpret_cast<const char*>(&b[416 + 152 + 100]), g_characterTable[0].name) << "row 1's name";
  for (int m = 0; m < 4; ++m) {
    const size_t at = 2272 + 12 * static_cast<size_t>(m);
    EXPECT_EQ(real(at), CentreX(kWalkedCells[m][0])) << "walker " << m << "'s x";
    EXPECT_EQ(real(at + 4), CentreZ(kWalkedCells[m][1])) << "walker " << m << "'s z";
    EXPECT_EQ(real(at + 8), kWalkedFacings[m]) << "walker " << m << "'s facing";
  }
  EXPECT_EQ(real(2320), 60.0f) << "the camera's eye height";
}

// The header's level is the first party member's with the heroine's id, from the rows of
// the party only; 0 when she is not among them.
TEST_F(SaveTest, TheHeaderLevelIsTheHeroinesFromThePartysRows) {
  const struct {
    int32_t ids[4], count, level, header;
  } kCases[] = {{{1, 0, 2, 3}, 4, 33, 33}, {{2, 3, 0, 1}, 4, 28, 28}, {{1, 2, 3, 0}, 3, 33, 0},
                {{0, 1, 2, 3}, 4, 20, 20}, {{1, 2, 3, 3}, 4, 29, 0},  {{3, 0, 0, 1}, 4, 32, 32}};
  for (const auto& c : kCases) {
    for (int i = 0; i < 4; ++i) {
      g_party[i] = test::GrownTo(c.ids[i], c.ids[i] == 0 && (i == 0 || c.ids[i - 1] != 0) ? c.level : 50);
    }
    g_partyCount = c.count;
    ASSERT_EQ(SaveWrite(0), 1);
    EXPECT_EQ(ReadI32(&test::ReadFile(File(0))[4]), c.header) << c.ids[0] << c.ids[1] << c.ids[2] << c.ids[3];
  }
}

// Saved over the field through the screen, loaded from the title's load entry: the game is
// the one saved, the walkers stand where they stood, and what the file does not hold is set
// as a load sets it.
TEST_F(SaveTest, AGameSavedAndLoadedAgainIsTheGameThatWasSaved) {
  g_money = 12345;
  g_eventFlags[7] = -3;
  g_partyCount = 3;
  g_party[1] = test::GrownTo(g_party[1].id, 21);
  g_partyReserve[0] = g_characterTable[3];
  g_partyReserve[2] = g_characterTable[1];
  g_inventory[50] = {19, 7};
  Walk();
  GameState expected = g_game;
  expected.party[3] = CharacterRecord{};  // beyond the party: not saved, cleared by the load
  expected.partyReserve[3] = CharacterRecord{};

  size_t mark = AudioMark();
  SaveOrLoad(kSaveModeSave, 2);
  EXPECT_TRUE(Screen()->step == SaveScreenSavedWait && Plays(kSoundSaved, mark) == 1);
  Game().Tap(kKeyEnter);
  Game().Tap(kKeyEscape);
  EXPECT_TRUE(Screen() == nullptr && g_taskPool[0].updateOn) << "the field runs again";

  g_money = 1;
  g_mapNumber = 0;
  g_eventFlags[7] = 0;
  g_party[1].level = 99;
  g_party[3].level = 99;
  g_partyReserve[0] = g_characterTable[0];
  g_partyReserve[3] = g_characterTable[1];
  g_inventory[50] = {13, 1};
  g_familiars[0].level = expected.familiars[0].level = 77;
  g_settings.autoBattle = 1;
  g_encounterCountdown = 2;
  LoadScreenOpenFromTitle();
  EXPECT_EQ(Screen()->fromField, 0);
  Game().Frames(1);
  mark = AudioMark();
  Answer(2);
  EXPECT_EQ(Screen(), nullptr);
  expected.encounterCountdown = 17;  // the loaded map's interval
  EXPECT_EQ(std::memcmp(&g_game, &expected, sizeof g_game), 0) << "money, flags, party, reserve, inventory, map";
  EXPECT_EQ(g_money, 12345);
  EXPECT_EQ(g_party[1].level, 21);
  EXPECT_EQ(g_partyReserve[0].id, 3);
  EXPECT_EQ(g_encounterCountdown, 17);
  for (int m = 0; m < 4; ++m) {
    const WalkerData* w = test::Walker(m);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->x, CentreX(kWalkedCells[m][0])) << m;
    EXPECT_EQ(w->z, CentreZ(kWalkedCells[m][1])) << m;
    EXPECT_EQ(w->facing, kWalkedFacings[m]) << m;
    EXPECT_EQ(w->y, 0.25f) << m;
  }
  const CameraData* camera = TaskData<CameraData>(TaskFindById(kTaskIdCamera));
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(camera->tag, kWalkerLeaderTag);
  EXPECT_EQ(camera->angle, 270.0f);
  EXPECT_TRUE(TaskExists(kTaskIdFieldView));
  EXPECT_EQ(g_settings.autoBattle, 0);
  EXPECT_EQ(LastMusic(mark), kMusicField);
  Game().Frames(2);
  EXPECT_EQ(camera->at[0], CentreX(kWalkedCells[0][0])) << "the camera follows the leader";
  EXPECT_EQ(camera->at[2], CentreZ(kWalkedCells[0][1]));
}

// The list shows each file's date and time, place and level; a save shows in it at once.
TEST_F(SaveTest, TheSlotListShowsDateTimePlaceAndLevelAndANewSaveAtOnce) {
  g_party[0] = test::GrownTo(g_party[0].id, 20);
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

  // Saved over the field on slot 3 with the heroine second at level 47: its line fills
  // in at once with her level.
  ASSERT_TRUE(field_->Enter(3, 2, 5));
  g_party[0] = g_characterTable[1];
  g_party[1] = test::GrownTo(0, 47);
  SaveOrLoad(kSaveModeSave, 2);
  ASSERT_EQ(Screen()->step, SaveScreenSavedWait);
  Game().Frames(1);
  const float line = 143 + 2 * 28;
  EXPECT_TRUE(DrewAt(kAtlasPlaceWhisperWood, 339, line) && DrewAt(kAtlasSaveLevelLabel, 512, line + 1));
  EXPECT_TRUE(DrewAt(kAtlasDigitSmall4, 554, line + 1) && DrewAt(kAtlasDigitSmall7, 565, line + 1)) << "level 47";
  EXPECT_FALSE(DrewAt(kAtlasSaveNoDataSlot, 64, line));
  EXPECT_TRUE(DrewAt(kAtlasSaveNoDataSlot, 64, line + 28)) << "slot 4 is still empty";
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
