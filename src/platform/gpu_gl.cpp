#include "platform/gpu_gl.h"

namespace plat {

// The OpenGL device is not built yet: creation fails honestly.
std::unique_ptr<Device> CreateGlDevice(SDL_Window*, const DeviceParams&) { return nullptr; }

}  // namespace plat
