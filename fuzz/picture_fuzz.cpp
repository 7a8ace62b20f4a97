// Pictures: decoded as a texture is, with the colour key applied. What the header says
// the picture decodes to, which the archive's budget counts, must be what it decodes to.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::Image image;
  int width = 0, height = 0;
  const bool sized = plat::ImageSize(data, size, &width, &height);
  if (!plat::DecodeImage(data, size, image)) return 0;
  if (!sized || image.width != width || image.height != height) std::abort();
  plat::ApplyColourKey(image, 0xFF00FF00u);
  return 0;
}
