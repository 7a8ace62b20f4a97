// Pictures: decoded as a texture is, with the colour key applied. What the header says
// the picture decodes to, which the archive's budget counts, must be what it decodes to.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::Image image;
  const uint64_t counted = plat::ImageDecodedBytes(data, size);
  if (!plat::DecodeImage(data, size, image)) return 0;
  if (counted != image.pixels.size() * 4) std::abort();
  plat::ApplyColourKey(image, 0xFF00FF00u);
  return 0;
}
