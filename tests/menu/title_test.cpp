#include "menu/title.h"

#include <gtest/gtest.h>

#include <cstring>

#include "data/characters.h"
#include "data/game_state.h"
#include "data/items.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/settings.h"
#include "engine/sound.h"
#include "field/map.h"
#include "platform/recording/audio_recording.h"
#include "platform/window.h"
#include "support/field_world.h"
#include "support/sprites.h"

namespace {

bool DrewPicture(const AtlasRect& src) {
  return test::Has(test::ScreenSprites(plat::CurrentRecordingDevice()->lastFrame), src);
}

TitleData* Title() {
  if (!TaskSlotInUse(kSlotTitle) || g_taskPool[kSlotTitle].id != kTaskIdTitle) return nullptr;
  return TaskData<TitleData>(&g_taskPool[kSlotTitle]);
}

int LiveTasks() {
  int n = 0;
  for (int i = 0; i < kTaskSlotCount; ++i) n += g_taskPool[i].inUse ? 1 : 0;
  return n;
}

using test::LastMusic;
using test::Plays;

class TitleTest : public test::FieldTest {
 protected:
  void SetUp() override { StartAtTitle(test::BuildMapPack({test::MapFloor(7, 5, 1, 12)})); }

  void StartAtTitle(const test::Bytes& pack) {
    Start(pack);
    ASSERT_NE(Title(), nullptr);
    Game().Frames(1);  // the title's opening update reads no keys
  }

  // Presses a key alone for one frame, then lets it go for one.
  void Press(int key) { Game().Tap(key, 1); }

  // Moves the title cursor onto an entry from new game, then confirms it: one frame.
  void Choose(int32_t entry) {
    if (entry % kTitleColumns) Press(kKeyRight);
    for (int32_t r = 0; r < entry / kTitleColumns; ++r) Press(kKeyDown);
    ASSERT_EQ(Title()->selection, entry);
    Game().Hold(kKeyZ);
    Game().Frames(1);
    Game().ReleaseAll();
  }

  // Opens a prompt from the title and lets its opening update pass.
  void OpenPrompt(int32_t entry) {
    Choose(entry);
    Game().Frames(1);
  }
};

TEST_F(TitleTest, CursorWrapsAroundTheGridAndEachMoveClicks) {
  struct Move {
    int key;
    int32_t column, row;
  };
  const Move moves[] = {
      {kKeyRight, 1, 0}, {kKeyRight, 0, 0}, {kKeyLeft, 1, 0}, {kKeyUp, 1, 2},
      {kKeyDown, 1, 0},  {kKeyDown, 1, 1},  {kKeyLeft, 0, 1}, {kKeyLeft, 1, 1},
  };
  for (const Move& m : moves) {
    const size_t events = test::AudioMark();
    Press(m.key);
    SCOPED_TRACE(m.key);
    EXPECT_EQ(Title()->column, m.column);
    EXPECT_EQ(Title()->row, m.row);
    EXPECT_EQ(Title()->selection, m.column + 2 * m.row);
    EXPECT_EQ(Plays(kSoundCursor, events), 1);
  }
  Press(kKeyEscape);
  ASSERT_NE(Title(), nullptr) << "the title has no cancel key";
  EXPECT_EQ(Title()->selection, 3);
}

// Each entry's screen or question stands in its slot the next frame and ends at a fresh
// title with the other banner and the title's music. Escape leaves only the gallery; No
// leaves a question.
TEST_F(TitleTest, EntriesOpenTheirScreensWhichEndAtAFreshTitle) {
  struct Case {
    int32_t entry;
    int slot;
    int32_t id;
    int stay, leave;  // a key the screen stays open on, then one that leaves
  };
  const Case cases[] = {
      {kTitleOptions, kSlotOptions, kTaskIdOptions, kKeyEscape, kKeyEnter},
      {kTitleGallery, kSlotGallery, kTaskIdGallery, kKeyUp, kKeyEscape},
      {kTitlePicture, kSlotPicture, kTaskIdPicture, kKeyEscape, kKeyZ},
      {kTitleNewGame, kSlotNewGamePrompt, kTaskIdNewGamePrompt, kKeyEscape, kKeyZ},
      {kTitleQuit, kSlotQuitPrompt, kTaskIdQuitPrompt, kKeyEscape, kKeyEnter},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    const int32_t banner = g_titleBanner;
    Choose(c.entry);
    ASSERT_EQ(Title(), nullptr);
    ASSERT_TRUE(TaskSlotInUse(c.slot)) << "the entry's screen stands in the next frame";
    EXPECT_EQ(g_taskPool[c.slot].id, c.id);
    EXPECT_EQ(LiveTasks(), 1);
    EXPECT_EQ(g_titleBanner, 1 - banner);
    Game().Frames(1);
    Press(c.stay);
    EXPECT_TRUE(TaskSlotInUse(c.slot));
    const size_t events = test::AudioMark();
    Press(c.leave);
    ASSERT_NE(Title(), nullptr);
    EXPECT_EQ(Title()->selection, kTitleNewGame);
    EXPECT_EQ(LastMusic(events), kMusicTitle);
    EXPECT_TRUE(DrewPicture(g_titleBanner == 1 ? kAtlasTitleBanner1 : kAtlasTitleBanner0));
    EXPECT_TRUE(Game().Running());
  }
}

TEST_F(TitleTest, NewGameResetsTheWholeGameAndLoadsMapZero) {
  OpenPrompt(kTitleNewGame);
  Press(kKeyDown);
  g_money = 1234;  // a game in progress
  g_eventFlags[99] = -7;
  g_inventory[40] = {19, 5};
  g_partyCount = 2;
  g_enemyCount = 5;
  g_party[3].level = 55;
  g_partyReserve[1] = g_characterTable[2];
  g_settings.autoBattle = 1;
  g_mapNumber = 6;
  Game().Hold(kKeyZ);
  Game().Frames(1);
  Game().ReleaseAll();
  // The whole state as a fresh one with the first four rows of the table as the party,
  // then map 0 with its own encounter interval.
  GameState loaded = g_game;
  GameStateReset();
  EXPECT_EQ(std::memcmp(&g_game.party, g_characterTable, sizeof g_game.party), 0) << "the first four rows";
  loaded.encounterArea = g_game.encounterArea = 1;
  loaded.encounterInterval = loaded.encounterCountdown = g_game.encounterInterval = g_game.encounterCountdown = 12;
  EXPECT_EQ(std::memcmp(&loaded, &g_game, sizeof loaded), 0) << "money, flags, party, reserve, inventory, map";
  EXPECT_EQ(g_settings.autoBattle, 0);
  EXPECT_EQ(LastMusic(), kMusicField);
  EXPECT_EQ(LiveTasks(), 0) << "the party comes on through map 0's opening event; this map places nothing";
}

}  // namespace
