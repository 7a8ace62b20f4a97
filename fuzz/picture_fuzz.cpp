// Pictures: decoded as a texture is, with the colour key applied.
#include <cstddef>
#include <cstdint>

#include "platform/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::Image image;
  if (plat::DecodeImage(data, size, image)) plat::ApplyColourKey(image, 0xFF00FF00u);
  return 0;
}
