// Drives the screens that script commands open: a script in event 1, scripted keys, and
// the atlas sprites each draw pass left behind.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "event/event_test_support.h"

namespace test {

class ScreenTest : public EventTest {
 protected:
  // Starts event 1 with the script and runs its first command.
  void Run(const std::string& script) {
    SetScript(0, script);
    Start(1);
    Update();
  }
  // A frame with every key up, then the press: presses of one key in a row all count.
  void Press(int key) {
    Update();
    Tap(key);
  }
  void Presses(int key, int n) {
    for (int i = 0; i < n; ++i) Press(key);
  }
  std::vector<Sprite> AtlasSprites() {
    std::vector<Sprite> out;
    for (const auto& r : Draw()) {
      if (r.texture == g_atlasTexture.get()) out.push_back(ToSprite(r, kAtlasSize));
    }
    return out;
  }
  // Every place a picture was drawn from: sprites cut at its top-left corner with its
  // width (a window's top edge counts as the window).
  static std::vector<Sprite> Find(const std::vector<Sprite>& sprites, const AtlasRect& rect) {
    std::vector<Sprite> out;
    for (const Sprite& s : sprites) {
      if (s.srcLeft == rect.left && s.srcTop == rect.top && s.w == RectWidth(rect)) out.push_back(s);
    }
    return out;
  }
  // Where the picture was drawn, when it was drawn exactly once.
  static std::optional<std::pair<float, float>> At(const std::vector<Sprite>& sprites, const AtlasRect& rect) {
    const auto found = Find(sprites, rect);
    if (found.size() != 1) return std::nullopt;
    return std::make_pair(found[0].x, found[0].y);
  }
  static std::optional<std::pair<float, float>> Pos(float x, float y) { return std::make_pair(x, y); }
  // The fade patch tiled over the screen: its colour when all 300 tiles share one, else 0.
  static uint32_t CoverColour(const std::vector<Sprite>& sprites) {
    const auto tiles = Find(sprites, kAtlasFadePatch);
    if (tiles.size() != 300) return 0;
    for (const Sprite& s : tiles) {
      if (s.colour != tiles[0].colour) return 0;
    }
    return tiles[0].colour;
  }
  static bool Has(const std::vector<Sprite>& sprites, const AtlasRect& rect) { return !Find(sprites, rect).empty(); }
};

}  // namespace test
