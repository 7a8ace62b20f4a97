#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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
#include "menu/title.h"
#include "platform/recording/audio_recording.h"
#include "support/field_world.h"
#include "support/file_faults.h"
#include "support/quads.h"

namespace {

using test::Bytes;

// Event 1 stands on column 4, row 1; the party enters map 3 on column 2, row 5.
const std::vector<std::string> kRows = {"#########", "#...1...#", "#.......#", "#.......#",
                                        "#.......#", "#.......#", "#########"};

int Plays(int voice, size_t since) {
  const auto& events = plat::CurrentRecordingAudioDevice()->events;
  int n = 0;
  for (size_t i = since; i < events.size(); ++i)
    n += events[i].kind == plat::AudioEvent::Kind::Play && events[i].voice == voice;
  return n;
}
size_t AudioMark() { return plat::CurrentRecordingAudioDevice()->events.size(); }

SaveScreenData* Screen() {
  TaskSlot& s = g_taskPool[kSlotSaveLoad];
  return s.inUse && s.id == kTaskIdSaveLoad ? TaskData<SaveScreenData>(&s) : nullptr;
}

// Where each picture of the last frame went: its atlas rectangle's top-left and its place.
bool DrewAt(const AtlasRect& src, float x, float y, uint32_t colour = kColourOpaque) {
  for (const test::Quad& q : test::ScreenQuads(plat::CurrentRecordingDevice()->lastFrame)) {
    if (q.src.left == src.left && q.src.top == src.top && q.dest.left == x && q.dest.top == y && q.colour == colour)
      return true;
  }
  return false;
}

class SaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    field_ = std::make_unique<test::FieldGame>(test::BuildMapPack({test::MapFromRows(kRows, 0, 17)}));
    ASSERT_EQ(field_->StartResult(), 1);
    ASSERT_TRUE(field_->Enter(3, 2, 5));
    Game().Frames(1);
  }
  test::GameHarness& Game() { return field_->Game(); }
  std::string File(int slot) { return field_->Dir() + "/" + SaveFileName(slot); }
  // The screen opened over the field, past its opening frame.
  void Open(int32_t mode) {
    ASSERT_EQ(SaveScreenOpen(mode, 1), 1);
    Game().Frames(1);
  }
  // Picks the slot and answers yes.
  void Answer(int slot) {
    for (int i = 0; i < slot; ++i) Game().Tap(kKeyDown);
    Game().Tap(kKeyEnter);
    Game().Tap(kKeyDown);
    Game().Tap(kKeyEnter);
  }
  // The game and the pool as they stand, to see that a refused load touched neither.
  std::vector<uint8_t> Snapshot() {
    std::vector<uint8_t> s(reinterpret_cast<uint8_t*>(&g_game), reinterpret_cast<uint8_t*>(&g_game + 1));
    const auto* pool = reinterpret_cast<const uint8_t*>(g_taskPool);
    s.insert(s.end(), pool, pool + sizeof(TaskSlot) * kTaskSlotCount);
    return s;
  }
  std::unique_ptr<test::FieldGame> field_;
};

TEST_F(SaveTest, ANewGamesSaveHoldsEachFieldAtItsOffset) {
  const Bytes b = SaveBuild();
  ASSERT_EQ(b.size(), 2324u);
  EXPECT_EQ(ReadI32(&b[0]), 3);
  EXPECT_EQ(ReadI32(&b[4]), 20) << "the heroine's level";
  EXPECT_EQ(ReadI32(&b[412]), 4);
  const CharacterRecord& milva = g_characterTable[0];
  EXPECT_EQ(ReadI32(&b[416 + 16]), milva.level);
  EXPECT_EQ(ReadI32(&b[416 + 72]), milva.weapon);
  EXPECT_EQ(ReadF32(&b[416 + 84]), 1404.0f) << "the name picture's left edge";
  EXPECT_EQ(std::memcmp(&b[416 + 100], milva.name, 40), 0);
  EXPECT_EQ(ReadI32(&b[416 + 152]), 1) << "the next row";
  EXPECT_EQ(ReadI32(&b[1024 + 16]), 0) << "the reserve is empty";
  const int32_t inventory[] = {13, 4, 15, 4, 1, 1, 3, 1, 9999, 0};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(ReadI32(&b[1632 + 4 * i]), inventory[i]) << i;
  for (int m = 0; m < 4; ++m) {
    const WalkerData* w = test::Walker(m);
    EXPECT_EQ(ReadF32(&b[2272 + 12 * m]), w->x);
    EXPECT_EQ(ReadF32(&b[2276 + 12 * m]), w->z);
    EXPECT_EQ(ReadF32(&b[2280 + 12 * m]), 270.0f);
  }
  EXPECT_EQ(ReadF32(&b[2272]), -4.0f) << "column 2 of 9";
  EXPECT_EQ(ReadF32(&b[2320]), 60.0f) << "the camera's eye height";
}

