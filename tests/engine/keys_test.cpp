// The thirteen keys as the keyboard gives them: each key of the keyboard, pressed by its
// SDL scancode through the running program's frames, is the one game key of its name.
#include "engine/keys.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "support/harness.h"

namespace {

class KeysTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(game_.Start(), 1); }
  // The game keys held at this frame's poll, one bit a key.
  static int HeldKeys() {
    int bits = 0;
    for (int k = 0; k < kKeyCount; ++k) bits |= KeyHeld(k) ? 1 << k : 0;
    return bits;
  }
  test::GameHarness game_;
};

// Every key of the table, and the second Return, Shift and Ctrl of the keyboard, is its
// own game key and no other: pressed on the first frame it is down, held on the next
// ten, and released on the frame after it goes up.
TEST_F(KeysTest, EachKeyOfTheKeyboardIsItsOwnGameKey) {
  const struct {
    SDL_Scancode scancode;
    int key;
  } kCases[] = {
      {SDL_SCANCODE_DOWN, kKeyDown},    {SDL_SCANCODE_UP, kKeyUp},         {SDL_SCANCODE_RIGHT, kKeyRight},
      {SDL_SCANCODE_LEFT, kKeyLeft},    {SDL_SCANCODE_ESCAPE, kKeyEscape}, {SDL_SCANCODE_LCTRL, kKeyCtrl},
      {SDL_SCANCODE_RCTRL, kKeyCtrl},   {SDL_SCANCODE_RETURN, kKeyEnter},  {SDL_SCANCODE_KP_ENTER, kKeyEnter},
      {SDL_SCANCODE_Z, kKeyZ},          {SDL_SCANCODE_SPACE, kKeySpace},   {SDL_SCANCODE_LSHIFT, kKeyShift},
      {SDL_SCANCODE_RSHIFT, kKeyShift}, {SDL_SCANCODE_A, kKeyA},           {SDL_SCANCODE_S, kKeyS},
      {SDL_SCANCODE_D, kKeyD},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(SDL_GetScancodeName(c.scancode));
    game_.HoldScancode(c.scancode);
    game_.Frames(1);
    EXPECT_EQ(HeldKeys(), 1 << c.key);
    EXPECT_TRUE(KeyPressed(c.key));
    int presses = 0;
    for (int frame = 0; frame < 10; ++frame) {
      game_.Frames(1);
      presses += KeyPressed(c.key) ? 1 : 0;
      EXPECT_EQ(HeldKeys(), 1 << c.key) << frame;
    }
    EXPECT_EQ(presses, 0) << "a held key is pressed once";
    game_.ReleaseScancode(c.scancode);
    game_.Frames(1);
    EXPECT_EQ(HeldKeys(), 0);
    EXPECT_FALSE(KeyPressed(c.key));
  }
  for (const SDL_Scancode other : {SDL_SCANCODE_X, SDL_SCANCODE_W, SDL_SCANCODE_KP_2, SDL_SCANCODE_TAB}) {
    game_.HoldScancode(other);
    game_.Frames(1);
    EXPECT_EQ(HeldKeys(), 0) << SDL_GetScancodeName(other) << " is none of the game's";
    game_.ReleaseScancode(other);
  }
}

// Enter and Z pressed on one frame confirm once; a key up and down again is pressed again.
TEST_F(KeysTest, EnterAndZTogetherConfirmOnceAndAFreshPressCountsAgain) {
  game_.Hold(kKeyEnter);
  game_.Hold(kKeyZ);
  int confirms = 0;
  for (int frame = 0; frame < 3; ++frame) {
    game_.Frames(1);
    confirms += KeyConfirmPressed() ? 1 : 0;
  }
  EXPECT_EQ(confirms, 1);
  game_.ReleaseAll();
  game_.Frames(1);
  game_.Hold(kKeyZ);
  game_.Frames(1);
  EXPECT_TRUE(KeyConfirmPressed());
}

}  // namespace
