// The play check's display round, a program of its own built beside the game for
// `./dev.sh play-check`: the game, built for play, goes to full screen and back through
// the options screen by keys and rebuilds its renderer as after a lost device in each
// mode. After each change it gives the window system a second to act and checks that the
// whole 640 by 480 picture is on the window: the picture's rectangle inside the drawable
// the window really has, at its own shape and as large as fits, and a window of exactly
// 640 by 480 when windowed. It prints a line a change, ends the game when done, and exits
// with 0 only when every change left the picture whole.
#include <cstdio>
#include <cstdlib>
#include <set>

#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/settings.h"
#include "engine/shell.h"
#include "game/startup.h"
#include "platform/keyboard.h"
#include "platform/window.h"

namespace {

// From the title: the options entry below the first, then the display row flipped and
// confirmed. Each key is down for two frames and up for four.
constexpr int kOptionsKeys[] = {kKeyDown, kKeyEnter, kKeyRight, kKeyEnter};
constexpr int kKeyDownFrames = 2;
constexpr int kKeyUpFrames = 4;
constexpr int kSettleFrames = 60;  // about a second for a window manager to act

enum class Way { None, Options, LostDevice };
struct Change {
  const char* name;
  Way way;
  int32_t windowed;  // the settings word the change leaves
};
constexpr Change kChanges[] = {
    {"windowed at start", Way::None, 1},
    {"full screen from the options", Way::Options, 0},
    {"full screen after a lost device", Way::LostDevice, 0},
    {"windowed from the options", Way::Options, 1},
    {"windowed after a lost device", Way::LostDevice, 1},
};
constexpr int kChangeCount = static_cast<int>(sizeof kChanges / sizeof kChanges[0]);

std::set<uint32_t> g_held;
int g_change = 0;     // the change under way
int g_frame = 0;      // frames since it began
int g_passed = 0;     // changes checked and whole
bool g_done = false;  // every change checked

// The frames the change's keys take.
int KeyFrames(const Change& change) {
  if (change.way != Way::Options) return 0;
  return static_cast<int>(sizeof kOptionsKeys / sizeof kOptionsKeys[0]) * (kKeyDownFrames + kKeyUpFrames);
}

// Holds the key of the script due at this frame, if any.
void PlayKeys(int frame) {
  g_held.clear();
  const int key = frame / (kKeyDownFrames + kKeyUpFrames);
  if (frame % (kKeyDownFrames + kKeyUpFrames) < kKeyDownFrames) g_held.insert(KeyHostCode(kOptionsKeys[key]));
}

bool Whole(const Change& change) {
  int width = 0, height = 0;
  plat::WindowDrawableSize(plat::WindowHandle(), width, height);
  const plat::ShownPicture shown = g_device ? g_device->LastShown() : plat::ShownPicture{};
  const bool inside = shown.drawableWidth == width && shown.drawableHeight == height && shown.x >= 0 && shown.y >= 0 &&
                      shown.x + shown.width <= width && shown.y + shown.height <= height;
  // Its shape kept to within the pixel each side loses to rounding, and touching two sides.
  const bool shaped =
      std::abs(shown.width * plat::kClientHeight - shown.height * plat::kClientWidth) <= plat::kClientWidth;
  const bool fitted = shown.width == width || shown.height == height;
  const bool sized = change.windowed != 1 || (width == plat::kClientWidth && height == plat::kClientHeight);
  const bool switched = g_settings.windowed == change.windowed;
  const bool whole = g_device && inside && shaped && fitted && sized && switched;
  std::printf("display check: %s: window %dx%d, picture %dx%d at %d,%d%s: %s\n", change.name, width, height,
              shown.width, shown.height, shown.x, shown.y, switched ? "" : " (the setting did not change)",
              whole ? "whole" : "NOT WHOLE");
  std::fflush(stdout);
  return whole;
}

void DisplayCheckFrame() {
  if (g_done) return;
  const Change& change = kChanges[g_change];
  if (g_frame == 0 && change.way == Way::LostDevice) DeviceRebuild();
  const int keys = KeyFrames(change);
  if (g_frame < keys) PlayKeys(g_frame);
  if (g_frame == keys) g_held.clear();
  if (++g_frame < keys + kSettleFrames) return;
  g_passed += Whole(change) ? 1 : 0;
  g_frame = 0;
  if (++g_change < kChangeCount) return;
  g_done = true;
  GameShutdown();
}

}  // namespace

int main() {
  GameInstall();
  plat::SetKeySource([](uint32_t key) { return g_held.count(key) != 0; });
  ShellSetFrameHook(DisplayCheckFrame);
  const int code = AppMain();
  if (code != 0) return code;
  return g_done && g_passed == kChangeCount ? 0 : 1;
}