TEST_F(SaveTest, SizeFollowsThePartyCountAndTheCamera) {
  for (int32_t n : {2, 3, 4}) {
    for (bool camera : {true, false}) {
      g_partyCount = n;
      if (!camera) TaskKillById(kTaskIdCamera);
      const Bytes b = SaveBuild();
      EXPECT_EQ(b.size(), 1104u + 304u * static_cast<unsigned>(n) + (camera ? 4u : 0u)) << n;
      SaveContents c;
      EXPECT_TRUE(SaveParse(b.data(), b.size(), &c));
      EXPECT_EQ(c.hasCamera, camera ? 1 : 0);
    }
    CameraCreate(0, 0, 0, 270, kWalkerLeaderTag, CameraFollowStep);
  }
}

TEST_F(SaveTest, HeaderLevelIsTheFirstMemberWithIdZero) {
  struct Case {
    std::vector<int32_t> ids;
    int32_t count, level, expected;
  };
  const Case cases[] = {
      {{1, 0, 2, 3}, 4, 33, 33}, {{1, 2, 3, 0}, 3, 33, 0}, {{0, 1, 2, 3}, 4, -5, 0}, {{1, 2, 3, 3}, 4, 33, 0}};
  for (const Case& c : cases) {
    for (int i = 0; i < 4; ++i) {
      g_party[i] = CharacterRecord{};
      g_party[i].id = c.ids[static_cast<size_t>(i)];
      g_party[i].level = g_party[i].id == 0 ? c.level : 50;
    }
    g_partyCount = c.count;
    EXPECT_EQ(SaveHeaderLevel(), c.expected);
  }
}

// Saved over the field through the screen, loaded from the title through the screen.
TEST_F(SaveTest, AGameSavedAndLoadedAgainIsTheGameThatWasSaved) {
  g_money = 12345;
  g_eventFlags[7] = -3;
  g_partyCount = 3;
  g_party[1].level = 33;
  g_partyReserve[2] = g_characterTable[3];
  g_inventory[50] = {19, 7};
  Game().Hold(kKeyRight);
  Game().Frames(8);
  Game().ReleaseAll();
  Game().Frames(1);
  test::Walker(2)->facing = 180.0f;
  const GameState saved = g_game;
  float places[4][3];
  for (int m = 0; m < 4; ++m)
    places[m][0] = test::Walker(m)->x, places[m][1] = test::Walker(m)->z, places[m][2] = test::Walker(m)->facing;
  ASSERT_EQ(places[0][0], -2.0f) << "one cell east";

  Open(kSaveModeSave);
  size_t mark = AudioMark();
  Answer(2);
  EXPECT_EQ(Screen()->step, SaveScreenSavedWait);
  EXPECT_EQ(Plays(kSoundSaved, mark), 1);
  EXPECT_EQ(Screen()->slots.exists[2], 1) << "the list shows the new file at once";
  EXPECT_EQ(Screen()->slots.level[2], 20);
  Game().Tap(kKeyEnter);
  Game().Tap(kKeyEscape);
  EXPECT_EQ(Screen(), nullptr);
  EXPECT_EQ(g_taskPool[0].updateOn, 1) << "the field runs again";

  TitleReturn();
  g_money = 1;
  g_eventFlags[7] = 0;
  g_party[3].level = 99;
  g_partyReserve[3] = g_characterTable[1];
  g_familiars[0].level = 77;
  g_settings.autoBattle = 1;
  Game().Frames(1);
  Game().Tap(kKeyRight);
  Game().Tap(kKeyDown);
  Game().Tap(kKeyZ);  // the title's load entry
  ASSERT_NE(Screen(), nullptr);
  EXPECT_EQ(Screen()->fromField, 0);
  mark = AudioMark();
  Answer(2);
  EXPECT_EQ(Screen(), nullptr);
  GameState expected = saved;
  expected.party[3] = expected.partyReserve[3] = CharacterRecord{};  // rows past the count come back empty
  expected.familiars[0].level = 77;
  EXPECT_EQ(std::memcmp(&g_game, &expected, sizeof g_game), 0) << "money, flags, party, reserve, inventory";
  for (int m = 0; m < 4; ++m) {
    const WalkerData* w = test::Walker(m);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->x, places[m][0]);
    EXPECT_EQ(w->z, places[m][1]);
    EXPECT_EQ(w->facing, places[m][2]);
    EXPECT_EQ(w->y, 0.25f);
  }
  const CameraData* camera = TaskData<CameraData>(TaskFindById(kTaskIdCamera));
  EXPECT_EQ(camera->tag, kWalkerLeaderTag);
  EXPECT_EQ(camera->angle, 270.0f);
  EXPECT_TRUE(TaskExists(kTaskIdFieldView));
  EXPECT_EQ(g_encounterCountdown, 17) << "the map's own interval";
  EXPECT_EQ(g_settings.autoBattle, 0);
  EXPECT_EQ(Plays(kMusicField, mark), 1);
  Game().Frames(2);
  EXPECT_EQ(camera->at[0], places[0][0]) << "the camera follows the leader";
}

