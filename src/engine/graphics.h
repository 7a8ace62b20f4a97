// The renderer's objects: the device, the textures cut from the archive and the 38
// meshes. Everything here can be released and rebuilt from the archive in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gpu.h"

struct SDL_Window;

constexpr int kTextureCount = 35;
constexpr int kMeshCount = 38;
constexpr int kMeshLoadedCount = 35;  // records 0 to 34 come from X files
constexpr int kMeshSmallSphere = 35;
constexpr int kMeshLargeSphere = 36;
constexpr int kMeshTorus = 37;
constexpr uint32_t kColourKey = 0xFF00FF00;

struct MeshRecord {
  std::unique_ptr<plat::Mesh> mesh;
  uint32_t materialCount = 0;
  std::vector<plat::Material> materials;
  std::vector<std::unique_ptr<plat::Texture>> materialTextures;  // null: untextured
  float boxMin[3] = {};
  float boxMax[3] = {};
  float sizeY = 0, sizeX = 0, sizeZ = 0;
  float radius = 0;
};

extern std::unique_ptr<plat::Device> g_device;
extern std::unique_ptr<plat::Texture> g_atlasTexture;  // entry 0, 2048 by 2048
extern std::unique_ptr<plat::Texture> g_fontTexture;   // entry 1, 1024 by 1024
extern std::unique_ptr<plat::Texture> g_textures[kTextureCount];
extern MeshRecord g_meshes[kMeshCount];
extern int32_t g_meshTextureCount;
extern plat::Viewport g_viewport;

int GraphicsInit(SDL_Window* window);
void GraphicsRelease();
int GraphicsCreateDevice(SDL_Window* window, int refreshRate);
// The 35 textures of 3D quads (the atlas and the glyph texture are loaded before them).
int GraphicsLoadTextures();
int MeshCreateAll();
int MeshLoad(MeshRecord* record, int entry);
int MeshComputeBounds(MeshRecord* record);
int MeshCreateSphere(MeshRecord* record, uint32_t slices, float radius, uint32_t colour);
int MeshCreateTorus(MeshRecord* record, float inner, float outer, uint32_t sides, uint32_t rings, uint32_t colour);
int TextureLoadEntry(std::unique_ptr<plat::Texture>* texture, int entry);
void GraphicsSetRenderStates();
void GraphicsSetViewport();
void GraphicsSetupCamera();
void SetZEnable(int flag);
