// Where the content tests find the built pictures, the tools and the sources, and
// pictures read back for checking pixels. Tests run in the build folder.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/graphics.h"
#include "platform/image.h"
#include "support/files.h"

namespace content_test {

// The key the game makes transparent, which the tools paint with.
using ::kColourKey;

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;
  uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
  // Something shows there: not the colour key and not fully transparent.
  bool Ink(int x, int y) const {
    const uint32_t p = At(x, y);
    return p != kColourKey && (p >> 24) != 0;
  }
};

// Decodes with the game's own picture decoder, colour key untouched.
inline bool ReadPixels(const std::string& path, Pixels* out) {
  const test::Bytes bytes = test::ReadFile(path);
  plat::Image image;
  if (!plat::DecodeImage(bytes.data(), bytes.size(), image)) return false;
  out->width = image.width;
  out->height = image.height;
  out->argb = std::move(image.pixels);
  return true;
}

// The checkout's root.
inline std::string SourceRoot() { return MILVA_SOURCE_DIR; }

inline const char* kFontProportional = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf";
inline const char* kFontFixed = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

}  // namespace content_test