TEST_F(SaveTest, DamagedFilesAreRefusedAndTheGameIsUntouched) {
  using Edit = std::function<void(Bytes&)>;
  auto size = [](size_t n) { return Edit([n](Bytes& b) { b.resize(n); }); };
  auto word = [](size_t at, int32_t v) {
    return Edit([at, v](Bytes& b) { StoreU32(&b[at], static_cast<uint32_t>(v)); });
  };
  auto real = [](size_t at, float v) {
    return Edit([at, v](Bytes& b) {
      uint32_t bits;
      std::memcpy(&bits, &v, 4);
      StoreU32(&b[at], bits);
    });
  };
  const Edit edits[] = {
      size(0),
      size(411),
      size(416),
      size(1024),
      size(1632),
      size(2272),
      size(2319),
      size(2325),
      [](Bytes& b) {
        b.resize(1104);
        StoreU32(&b[412], 0);
      },
      [](Bytes& b) {
        b.resize(2628);
        StoreU32(&b[412], 5);
      },
      word(0, 14),
      word(0, -1),
      word(8, -1),
      word(8, 10000000),
      word(1632, 20),
      word(1632 + 44, 1),
      word(1632 + 48, 5),
      word(1632 + 4, 100),
      word(416 + 152, 4),
      word(416 + 4, 38),
      word(416 + 72, 20),
      word(1024 + 76, 10000),
      [](Bytes& b) { std::memset(&b[1024 + 304 + 100], 'a', 40); },
      real(2272 + 12, NAN),
      real(2272 + 44, INFINITY),
      real(2272, 9.0f),
      real(2276, -7.5f),
  };
  const Bytes good = SaveBuild();
  for (size_t i = 0; i < std::size(edits); ++i) {
    SCOPED_TRACE(i);
    Bytes bad = good;
    edits[i](bad);
    ASSERT_TRUE(test::WriteFile(File(1), bad));
    const std::vector<uint8_t> before = Snapshot();
    EXPECT_EQ(SaveRead(1), kSaveLoadRefused);
    EXPECT_TRUE(Snapshot() == before);
    EXPECT_EQ(SaveExists(1), 0);
  }
  Open(kSaveModeLoad);
  const size_t mark = AudioMark();
  Answer(1);
  EXPECT_EQ(Screen()->step, SaveScreenNoDataWait);
  EXPECT_EQ(Screen()->slots.exists[1], 0) << "shown as an empty slot";
  EXPECT_EQ(Plays(kSoundRefuse, mark), 1);
  EXPECT_TRUE(DrewAt(kAtlasSaveNoData, 182, 180));
}

TEST_F(SaveTest, AFailedWriteLeavesTheOldFileWhole) {
  ASSERT_EQ(SaveWrite(0), 1);
  const Bytes old = test::ReadFile(File(0));
  g_money = 777;
  const std::pair<test::FileStep, int> faults[] = {
      {test::FileStep::Open, 0},  {test::FileStep::Write, 0}, {test::FileStep::Write, 2},  {test::FileStep::Write, 4},
      {test::FileStep::Fsync, 0}, {test::FileStep::Close, 0}, {test::FileStep::Rename, 0},
  };
  for (const auto& [step, nth] : faults) {
    SCOPED_TRACE(static_cast<int>(step) * 10 + nth);
    test::FileFault fault(step, nth);
    EXPECT_EQ(SaveWrite(0), 0);
    EXPECT_EQ(test::ReadFile(File(0)), old);
    EXPECT_FALSE(std::filesystem::exists(File(0) + ".tmp"));
  }
  {
    test::FileFault fault(test::FileStep::Write, 99);  // every write short, none failing
    EXPECT_EQ(SaveWrite(0), 1);
  }
  EXPECT_EQ(test::ReadFile(File(0)), SaveBuild());

  test::FileFault fault(test::FileStep::Rename);
  Open(kSaveModeSave);
  const size_t mark = AudioMark();
  Answer(0);
  EXPECT_EQ(Screen()->step, SaveScreenWriteFailedWait);
  EXPECT_EQ(Plays(kSoundRefuse, mark), 1);
  EXPECT_EQ(Plays(kSoundSaved, mark), 0);
  EXPECT_TRUE(DrewAt(kAtlasSaveFailed, 200, 180));
  EXPECT_FALSE(DrewAt(kAtlasSaveDone, 243, 180));
}

