// The screens the title opens besides the prompts: options, gallery and picture.
#include <SDL.h>
#include <gtest/gtest.h>

#include <set>

#include "data/tasks.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/settings.h"
#include "engine/sound.h"
#include "menu/gallery.h"
#include "menu/options.h"
#include "menu/title.h"
#include "platform/gpu.h"
#include "platform/recording/audio_recording.h"
#include "platform/window.h"
#include "support/field_world.h"
#include "support/sprites.h"

namespace {

bool FullScreen() { return (SDL_GetWindowFlags(plat::WindowHandle()) & SDL_WINDOW_FULLSCREEN) != 0; }

struct OptionsCase {
  const char* name;
  std::vector<int> keys;  // pressed on the open screen before Enter
  int32_t fromField;
  int failingCreates;  // device creations refused from the confirm on
  bool rebuilt;
  int music;                   // the piece confirming starts, -1 none
  int32_t Settings::*changed;  // the one word left unlike its default
};

void PrintTo(const OptionsCase& c, std::ostream* out) { *out << c.name; }

class OptionsTest : public ::testing::TestWithParam<OptionsCase> {};

// A paused task stands for the field (or for nothing, from the title).
TEST_P(OptionsTest, ConfirmWritesEveryRowRestartsTheMusicAndRebuildsOnlyForADisplayChange) {
  const OptionsCase& c = GetParam();
  test::GameHarness game;
  ASSERT_EQ(game.Start(), 1);
  TaskKillAll();
  test::PlaceStandIn(20, kTaskIdPerson);
  TaskSetModeAll(kTaskModePause);
  ASSERT_EQ(OptionsOpen(c.fromField), 1);
  EXPECT_EQ(OptionsOpen(c.fromField), 0) << "one at a time";
  game.Frames(1);  // the opening update reads no keys
  for (int key : c.keys) game.Tap(key);
  ASSERT_TRUE(TaskExists(kTaskIdOptions)) << "no key but confirm closes the screen";
  EXPECT_EQ(test::ScreenSprites(game.Recorder()->lastFrame).size(), c.fromField ? 17u : 318u) << "background";
  const size_t creates = plat::DeviceCreateLog().size();
  const size_t since = test::AudioMark();
  plat::SetDeviceCreateFailures(c.failingCreates);
  game.Tap(kKeyEnter, 0);

  EXPECT_FALSE(TaskExists(kTaskIdOptions));
  EXPECT_EQ(plat::DeviceCreateLog().size() > creates, c.rebuilt);
  ASSERT_EQ(game.Running(), c.failingCreates == 0) << "a failed rebuild ends the program with that frame";
  if (!game.Running()) return;
  EXPECT_EQ(test::LastMusic(since), c.music);
  EXPECT_EQ(FullScreen(), g_settings.windowed != 1) << "the window is placed for the mode";
  EXPECT_EQ(g_taskPool[20].updateOn, c.fromField) << "the field runs again";
  EXPECT_EQ(TaskExists(kTaskIdTitle), 1 - c.fromField);
  const Settings now = g_settings;
  SettingsInit();
  for (int32_t Settings::*word : {&Settings::windowed, &Settings::colour32, &Settings::vsync, &Settings::depth24,
                                  &Settings::soundEffects, &Settings::music, &Settings::autoBattle}) {
    EXPECT_EQ(now.*word, word == c.changed ? 1 - g_settings.*word : g_settings.*word);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, OptionsTest,
    ::testing::Values(
        OptionsCase{"ConfirmAtOnce", {}, 0, 0, false, kMusicTitle, nullptr},
        OptionsCase{"DisplayRowTwice", {kKeyRight, kKeyLeft}, 0, 0, false, kMusicTitle, nullptr},
        OptionsCase{"FullScreen", {kKeyRight}, 0, 0, true, kMusicTitle, &Settings::windowed},
        OptionsCase{
            "EscapeThenSync", {kKeyEscape, kKeyDown, kKeyDown, kKeyRight}, 0, 0, true, kMusicTitle, &Settings::vsync},
        OptionsCase{"UpWrapsToAutoBattle", {kKeyUp, kKeyLeft}, 1, 0, false, kMusicField, &Settings::autoBattle},
        OptionsCase{"ColourDepth", {kKeyDown, kKeyRight}, 0, 0, true, kMusicTitle, &Settings::colour32},
        OptionsCase{"EffectsOff",
                    {kKeyDown, kKeyDown, kKeyDown, kKeyDown, kKeyRight},
                    0,
                    0,
                    false,
                    kMusicTitle,
                    &Settings::soundEffects},
        OptionsCase{"MusicOffOverTheField", {kKeyUp, kKeyUp, kKeyRight}, 1, 0, false, -1, &Settings::music},
        OptionsCase{"FailedRebuild", {kKeyDown, kKeyDown, kKeyDown, kKeyRight}, 0, 4, true, -1, nullptr}),
    [](const auto& row) { return std::string(row.param.name); });

GalleryData* Gallery() { return TaskData<GalleryData>(&g_taskPool[kSlotGallery]); }

struct Turn {
  const char* name;
  int key;
  int presses;
  int32_t selection;
  int frames;  // turning frames of the last press
  int32_t other;
  float otherAfter;  // where that model stands once the ring stops
};

void PrintTo(const Turn& t, std::ostream* out) { *out << t.name; }

class GalleryTest : public ::testing::TestWithParam<Turn> {
 protected:
  void SetUp() override {
    ASSERT_EQ(game_.Start(), 1);
    TitleEntryGallery();
    game_.Frames(1);  // the opening update reads no keys
  }
  test::GameHarness game_;
};

TEST_P(GalleryTest, TheRingTurnsTwoDegreesAFrameUntilTheChosenModelSnapsToTheFront) {
  const Turn& t = GetParam();
  int turning = 0;
  for (int i = 0; i < t.presses; ++i) {
    game_.Tap(t.key, 0);
    game_.Tap(t.key == kKeyLeft ? kKeyRight : kKeyLeft, 0);  // read by nobody while the ring turns
    for (turning = 1; Gallery()->state != GalleryInput && turning < 40; ++turning) game_.Frames(1);
  }
  EXPECT_EQ(turning, t.frames);
  EXPECT_EQ(Gallery()->selection, t.selection);
  EXPECT_EQ(Gallery()->angles[t.selection], 270.0f);
  EXPECT_EQ(Gallery()->angles[t.other], t.otherAfter);
  game_.Frames(15 - 1 - turning);
  EXPECT_EQ(Gallery()->distances[t.selection], 25.0f) << "out within 15 frames of the key";
}

INSTANTIATE_TEST_SUITE_P(Keys, GalleryTest,
                         ::testing::Values(Turn{"RightOnce", kKeyRight, 1, 1, 5, 2, 282.0f},
                                           Turn{"LeftOnce", kKeyLeft, 1, 32, 5, 31, 258.0f},
                                           Turn{"RightTwice", kKeyRight, 2, 2, 6, 0, 248.0f}),
                         [](const auto& turn) { return std::string(turn.param.name); });

// Full screen and back through the real device: textures and meshes come back from the
// archive in memory, and the title looks exactly as it did.
TEST(OptionsGlTest, FullScreenAndBackRedrawTheSameTitle) {
  test::GameHarness::Options options;
  options.realRenderer = true;
  test::GameHarness game(options);
  ASSERT_EQ(game.Start(), 1);
  game.Frames(2);
  const plat::Image before = g_device->ReadFrame();
  for (int32_t windowed : {0, 1}) {
    const size_t creates = plat::DeviceCreateLog().size();
    TitleEntryOptions();
    game.Frames(1);
    game.Tap(kKeyRight);
    game.Tap(kKeyEnter);
    EXPECT_GT(plat::DeviceCreateLog().size(), creates);
    EXPECT_EQ(FullScreen(), windowed == 0);
    EXPECT_TRUE(before.pixels == g_device->ReadFrame().pixels) << windowed;
  }
}

// Every model is drawn over a background that hides none of them.
TEST_F(GalleryTest, LeftAloneTheChosenModelTurnsAfter82FramesAtOpeningAnd100AfterATurn) {
  std::set<const plat::Mesh*> meshes;
  for (const plat::DrawRecord& r : game_.Recorder()->lastFrame) {
    if (r.kind == plat::DrawRecord::Kind::MeshSubset) meshes.insert(r.mesh);
    EXPECT_TRUE(r.kind != plat::DrawRecord::Kind::Screen || !meshes.empty() || !r.zEnable);
  }
  EXPECT_EQ(meshes.size(), 33u);
  for (int wait : {82, 100}) {
    game_.Frames(wait);
    EXPECT_EQ(Gallery()->spin, 270.0f) << wait;
    game_.Frames(2);
    EXPECT_EQ(Gallery()->spin, 272.0f) << wait;
    game_.Tap(kKeyRight, 5);
  }
}

}  // namespace
