// The drawing device the engine renders through.
//
// A small fixed-function device: textured screen quads and world quads drawn as
// four-vertex fans, meshes drawn subset by subset, three transforms, a depth buffer
// with less-or-equal testing, source-alpha blending and texture-times-vertex-colour
// shading. Matrices use row vectors (v * World * View * Projection), left-handed, with
// clip depth 0 to 1. Two back ends implement it: OpenGL for play and a recorder that
// keeps the list of draw calls for tests.
#pragma once

#include <cstdint>
#include <glm/mat4x4.hpp>
#include <memory>
#include <string>
#include <vector>

struct SDL_Window;

namespace plat {

// A pre-transformed screen vertex: pixels, y downward.
struct ScreenVertex {
  float x, y, z, rhw;
  uint32_t colour;  // ARGB
  float u, v;
};
static_assert(sizeof(ScreenVertex) == 28);

// A world vertex.
struct WorldVertex {
  float x, y, z;
  uint32_t colour;  // ARGB
  float u, v;
};
static_assert(sizeof(WorldVertex) == 24);

// Decoded picture, rows top first, one ARGB word a pixel.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

struct Colour4 {
  float r = 0, g = 0, b = 0, a = 0;
};

struct Material {
  Colour4 diffuse, ambient, specular, emissive;
  float power = 0;
};

// Mesh geometry on the CPU side. Triangles are grouped by subset (attribute id);
// subset i is drawn with material i.
struct MeshVertex {
  float x, y, z;
  float nx, ny, nz;
  uint32_t colour;  // ARGB, used when the mesh is drawn unlit
  float u, v;
};
struct MeshSubset {
  uint32_t firstIndex = 0;
  uint32_t indexCount = 0;
};
struct MeshData {
  std::vector<MeshVertex> vertices;
  std::vector<uint32_t> indices;
  std::vector<MeshSubset> subsets;  // index = attribute id
};

class Texture {
 public:
  virtual ~Texture() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};

class Mesh {
 public:
  virtual ~Mesh() = default;
  virtual const MeshData& Data() const = 0;
  // Re-uploads after the CPU copy changed (vertex colours written after creation).
  virtual void SetData(MeshData data) = 0;
};

struct DeviceParams {
  bool windowed = true;
  bool colour32 = true;  // full-screen back buffer depth
  bool vsync = true;
  bool depth24 = true;
  int refreshRate = 0;                    // full screen only; 0 = default
  bool softwareVertexProcessing = false;  // the second attempt of each round
};

struct Viewport {
  int x = 0, y = 0, width = 640, height = 480;
  float minZ = 0.0f, maxZ = 1.0f;
};

// What one presented frame asked of the back end.
struct FrameStats {
  int drawCalls = 0;
  int textures = 0;  // distinct textures drawn with
};

// Where a presented frame went on the window: the drawable's size as the device found it
// and the rectangle the 640 by 480 picture was scaled into, in pixels from the top left.
struct ShownPicture {
  int drawableWidth = 640, drawableHeight = 480;
  int x = 0, y = 0, width = 640, height = 480;
};

enum class TransformKind { World, View, Projection };
enum class PresentResult { Ok, DeviceLost };
// Which vertex layout the next draw uses; the engine sets it before each draw.
enum class VertexFormat { None, Screen, WorldTextured, WorldColoured };

class Device {
 public:
  virtual ~Device() = default;

  virtual std::unique_ptr<Texture> CreateTexture(const Image& image) = 0;
  // Room for `count` textures of this size about to be made, taken in one piece, so
  // that making them one by one never moves what is there already. Only a hint.
  virtual void ReserveTextures(int width, int height, int count) = 0;
  virtual std::unique_ptr<Mesh> CreateMesh(MeshData data) = 0;

  virtual void Clear(uint32_t argb, float z) = 0;
  virtual void BeginScene() = 0;
  virtual void EndScene() = 0;
  virtual PresentResult Present() = 0;

  virtual void SetViewport(const Viewport& viewport) = 0;
  virtual void SetTransform(TransformKind kind, const glm::mat4& m) = 0;
  virtual glm::mat4 GetTransform(TransformKind kind) const = 0;
  virtual void SetZEnable(bool on) = 0;  // test and writes together
  virtual void SetLighting(bool on) = 0;
  virtual void SetMaterial(const Material& material) = 0;
  virtual void SetTexture(const Texture* texture) = 0;  // nullptr: vertex colour alone
  virtual void SetVertexFormat(VertexFormat format) = 0;
  // Unlit meshes drawn while it is on glow: each vertex colour is shaded by how squarely
  // the vertex faces the eye, faint and lighting what lies behind head on, thick and
  // pale at the rim, and the mesh is blended over the scene without writing depth, so
  // it hides nothing drawn after it.
  virtual void SetGlow(bool on) = 0;

  // Four vertices as a triangle fan: top-left, top-right, bottom-right, bottom-left.
  virtual void DrawScreenFan(const ScreenVertex* vertices) = 0;
  virtual void DrawWorldFan(const WorldVertex* vertices) = 0;
  // With lighting on: the material's emissive colour (alpha from diffuse) times the
  // texture. With lighting off: vertex colour (shaded when glowing) times the texture.
  virtual void DrawMeshSubset(const Mesh& mesh, uint32_t subset) = 0;

  // The last presented frame as ARGB pixels, rows top first (empty where unsupported).
  virtual Image ReadFrame() = 0;
  // The draw calls of the last presented frame as the back end issued them.
  virtual FrameStats LastFrameStats() const = 0;
  // Where the last presented frame went; a device without a window shows it as it is.
  virtual ShownPicture LastShown() const { return {}; }
};

// Another way to make devices than OpenGL (a test's recorder); null restores OpenGL.
using DeviceFactory = std::unique_ptr<Device> (*)(SDL_Window* window, const DeviceParams& params);
void SetDeviceFactory(DeviceFactory factory);
// Creates the device on the window. nullptr on failure.
std::unique_ptr<Device> CreateDevice(SDL_Window* window, const DeviceParams& params);

}  // namespace plat
