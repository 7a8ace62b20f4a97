// The OpenGL back end of the drawing device.
#pragma once

#include <memory>

#include "platform/gpu.h"

namespace plat {

std::unique_ptr<Device> CreateGlDevice(SDL_Window* window, const DeviceParams& params);

}  // namespace plat
