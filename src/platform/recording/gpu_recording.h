// A device that draws nothing and keeps every call, so tests can check what a frame
// would show: which texture, which corners, which colour, which transforms.
#pragma once

#include <array>
#include <vector>

#include "platform/gpu.h"

namespace plat {

struct DrawRecord {
  enum class Kind { Clear, Screen, World, MeshSubset, Present };
  Kind kind = Kind::Clear;
  const Texture* texture = nullptr;  // as set when the call was made
  ScreenVertex screen[4] = {};
  WorldVertex world[4] = {};
  const Mesh* mesh = nullptr;
  uint32_t subset = 0;
  Material material{};
  glm::mat4 worldMatrix{1.0f}, view{1.0f}, projection{1.0f};
  bool zEnable = true;
  bool lighting = false;
  bool glow = false;
  VertexFormat format = VertexFormat::None;
  uint32_t clearColour = 0;
};

class RecordingDevice final : public Device {
 public:
  ~RecordingDevice() override;
  std::unique_ptr<Texture> CreateTexture(const Image& image) override;
  void ReserveTextures(int width, int height, int count) override;
  std::unique_ptr<Mesh> CreateMesh(MeshData data) override;
  void Clear(uint32_t argb, float z) override;
  void BeginScene() override;
  void EndScene() override;
  PresentResult Present() override;
  void SetViewport(const Viewport& viewport) override;
  void SetTransform(TransformKind kind, const glm::mat4& m) override;
  glm::mat4 GetTransform(TransformKind kind) const override;
  void SetZEnable(bool on) override;
  void SetLighting(bool on) override;
  void SetMaterial(const Material& material) override;
  void SetTexture(const Texture* texture) override;
  void SetVertexFormat(VertexFormat format) override;
  void SetGlow(bool on) override;
  void DrawScreenFan(const ScreenVertex* vertices) override;
  void DrawWorldFan(const WorldVertex* vertices) override;
  void DrawMeshSubset(const Mesh& mesh, uint32_t subset) override;
  Image ReadFrame() override { return {}; }
  FrameStats LastFrameStats() const override;

  // Calls since the last Present (the frame being built) and of the last whole frame.
  std::vector<DrawRecord> current;
  std::vector<DrawRecord> lastFrame;
  int presentCount = 0;
  // Every reservation asked for: width, height, count.
  std::vector<std::array<int, 3>> reservations;
  // Set to make the next Present report a lost device.
  bool loseDeviceOnNextPresent = false;
  bool inScene = false;
  Viewport viewport{};
  bool zEnable = true;
  bool lighting = false;
  bool glow = false;

 private:
  DrawRecord& Add(DrawRecord::Kind kind);
  glm::mat4 world_{1.0f}, view_{1.0f}, projection_{1.0f};
  Material material_{};
  const Texture* texture_ = nullptr;
  VertexFormat format_ = VertexFormat::None;
};

// Which devices CreateDevice makes: the recorder, or OpenGL on the window.
enum class DeviceBackend { OpenGL, Recording };
void SetDeviceBackend(DeviceBackend backend);
DeviceBackend GetDeviceBackend();
// The recorder most recently created by CreateDevice, or nullptr.
RecordingDevice* CurrentRecordingDevice();
// Device creation fails this many times in a row (0: never), and every creation attempt
// since the log was last cleared keeps its parameters.
void SetDeviceCreateFailures(int count);
std::vector<DeviceParams>& DeviceCreateLog();

}  // namespace plat
