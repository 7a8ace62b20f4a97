#include "engine/graphics.h"

#include "engine/shell.h"
#include "platform/window.h"

std::unique_ptr<plat::Device> g_device;
std::unique_ptr<plat::Texture> g_atlasTexture;
std::unique_ptr<plat::Texture> g_fontTexture;
std::unique_ptr<plat::Texture> g_textures[kTextureCount];
MeshRecord g_meshes[kMeshCount];
int32_t g_meshTextureCount = 0;
plat::Viewport g_viewport;

int GraphicsCreateDevice(SDL_Window* window, int refreshRate) {
  plat::DeviceParams params;
  params.windowed = g_settings.windowed == 1;
  params.colour32 = g_settings.colour32 != 0;
  params.vsync = g_settings.vsync != 0;
  params.depth24 = g_settings.depth24 != 0;
  params.refreshRate = params.windowed ? 0 : refreshRate;
  g_device = plat::CreateDevice(window, params);
  if (!g_device) {
    params.softwareVertexProcessing = true;
    g_device = plat::CreateDevice(window, params);
  }
  return g_device ? 1 : 0;
}

int GraphicsInit(SDL_Window* window) {
  if (!GraphicsCreateDevice(window, 60) && !GraphicsCreateDevice(window, 0)) return 0;
  return 1;
}

void GraphicsRelease() {
  for (MeshRecord& m : g_meshes) m = MeshRecord{};
  g_fontTexture.reset();
  g_atlasTexture.reset();
  for (auto& t : g_textures) t.reset();
  g_device.reset();
}

void SetZEnable(int flag) {
  if (g_device) g_device->SetZEnable(flag != 0);
}
