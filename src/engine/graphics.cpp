#include "engine/graphics.h"

#include <algorithm>
#include <future>
#include <string>
#include <system_error>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/settings.h"
#include "engine/shell.h"
#include "platform/image.h"
#include "platform/mesh_io.h"
#include "platform/problem.h"
#include "platform/window.h"

std::unique_ptr<plat::Device> g_device;
std::unique_ptr<plat::Texture> g_atlasTexture;
std::unique_ptr<plat::Texture> g_fontTexture;
std::unique_ptr<plat::Texture> g_textures[kTextureCount];
MeshRecord g_meshes[kMeshCount];
int32_t g_meshTextureCount = 0;
plat::Viewport g_viewport;

namespace {

constexpr int kRefreshPreferred = 60;
constexpr int kRefreshDefault = 0;

// The first view, before any camera exists: from just above the look-at point.
constexpr float kFirstViewAt[3] = {0.0f, 100.0f, 0.0f};
constexpr float kFirstViewEye[3] = {0.0f, 100.0f, 0.1f};

struct ShapeRecipe {
  int record;
  bool torus;
  uint32_t slices;  // sphere slices and stacks; torus sides and rings
  float radius;     // sphere radius; torus ring radius
  float tube;       // torus tube radius
  uint32_t colour;
};

constexpr ShapeRecipe kShapes[] = {
    {kMeshSmallSphere, false, 8, 0.4f, 0.0f, 0xFFFFFF00},
    {kMeshLargeSphere, false, 16, 3.4f, 0.0f, 0xFFFF0000},
    {kMeshTorus, true, 32, 2.0f, 0.2f, 0xFFFFFF00},
};

// Every vertex of a built shape carries the one colour.
int StoreShape(MeshRecord* record, plat::MeshData data, uint32_t colour) {
  for (plat::MeshVertex& v : data.vertices) v.colour = colour;
  record->mesh = g_device->CreateMesh(std::move(data));
  if (!record->mesh) return 0;
  return MeshComputeBounds(record);
}

// Each size's room is asked of the device before the first picture of that size is
// made, from the pictures' headers, so nothing made at start-up is moved to make room
// for the next. The material textures' range counts every picture in it: the entries
// past the last one the meshes take are empty.
void ReserveTextureRoom() {
  struct Size {
    int width, height, count;
  };
  std::vector<Size> sizes;
  for (int entry = kEntryAtlas; entry < kEntryMeshFirst; ++entry) {
    uint32_t bytes = 0;
    const uint8_t* data = DataFileGetEntry(entry, &bytes);
    int width = 0, height = 0;
    if (!data || !plat::ImageSize(data, bytes, &width, &height)) continue;
    const auto same =
        std::find_if(sizes.begin(), sizes.end(), [&](const Size& s) { return s.width == width && s.height == height; });
    if (same == sizes.end()) {
      sizes.push_back({width, height, 1});
    } else {
      ++same->count;
    }
  }
  for (const Size& s : sizes) g_device->ReserveTextures(s.width, s.height, s.count);
}

// A picture of the archive decoded and keyed as a texture takes it; empty when the entry
// is missing or does not decode.
plat::Image DecodeEntry(int entry) {
  uint32_t size = 0;
  const uint8_t* bytes = DataFileGetEntry(entry, &size);
  plat::Image image;
  if (!bytes || !plat::DecodeImage(bytes, size, image)) return plat::Image{};
  plat::ApplyColourKey(image, kColourKey);
  return image;
}

// The atlas and the glyph texture are most of start-up's decoding: they are decoded on
// a second thread while the device is made and the meshes load, and taken when their
// turn comes. The archive in memory is only read meanwhile. Where no thread can be
// started, each is decoded when it is taken.
std::future<plat::Image> DecodeAhead(int entry) {
  try {
    return std::async(std::launch::async, DecodeEntry, entry);
  } catch (const std::system_error&) {
    return std::async(std::launch::deferred, DecodeEntry, entry);
  }
}

int TextureFromImage(std::unique_ptr<plat::Texture>* texture, const plat::Image& image) {
  texture->reset();
  if (image.pixels.empty() || !g_device) return 0;
  *texture = g_device->CreateTexture(image);
  return *texture ? 1 : 0;
}

// The texture made of an entry's decoded picture, or the reason it could not be.
bool TextureTake(std::unique_ptr<plat::Texture>* texture, int entry, const plat::Image& image) {
  if (TextureFromImage(texture, image)) return true;
  plat::NoteProblem(kDataFileName, "entry " + std::to_string(entry) + " is not a picture the renderer can take");
  return false;
}

}  // namespace

// One round asks for the display as the settings stand, first with hardware vertex
// processing, then with software. A windowed device has no refresh rate of its own.
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
  GraphicsRelease();
  std::future<plat::Image> atlas = DecodeAhead(kEntryAtlas);
  std::future<plat::Image> glyphs = DecodeAhead(kEntryGlyphs);
  if (!GraphicsCreateDevice(window, kRefreshPreferred) && !GraphicsCreateDevice(window, kRefreshDefault)) {
    if (!plat::ProblemNoted()) plat::NoteProblem("OpenGL", "no device could be made for the window");
    return 0;
  }
  plat::ClearProblem();  // a first try that was refused is no reason once a device stands
  ReserveTextureRoom();
  // What was built before a failure stays for GraphicsRelease. Each decoded picture goes
  // as soon as the device has it.
  if (!MeshCreateAll() || !TextureTake(&g_atlasTexture, kEntryAtlas, atlas.get())) return 0;
  if (!TextureTake(&g_fontTexture, kEntryGlyphs, glyphs.get()) || !GraphicsLoadTextures()) return 0;
  GraphicsSetRenderStates();
  GraphicsSetViewport();
  GraphicsSetupCamera();
  g_device->SetZEnable(true);
  g_device->SetLighting(false);
  return 1;
}

