#include "platform/gpu.h"

#include "platform/gpu_gl.h"

namespace plat {

namespace {
DeviceFactory g_factory = nullptr;
}  // namespace

void SetDeviceFactory(DeviceFactory factory) { g_factory = factory; }

std::unique_ptr<Device> CreateDevice(SDL_Window* window, const DeviceParams& params) {
  return g_factory ? g_factory(window, params) : CreateGlDevice(window, params);
}

}  // namespace plat
