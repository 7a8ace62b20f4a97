#include "menu/title.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "data/characters.h"
#include "data/game_state.h"
#include "data/items.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/settings.h"
#include "engine/shell.h"
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

PromptData* Prompt(int slot) { return TaskSlotInUse(slot) ? TaskData<PromptData>(&g_taskPool[slot]) : nullptr; }

plat::RecordingAudioDevice* Audio() { return plat::CurrentRecordingAudioDevice(); }

std::vector<test::Sprite> DrawnQuads() { return test::ScreenSprites(plat::CurrentRecordingDevice()->lastFrame); }

bool SameRect(const AtlasRect& a, const AtlasRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The picture `src` drawn opaque from the atlas at its own size, its top-left corner at
// (x, y).
void ExpectPicture(const test::Sprite& q, const AtlasRect& src, float x, float y, const char* what) {
  SCOPED_TRACE(what);
  EXPECT_EQ(test::Pos(q.srcLeft, q.srcTop), test::Pos(src.left, src.top));
  EXPECT_EQ(test::Pos(q.w, q.h), test::Pos(RectWidth(src), RectHeight(src)));
  EXPECT_EQ(test::Pos(q.x, q.y), test::Pos(x, y));
  EXPECT_EQ(q.colour, 0xFFFFFFFFu);
  EXPECT_EQ(q.texture, g_atlasTexture.get());
}

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

  // Two keys going down on the same frame, then both let go for one.
  void PressTogether(int a, int b) {
    Game().Hold(a);
    Game().Hold(b);
    Game().Frames(1);
    Game().ReleaseAll();
    Game().Frames(1);
  }

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

TEST_F(TitleTest, StartUpOpensTheTitleOnNewGameWithTheTitleMusicAndTheFirstBanner) {
  g_titleBanner = 1;
  StartAtTitle(test::BuildMapPack({test::MapFloor(4, 4)}));
  EXPECT_EQ(g_titleBanner, 0) << "every run starts on the first banner";
  const TitleData* title = Title();
  EXPECT_EQ(title->live, 1);
  EXPECT_EQ(title->selection, kTitleNewGame);
  EXPECT_EQ(title->column, 0);
  EXPECT_EQ(title->row, 0);
  EXPECT_EQ(title->step, TitleMenuInput);
  EXPECT_EQ(LastMusic(), kMusicTitle);
  EXPECT_EQ(Plays(kMusicTitle, 0), 1);
  EXPECT_EQ(LiveTasks(), 1);
}

TEST_F(TitleTest, OpeningRefusesASecondTitleAndABusySlotWithoutRestartingTheMusic) {
  Title()->column = 1;
  const size_t events = Audio()->events.size();
  EXPECT_EQ(TitleOpen(), 0);
  EXPECT_EQ(Title()->column, 1) << "the live title is left as it is";
  EXPECT_EQ(Audio()->events.size(), events) << "no music restart";

  TaskKillAll();
  test::PlaceStandIn(430, kTaskIdTitle);
  EXPECT_EQ(TitleOpen(), 0) << "a title task anywhere refuses another";
  EXPECT_FALSE(TaskSlotInUse(kSlotTitle));

  TaskKillAll();
  test::PlaceStandIn(kSlotTitle, kTaskIdEvent);
  EXPECT_EQ(TitleOpen(), 0) << "its slot is busy";
  EXPECT_EQ(g_taskPool[kSlotTitle].id, kTaskIdEvent);
  EXPECT_EQ(Audio()->events.size(), events);

  TaskKillAll();
  EXPECT_EQ(TitleOpen(), 1);
  EXPECT_EQ(Title()->step, TitleStepBegin);
  EXPECT_EQ(Plays(kMusicTitle, events), 1);
}

TEST_F(TitleTest, OneKeyAFrameAndOnlyTheFirstInOrderCounts) {
  Game().Hold(kKeyRight);
  Game().Frames(3);
  Game().ReleaseAll();
  Game().Frames(1);
  EXPECT_EQ(Title()->column, 1) << "a held key counts once";

  PressTogether(kKeyRight, kKeyDown);
  EXPECT_EQ(Title()->column, 0);
  EXPECT_EQ(Title()->row, 0) << "Right comes before Down";

  PressTogether(kKeyUp, kKeyLeft);
  EXPECT_EQ(Title()->column, 1);
  EXPECT_EQ(Title()->row, 0) << "Left comes before Up";

  PressTogether(kKeyDown, kKeyZ);
  ASSERT_NE(Title(), nullptr) << "a move on the same frame keeps the confirm from counting";
  EXPECT_EQ(Title()->selection, 3);
}

TEST_F(TitleTest, ConfirmingClicksOnceKillsEveryTaskAndTheEntryIsDrawnNextFrame) {
  struct Case {
    int key;
    int32_t entry;
    int slot;
    int32_t id;
    AtlasRect question;
  };
  const Case cases[] = {
      {kKeyZ, kTitleNewGame, kSlotNewGamePrompt, kTaskIdNewGamePrompt, kAtlasPromptNewGame},
      {kKeyEnter, kTitleQuit, kSlotQuitPrompt, kTaskIdQuitPrompt, kAtlasPromptQuit},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    TitleReturn();
    Game().Frames(1);
    if (c.entry == kTitleQuit) Press(kKeyRight);
    test::PlaceStandIn(20, kTaskIdPerson);
    test::PlaceStandIn(kSlotFade, kTaskIdFade);
    const int32_t banner = g_titleBanner;
    const size_t events = Audio()->events.size();
    Game().Hold(c.key);
    Game().Frames(1);
    Game().ReleaseAll();
    EXPECT_EQ(Plays(kSoundCursor, events), 1);
    EXPECT_FALSE(TaskSlotInUse(20));
    EXPECT_FALSE(TaskSlotInUse(kSlotFade));
    EXPECT_EQ(Title(), nullptr);
    EXPECT_EQ(g_titleBanner, 1 - banner);
    ASSERT_TRUE(TaskSlotInUse(c.slot));
    EXPECT_EQ(g_taskPool[c.slot].id, c.id);
    EXPECT_EQ(LiveTasks(), 1);
    EXPECT_TRUE(DrewPicture(kAtlasTitleBackground)) << "the confirming frame was drawn before its update";
    Game().Frames(1);
    EXPECT_TRUE(DrewPicture(c.question));
    EXPECT_FALSE(DrewPicture(kAtlasTitleBackground));
  }
}

TEST_F(TitleTest, TitleDrawsItsPicturesBackToFront) {
  Press(kKeyRight);
  Press(kKeyDown);
  Game().Frames(1);
  const std::vector<test::Sprite> q = DrawnQuads();
  ASSERT_EQ(q.size(), 13u);
  ExpectPicture(q[0], {0, 0, 640, 480}, 0, 0, "background");
  ExpectPicture(q[1], kAtlasTitleLogo, 117, 10, "logo centred");
  ExpectPicture(q[2], kAtlasTitleBanner0, 0, 284, "banner on the bottom edge");
  ExpectPicture(q[3], kAtlasTitlePanel, 136, 140, "panel under the buttons");
  for (int i = 0; i < 6; ++i) {
    const float x = 136 + 2 + 183 * static_cast<float>(i % 2), y = 142 + 30 * static_cast<float>(i / 2);
    ExpectPicture(q[4 + static_cast<size_t>(i)], kAtlasTitleButton, x, y, "button");
  }
  ExpectPicture(q[10], kAtlasTitleHighlight, 321, 172, "highlight on load");
  ExpectPicture(q[11], kAtlasTitlePanel, 136, 140, "panel again over the buttons");
  ExpectPicture(q[12], kAtlasTitleCaption, 4, 464, "caption");

  g_titleBanner = 1;
  Game().Frames(1);
  const std::vector<test::Sprite> again = DrawnQuads();
  ASSERT_EQ(again.size(), 13u);
  ExpectPicture(again[2], kAtlasTitleBanner1, 0, 252, "the taller banner");
}

TEST_F(TitleTest, PromptsOpenOnNoAndDrawTheirQuestion) {
  struct Case {
    int32_t entry;
    int slot;
    AtlasRect question;
    float questionX;
  };
  const Case cases[] = {
      {kTitleNewGame, kSlotNewGamePrompt, kAtlasPromptNewGame, 200},
      {kTitleQuit, kSlotQuitPrompt, kAtlasPromptQuit, 231},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    TitleReturn();
    Game().Frames(1);
    OpenPrompt(c.entry);
    const PromptData* prompt = Prompt(c.slot);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(prompt->choice, 0);
    EXPECT_EQ(prompt->labels[0].x, 289.5f);
    EXPECT_EQ(prompt->labels[0].width, 61.0f);
    EXPECT_EQ(prompt->labels[0].height, 19.0f);
    EXPECT_EQ(prompt->labels[1].x, 300.0f);
    EXPECT_EQ(prompt->labels[1].y, 246.0f);
    EXPECT_TRUE(SameRect(prompt->labels[1].picture, kAtlasAnswerYes));

    const std::vector<test::Sprite> q = DrawnQuads();
    ASSERT_EQ(q.size(), 305u);
    for (size_t i = 0; i < 300; ++i) {
      ExpectPicture(q[i], kAtlasMenuTile, 32.0f * static_cast<float>(i % 20), 32.0f * static_cast<float>(i / 20),
                    "tile");
    }
    ExpectPicture(q[300], kAtlasPromptWindow, 190, 150, "window");
    ExpectPicture(q[301], c.question, c.questionX, 166, "question");
    ExpectPicture(q[302], kAtlasAnswerNo, 290, 214, "no");
    ExpectPicture(q[303], kAtlasAnswerYes, 300, 246, "yes");
    ExpectPicture(q[304], kAtlasMenuCursor, 232, 214, "cursor on no");
  }
}

TEST_F(TitleTest, PromptCursorMovesUpAndDownAndEscapeDoesNothing) {
  Choose(kTitleNewGame);
  const PromptData* prompt = Prompt(kSlotNewGamePrompt);
  ASSERT_NE(prompt, nullptr);
  Press(kKeyDown);
  EXPECT_EQ(prompt->choice, 0) << "the frame that opens the prompt reads no keys";
  EXPECT_EQ(g_taskPool[kSlotNewGamePrompt].update, NewGamePromptInput);
  const size_t events = Audio()->events.size();
  Press(kKeyDown);
  EXPECT_EQ(prompt->choice, 1);
  ExpectPicture(DrawnQuads().back(), kAtlasMenuCursor, 232, 246, "cursor on yes");
  Press(kKeyDown);
  EXPECT_EQ(prompt->choice, 0);
  Press(kKeyUp);
  EXPECT_EQ(prompt->choice, 1);
  EXPECT_EQ(Plays(kSoundCursor, events), 3);
  PressTogether(kKeyUp, kKeyDown);
  EXPECT_EQ(prompt->choice, 0) << "Up comes first";
  Press(kKeyEscape);
  Press(kKeyShift);
  ASSERT_TRUE(TaskSlotInUse(kSlotNewGamePrompt)) << "the only way out is to answer";
  EXPECT_EQ(prompt->choice, 0);
}

TEST_F(TitleTest, AnsweringNoReturnsToAFreshTitleWithTheOtherBanner) {
  for (int32_t entry : {kTitleNewGame, kTitleQuit}) {
    SCOPED_TRACE(entry);
    const int32_t banner = g_titleBanner;
    OpenPrompt(entry);
    const size_t events = Audio()->events.size();
    Press(entry == kTitleQuit ? kKeyEnter : kKeyZ);
    ASSERT_NE(Title(), nullptr);
    EXPECT_EQ(LiveTasks(), 1);
    EXPECT_EQ(Title()->selection, kTitleNewGame);
    EXPECT_EQ(g_titleBanner, 1 - banner);
    EXPECT_EQ(Plays(kSoundCursor, events), 1);
    EXPECT_EQ(Plays(kMusicTitle, events), 1);
    EXPECT_TRUE(DrewPicture(banner == 0 ? kAtlasTitleBanner1 : kAtlasTitleBanner0));
    EXPECT_TRUE(Game().Running());
  }
}

TEST_F(TitleTest, QuitThenYesEndsTheProgramAtTheEndOfThatFrame) {
  OpenPrompt(kTitleQuit);
  Press(kKeyDown);
  const int frames = Game().FrameCount();
  Game().Hold(kKeyEnter);
  Game().Frames(1);
  EXPECT_FALSE(Game().Running());
  EXPECT_EQ(Game().FrameCount(), frames + 1);
  EXPECT_EQ(plat::QuitCode(), 0);
  EXPECT_EQ(g_taskPool, nullptr) << "shut down";
}

TEST(GameQuitTest, KillsEveryTaskAtOnceAndDropsTheRunningFlag) {
  ASSERT_EQ(TaskPoolCreate(), 1);
  for (int slot : {0, 20, int{kSlotTitle}, int{kSlotFade}}) test::PlaceStandIn(slot, kTaskIdPerson);
  g_running = 1;
  GameQuit();
  EXPECT_EQ(g_running, 0);
  for (int i = 0; i < kTaskSlotCount; ++i) EXPECT_EQ(g_taskPool[i].inUse, 0) << i;
  TaskPoolFree();
}

TEST_F(TitleTest, NewGameWithoutAMapToLoadShowsNoDataFileAndTheTitle) {
  test::Bytes refused = test::BuildMapPack({test::MapFloor(4, 4)});
  refused[56] = 0;  // map 0's width
  for (bool missing : {true, false}) {
    SCOPED_TRACE(missing ? "missing file" : "refused map");
    StartAtTitle(refused);
    if (missing) std::filesystem::remove(field_->Dir() + "/mappack.dat");
    OpenPrompt(kTitleNewGame);
    Press(kKeyDown);
    const int32_t banner = g_titleBanner;
    const size_t events = Audio()->events.size();
    Game().Hold(kKeyEnter);
    Game().Frames(1);
    Game().ReleaseAll();
    ASSERT_EQ(Game().Boxes().size(), 1u);
    EXPECT_EQ(Game().Boxes()[0].text, "no data file");
    EXPECT_EQ(Game().Boxes()[0].caption, "");
    ASSERT_NE(Title(), nullptr);
    EXPECT_EQ(LiveTasks(), 1);
    EXPECT_EQ(g_titleBanner, banner);
    EXPECT_EQ(LastMusic(), kMusicTitle);
    EXPECT_EQ(Plays(kMusicField, events), 0);
    Game().Frames(2);
    EXPECT_TRUE(DrewPicture(kAtlasTitleLogo));
    EXPECT_EQ(Game().Boxes().size(), 1u);
    EXPECT_TRUE(Game().Running());
  }
}

}  // namespace
