#include "engine/draw2d.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "engine/keys.h"
#include "engine/sound.h"
#include "platform/keyboard.h"

namespace {

// The vertical menu cursor: one action a frame, Down before Up, wrapping both ways, a
// click for every move and confirm; a held key acts once.
TEST(MenuCursorTest, MovesWrapsAndConfirmsOnceAPress) {
  std::set<uint32_t> down;
  plat::SetKeySource([&down](uint32_t k) { return down.count(k) != 0; });
  int32_t cursor = 2;
  struct Step {
    std::vector<int> keys;
    int result, cursor;
    bool click;
  };
  const Step steps[] = {
      {{kKeyDown}, 0, 0, true},    {{}, 0, 0, false},
      {{kKeyUp}, 0, 2, true},      {{kKeyUp}, 0, 2, false},
      {{}, 0, 2, false},           {{kKeyUp}, 0, 1, true},
      {{}, 0, 1, false},           {{kKeyDown, kKeyUp}, 0, 2, true},
      {{}, 0, 2, false},           {{kKeyDown, kKeyEnter}, 0, 0, true},
      {{}, 0, 0, false},           {{kKeyEnter}, 1, 0, true},
      {{}, 0, 0, false},           {{kKeyZ}, 1, 0, true},
      {{kKeyEscape}, 0, 0, false},
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    down.clear();
    for (int k : steps[i].keys) down.insert(KeyHostCode(k));
    KeyPoll();
    SoundRequestsClear();
    EXPECT_EQ(MenuCursorVertical(&cursor, 3), steps[i].result) << "step " << i;
    EXPECT_EQ(cursor, steps[i].cursor) << "step " << i;
    EXPECT_EQ(g_soundRequests[kSoundCursor].requested == 1, steps[i].click) << "step " << i;
  }
}

}  // namespace