TEST_F(SaveTest, SavingIsRefusedOnAnEventCellOrWithoutTheParty) {
  for (int c = 0; c < 2; ++c) {
    SCOPED_TRACE(c);
    ASSERT_TRUE(field_->Enter(3, c == 0 ? 4 : 2, 1));
    if (c == 1) TaskKillById(kTaskIdWalker), WalkerCreate(-3, 0.2f, 5, 0, 0, 0, nullptr);
    Open(kSaveModeSave);
    const size_t mark = AudioMark();
    Answer(3);
    EXPECT_EQ(Screen()->step, SaveScreenForbiddenWait);
    EXPECT_EQ(Plays(kSoundRefuse, mark), 1);
    EXPECT_TRUE(DrewAt(kAtlasSaveForbidden, 192, 180));
    Game().Tap(kKeyEnter);
    EXPECT_EQ(Screen(), nullptr) << "the screen closes after the message";
    EXPECT_EQ(g_taskPool[0].updateOn, 1);
    EXPECT_FALSE(std::filesystem::exists(File(3)));
  }
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
  const At pictures[] = {
      {kAtlasDigitSmall1, 48, 143},     {kAtlasDigitSmall2, 64, 143},
      {kAtlasDigitSmall0, 75, 143},     {kAtlasDigitSmall6, 97, 143},
      {kAtlasTimeYear, 108, 143},       {kAtlasDigitSmall3, 128, 143},
      {kAtlasTimeMonth, 139, 143},      {kAtlasDigitSmall7, 152, 143},
      {kAtlasTimeDay, 163, 143},        {kAtlasDigitSmall9, 177, 143},
      {kAtlasTimeHour, 188, 143},       {kAtlasDigitSmall5, 208, 143},
      {kAtlasTimeMinute, 219, 143},     {kAtlasPlaceWhisperWood, 339, 143},
      {kAtlasSaveLevelLabel, 512, 144}, {kAtlasDigitSmall2, 554, 144},
      {kAtlasSaveNoDataSlot, 64, 171},  {kAtlasPointerArrow, 4, 135},
      {kAtlasLoadHeading, 253, 90},     {kAtlasSaveHelp, 4, 4},
      {kAtlasMenuTile, 608, 448},
  };
  for (const At& p : pictures) EXPECT_TRUE(DrewAt(p.src, p.x, p.y)) << p.x << ", " << p.y;
  EXPECT_TRUE(DrewAt(kAtlasSaveCursorBar, 42, 137, 0x64FFFFFF));
  Game().Tap(kKeyUp);
  EXPECT_TRUE(DrewAt(kAtlasSaveCursorBar, 42, 249, 0x64FFFFFF)) << "Up on slot 1 goes to slot 5";
  Game().Tap(kKeyEnter);
  EXPECT_TRUE(DrewAt(kAtlasLoadQuestion, 225, 166));
  EXPECT_TRUE(DrewAt(kAtlasMenuCursor, 218, 195)) << "the question opens on no";
}

TEST_F(SaveTest, ClosingOrARefusedOpeningGivesTheGameBack) {
  Open(kSaveModeLoad);
  Game().Tap(kKeyEscape);
  EXPECT_EQ(Screen(), nullptr);
  EXPECT_EQ(g_taskPool[0].updateOn, 1);
  test::PlaceStandIn(kSlotSaveLoad, kTaskIdEvent);
  EXPECT_EQ(SaveScreenOpen(kSaveModeSave, 1), 0);
  EXPECT_EQ(g_taskPool[0].updateOn, 1) << "nothing is left paused";
  LoadScreenOpenFromTitle();
  Game().Frames(1);
  Game().Tap(kKeyEscape);
  EXPECT_TRUE(TaskExists(kTaskIdTitle));
  EXPECT_FALSE(TaskExists(kTaskIdWalker));
}

TEST_F(SaveTest, ALoadWhoseMapCannotBeReadEndsAtTheTitle) {
  for (const char* missing : {"mappack.dat", "epack.dat"}) {
    SCOPED_TRACE(missing);
    ASSERT_EQ(SaveWrite(4), 1);
    const Bytes data = test::ReadFile(field_->Dir() + "/" + missing);
    std::filesystem::remove(field_->Dir() + "/" + missing);
    EXPECT_EQ(SaveRead(4), kSaveLoadNoMap);
    ASSERT_FALSE(Game().Boxes().empty());
    EXPECT_EQ(Game().Boxes().back().text, "no data file");
    EXPECT_TRUE(TaskExists(kTaskIdTitle));
    EXPECT_FALSE(TaskExists(kTaskIdWalker));
    test::WriteFile(field_->Dir() + "/" + missing, data);
    ASSERT_TRUE(field_->Enter(3, 2, 5));
  }
}

}  // namespace
