#include "platform/recording/gpu_recording.h"

#include <set>

#include "platform/gpu_gl.h"

namespace plat {
namespace {

class RecordedTexture final : public Texture {
 public:
  explicit RecordedTexture(const Image& image) : width_(image.width), height_(image.height) {}
  int Width() const override { return width_; }
  int Height() const override { return height_; }

 private:
  int width_;
  int height_;
};

class RecordedMesh final : public Mesh {
 public:
  explicit RecordedMesh(MeshData data) : data_(std::move(data)) {}
  const MeshData& Data() const override { return data_; }
  void SetData(MeshData data) override { data_ = std::move(data); }

 private:
  MeshData data_;
};

RecordingDevice* g_currentRecorder = nullptr;
DeviceBackend g_backend = DeviceBackend::OpenGL;
int g_failuresLeft = 0;
std::vector<DeviceParams> g_createLog;

// Every creation is logged and may be made to fail before it reaches a backend.
std::unique_ptr<Device> CreateLoggedDevice(SDL_Window* window, const DeviceParams& params) {
  g_createLog.push_back(params);
  if (g_failuresLeft > 0) {
    --g_failuresLeft;
    return nullptr;
  }
  if (g_backend == DeviceBackend::OpenGL) return CreateGlDevice(window, params);
  auto device = std::make_unique<RecordingDevice>();
  g_currentRecorder = device.get();
  return device;
}

}  // namespace

void SetDeviceBackend(DeviceBackend backend) {
  g_backend = backend;
  SetDeviceFactory(CreateLoggedDevice);
}
DeviceBackend GetDeviceBackend() { return g_backend; }
void SetDeviceCreateFailures(int count) {
  g_failuresLeft = count;
  SetDeviceFactory(CreateLoggedDevice);
}
std::vector<DeviceParams>& DeviceCreateLog() { return g_createLog; }
RecordingDevice* CurrentRecordingDevice() { return g_currentRecorder; }

RecordingDevice::~RecordingDevice() {
  if (g_currentRecorder == this) g_currentRecorder = nullptr;
}

std::unique_ptr<Texture> RecordingDevice::CreateTexture(const Image& image) {
  if (image.width <= 0 || image.height <= 0) return nullptr;
  return std::make_unique<RecordedTexture>(image);
}

void RecordingDevice::ReserveTextures(int width, int height, int count) {
  reservations.push_back({width, height, count});
}

std::unique_ptr<Mesh> RecordingDevice::CreateMesh(MeshData data) {
  return std::make_unique<RecordedMesh>(std::move(data));
}

// Each call becomes a record built in place at the end of the frame's list.
DrawRecord& RecordingDevice::Add(DrawRecord::Kind kind) {
  DrawRecord& r = current.emplace_back();
  r.kind = kind;
  r.texture = texture_;
  r.material = material_;
  r.worldMatrix = world_;
  r.view = view_;
  r.projection = projection_;
  r.zEnable = zEnable;
  r.lighting = lighting;
  r.glow = glow;
  r.format = format_;
  return r;
}

void RecordingDevice::Clear(uint32_t argb, float) { Add(DrawRecord::Kind::Clear).clearColour = argb; }

void RecordingDevice::BeginScene() { inScene = true; }
void RecordingDevice::EndScene() { inScene = false; }

// The two lists trade places, so neither gives its room back and frames after the first
// record without allocating.
PresentResult RecordingDevice::Present() {
  Add(DrawRecord::Kind::Present);
  lastFrame.swap(current);
  current.clear();
  ++presentCount;
  if (loseDeviceOnNextPresent) {
    loseDeviceOnNextPresent = false;
    return PresentResult::DeviceLost;
  }
  return PresentResult::Ok;
}

void RecordingDevice::SetViewport(const Viewport& v) { viewport = v; }

void RecordingDevice::SetTransform(TransformKind kind, const glm::mat4& m) {
  switch (kind) {
    case TransformKind::World: world_ = m; break;
    case TransformKind::View: view_ = m; break;
    case TransformKind::Projection: projection_ = m; break;
  }
}

glm::mat4 RecordingDevice::GetTransform(TransformKind kind) const {
  switch (kind) {
    case TransformKind::World: return world_;
    case TransformKind::View: return view_;
    case TransformKind::Projection: return projection_;
  }
  return glm::mat4{1.0f};
}

void RecordingDevice::SetZEnable(bool on) { zEnable = on; }
void RecordingDevice::SetLighting(bool on) { lighting = on; }
void RecordingDevice::SetMaterial(const Material& m) { material_ = m; }
void RecordingDevice::SetTexture(const Texture* t) { texture_ = t; }
void RecordingDevice::SetVertexFormat(VertexFormat f) { format_ = f; }
void RecordingDevice::SetGlow(bool on) { glow = on; }

void RecordingDevice::DrawScreenFan(const ScreenVertex* v) {
  DrawRecord& r = Add(DrawRecord::Kind::Screen);
  for (int i = 0; i < 4; ++i) r.screen[i] = v[i];
}

void RecordingDevice::DrawWorldFan(const WorldVertex* v) {
  DrawRecord& r = Add(DrawRecord::Kind::World);
  for (int i = 0; i < 4; ++i) r.world[i] = v[i];
}

void RecordingDevice::DrawMeshSubset(const Mesh& mesh, uint32_t subset) {
  DrawRecord& r = Add(DrawRecord::Kind::MeshSubset);
  r.mesh = &mesh;
  r.subset = subset;
}

FrameStats RecordingDevice::LastFrameStats() const {
  FrameStats stats;
  std::set<const Texture*> textures;
  for (const DrawRecord& r : lastFrame) {
    if (r.kind == DrawRecord::Kind::Clear || r.kind == DrawRecord::Kind::Present) continue;
    ++stats.drawCalls;
    if (r.texture) textures.insert(r.texture);
  }
  stats.textures = static_cast<int>(textures.size());
  return stats;
}

}  // namespace plat
