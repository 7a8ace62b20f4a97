// Picture decoding for textures: PNG, JPEG and BMP, recognised by their content.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gpu.h"

namespace plat {

// Decodes one image file held in memory. False (and an empty image) when the bytes are
// not a picture of a known kind, are damaged, or are larger than 2048 by 2048 (the
// largest texture the game draws); never reads past size.
bool DecodeImage(const uint8_t* bytes, size_t size, Image& out);
// The size a picture would decode to, read from its header alone: false where
// DecodeImage would refuse the header (an unknown kind, a damaged header, too large).
bool ImageSize(const uint8_t* bytes, size_t size, int* width, int* height);
// Every pixel equal to the key becomes fully transparent black.
void ApplyColourKey(Image& image, uint32_t keyArgb);
// PNG bytes of the image (tests and tools write frames and sheets with it).

}  // namespace plat
