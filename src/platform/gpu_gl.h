// The OpenGL back end of the drawing device.
#pragma once

#include <memory>

#include "platform/gpu.h"

namespace plat {

std::unique_ptr<Device> CreateGlDevice(SDL_Window* window, const DeviceParams& params);

// On by default: quads and mesh subsets that can go together are drawn in one call.
// Off, each is drawn on its own, as the game asked; tests compare the two pictures.
void SetGlBatching(bool on);

}  // namespace plat