// Meshes and textures go before the device that made them.
void GraphicsRelease() {
  for (MeshRecord& m : g_meshes) m = MeshRecord{};
  g_fontTexture.reset();
  g_atlasTexture.reset();
  for (auto& t : g_textures) t.reset();
  g_device.reset();
}

int TextureLoadEntry(std::unique_ptr<plat::Texture>* texture, int entry) {
  texture->reset();
  if (!g_device) return 0;
  return TextureFromImage(texture, DecodeEntry(entry));
}

// The 35 textures of 3D quads; the atlas and the glyph texture come before them.
int GraphicsLoadTextures() {
  for (int i = 0; i < kTextureCount; ++i) {
    const int entry = kEntryTextureFirst + i;
    if (!TextureTake(&g_textures[i], entry, DecodeEntry(entry))) return 0;
  }
  return 1;
}

int MeshCreateAll() {
  g_meshTextureCount = 0;
  for (MeshRecord& m : g_meshes) m = MeshRecord{};
  for (int i = 0; i < kMeshLoadedCount; ++i) {
    if (!MeshLoad(&g_meshes[i], kEntryMeshFirst + i)) {
      plat::NoteProblem(kDataFileName,
                        "entry " + std::to_string(kEntryMeshFirst + i) + " is not a mesh the game can use");
      return 0;
    }
  }
  for (const ShapeRecipe& s : kShapes) {
    MeshRecord* record = &g_meshes[s.record];
    const int ok = s.torus ? MeshCreateTorus(record, s.tube, s.radius, s.slices, s.slices, s.colour)
                           : MeshCreateSphere(record, s.slices, s.radius, s.colour);
    if (!ok) {
      plat::NoteProblem("OpenGL", "the built-in shapes could not be made");
      return 0;
    }
  }
  return 1;
}

// Material textures come from the archive in load order, not from the names the file
// gives: each textured material takes the next entry whether or not it decodes.
int MeshLoad(MeshRecord* record, int entry) {
  *record = MeshRecord{};
  uint32_t size = 0;
  const uint8_t* bytes = DataFileGetEntry(entry, &size);
  if (!bytes || !g_device) return 0;
  plat::MeshData data;
  std::vector<plat::MeshMaterial> materials;
  if (!plat::LoadXMesh(bytes, size, data, materials)) return 0;
  record->mesh = g_device->CreateMesh(std::move(data));
  if (!record->mesh) return 0;
  record->materialCount = static_cast<uint32_t>(materials.size());
  record->materials.resize(materials.size());
  record->materialTextures.resize(materials.size());
  for (size_t i = 0; i < materials.size(); ++i) {
    record->materials[i] = materials[i].material;
    if (materials[i].textureFile.empty()) continue;
    TextureLoadEntry(&record->materialTextures[i], kEntryMaterialTextureFirst + g_meshTextureCount);
    ++g_meshTextureCount;
  }
  return MeshComputeBounds(record);
}

int MeshComputeBounds(MeshRecord* record) {
  if (!record->mesh || record->mesh->Data().vertices.empty()) return 0;
  glm::vec3 min, max, centre;
  float radius = 0;
  plat::ComputeBoundingBox(record->mesh->Data(), min, max);
  plat::ComputeBoundingSphere(record->mesh->Data(), centre, radius);
  for (int i = 0; i < 3; ++i) {
    record->boxMin[i] = min[i];
    record->boxMax[i] = max[i];
  }
  record->sizeY = max.y - min.y;
  record->sizeX = max.x - min.x;
  record->sizeZ = max.z - min.z;
  record->radius = radius;
  return 1;
}

int MeshCreateSphere(MeshRecord* record, uint32_t slices, float radius, uint32_t colour) {
  *record = MeshRecord{};
  if (!g_device) return 0;
  plat::MeshData data;
  plat::BuildSphere(data, radius, slices, slices);
  return StoreShape(record, std::move(data), colour);
}

int MeshCreateTorus(MeshRecord* record, float inner, float outer, uint32_t sides, uint32_t rings, uint32_t colour) {
  *record = MeshRecord{};
  if (!g_device) return 0;
  plat::MeshData data;
  plat::BuildTorus(data, inner, outer, sides, rings);
  return StoreShape(record, std::move(data), colour);
}

// Blending and texture-times-colour shading are how the device always draws; what is
// left to set is a clean texture stage.
void GraphicsSetRenderStates() {
  if (g_device) g_device->SetTexture(nullptr);
}

void GraphicsSetViewport() {
  g_viewport = plat::Viewport{0, 0, 640, 480, 0.0f, 1.0f};
  if (g_device) g_device->SetViewport(g_viewport);
}

void GraphicsSetupCamera() {
  CameraSetView(kFirstViewAt, kFirstViewEye);
  FrustumUpdate();
}

void SetZEnable(int flag) {
  if (g_device) g_device->SetZEnable(flag != 0);
}
