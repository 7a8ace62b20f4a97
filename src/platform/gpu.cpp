#include "platform/gpu.h"

#include "platform/gpu_gl.h"
#include "platform/gpu_recording.h"

namespace plat {
namespace detail {
void SetCurrentRecordingDevice(RecordingDevice* device);
}  // namespace detail

namespace {
DeviceBackend g_backend = DeviceBackend::OpenGL;
int g_failuresLeft = 0;
std::vector<DeviceParams> g_createLog;
}  // namespace

void SetDeviceBackend(DeviceBackend backend) { g_backend = backend; }
DeviceBackend GetDeviceBackend() { return g_backend; }
void SetDeviceCreateFailures(int count) { g_failuresLeft = count; }
std::vector<DeviceParams>& DeviceCreateLog() { return g_createLog; }

std::unique_ptr<Device> CreateDevice(SDL_Window* window, const DeviceParams& params) {
  g_createLog.push_back(params);
  if (g_failuresLeft > 0) {
    --g_failuresLeft;
    return nullptr;
  }
  if (g_backend == DeviceBackend::Recording) {
    auto device = std::make_unique<RecordingDevice>();
    detail::SetCurrentRecordingDevice(device.get());
    return device;
  }
  return CreateGlDevice(window, params);
}

}  // namespace plat
