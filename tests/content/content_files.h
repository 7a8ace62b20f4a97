// Where the content tests find the built pictures, the tools and the sources, and a
// PNG reader for checking pixels. Tests run in the build folder.
#pragma once

#include <png.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace content_test {

constexpr uint32_t kColourKey = 0xFF00FF00u;

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

inline bool ReadPixels(const std::string& path, Pixels* out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_BGRA;  // one little-endian 0xAARRGGBB word a pixel
  out->argb.assign(static_cast<size_t>(image.width) * image.height, 0);
  if (!png_image_finish_read(&image, nullptr, out->argb.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  out->width = static_cast<int>(image.width);
  out->height = static_cast<int>(image.height);
  return true;
}

// The checkout's root.
inline std::string SourceRoot() { return MILVA_SOURCE_DIR; }

inline const char* kFontProportional = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf";
inline const char* kFontFixed = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

}  // namespace content_test
