#include "engine/draw.h"

#include <array>
#include <cmath>
#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>
#include <utility>

#include "engine/task.h"

namespace {
// The single-precision degrees-to-radians factor headings are converted with.
constexpr float kDegToRad = 0.0174532924f;
}  // namespace

// glm keeps element (row r, column c) of our row-vector matrices at m[r][c], so a
// product applying a first and then b is b * a in glm's terms.
glm::mat4 MatMultiply(const glm::mat4& a, const glm::mat4& b) { return b * a; }

glm::mat4 MatTranslation(float x, float y, float z) { return glm::translate(glm::mat4(1.0f), glm::vec3(x, y, z)); }

glm::mat4 MatRotationX(float radians) {
  const float c = std::cos(radians), s = std::sin(radians);
  glm::mat4 m(1.0f);
  m[1][1] = c;
  m[1][2] = s;
  m[2][1] = -s;
  m[2][2] = c;
  return m;
}

glm::mat4 MatRotationY(float radians) {
  const float c = std::cos(radians), s = std::sin(radians);
  glm::mat4 m(1.0f);
  m[0][0] = c;
  m[0][2] = -s;
  m[2][0] = s;
  m[2][2] = c;
  return m;
}

glm::mat4 MatRotationZ(float radians) {
  const float c = std::cos(radians), s = std::sin(radians);
  glm::mat4 m(1.0f);
  m[0][0] = c;
  m[0][1] = s;
  m[1][0] = -s;
  m[1][1] = c;
  return m;
}

glm::mat4 MatLookAtLH(const glm::vec3& eye, const glm::vec3& at, const glm::vec3& up) {
  return glm::lookAtLH(eye, at, up);
}

glm::mat4 MatPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar) {
  return glm::perspectiveLH_ZO(fovY, aspect, zNear, zFar);
}

glm::vec3 Vec3Project(const glm::vec3& p, const plat::Viewport& vp, const glm::mat4& projection, const glm::mat4& view,
                      const glm::mat4& world) {
  const glm::mat4 m = MatMultiply(MatMultiply(world, view), projection);
  const glm::vec4 clip = m * glm::vec4(p, 1.0f);
  const glm::vec3 ndc = glm::vec3(clip) / clip.w;
  return {static_cast<float>(vp.x) + (1.0f + ndc.x) * static_cast<float>(vp.width) / 2.0f,
          static_cast<float>(vp.y) + (1.0f - ndc.y) * static_cast<float>(vp.height) / 2.0f,
          vp.minZ + ndc.z * (vp.maxZ - vp.minZ)};
}

void DrawQuad2D(const AtlasRect& d, const AtlasRect& s, float texW, float texH, uint32_t colour,
                const plat::Texture* texture) {
  const float corners[8] = {d.left, d.top, d.right, d.top, d.right, d.bottom, d.left, d.bottom};
  const float tex[8] = {s.left, s.top, s.right, s.top, s.right, s.bottom, s.left, s.bottom};
  DrawQuad2DCorners(corners, tex, texW, texH, colour, texture);
}

// The half-pixel shift puts texel centres on pixel centres, so a picture drawn at its
// own size lands texel for texel.
void DrawQuad2DCorners(const float corners[8], const float texCorners[8], float texW, float texH, uint32_t colour,
                       const plat::Texture* texture) {
  if (!g_device) return;
  Vertex2D v[4];
  for (int i = 0; i < 4; ++i) {
    v[i] = Vertex2D{corners[2 * i] - 0.5f,    corners[2 * i + 1] - 0.5f,   0.0f, 1.0f, colour,
                    texCorners[2 * i] / texW, texCorners[2 * i + 1] / texH};
  }
  g_device->SetTexture(texture);
  g_device->SetVertexFormat(plat::VertexFormat::Screen);
  g_device->DrawScreenFan(v);
}

void SetVertex3D(Vertex3D* v, float x, float y, float z, float u, float w) { *v = Vertex3D{x, y, z, 0xFFFFFFFF, u, w}; }

void DrawQuad3D(const Vertex3D vertices[4], uint32_t colour, const plat::Texture* texture) {
  if (!g_device) return;
  Vertex3D v[4];
  for (int i = 0; i < 4; ++i) {
    v[i] = vertices[i];
    v[i].colour = colour;
  }
  g_device->SetTexture(texture);
  g_device->SetVertexFormat(plat::VertexFormat::WorldTextured);
  g_device->DrawWorldFan(v);
}

void DrawMesh(const MeshRecord& record, const glm::mat4& world) {
  if (!g_device || !record.mesh) return;
  g_device->SetTransform(plat::TransformKind::World, world);
  g_device->SetVertexFormat(plat::VertexFormat::WorldTextured);
  g_device->SetLighting(true);
  for (uint32_t i = 0; i < record.materialCount; ++i) {
    g_device->SetMaterial(record.materials[i]);
    g_device->SetTexture(record.materialTextures[i].get());
    g_device->DrawMeshSubset(*record.mesh, i);
  }
  g_device->SetLighting(false);
}

namespace {

void DrawShape(const MeshRecord& record, const glm::mat4& world, bool glow) {
  if (!g_device || !record.mesh) return;
  g_device->SetTransform(plat::TransformKind::World, world);
  g_device->SetVertexFormat(plat::VertexFormat::WorldColoured);
  g_device->SetTexture(nullptr);
  g_device->SetGlow(glow);
  g_device->DrawMeshSubset(*record.mesh, 0);
  g_device->SetGlow(false);
}

glm::mat4 TurnedAndMoved(float x, float y, float z, float degrees) {
  const float radians = static_cast<float>(static_cast<double>(degrees) * 3.141592653589793 / 180.0);
  return MatMultiply(MatRotationY(radians), MatTranslation(x, y, z));
}

// A held glow keeps the view it was asked for under.
struct HeldGlow {
  const MeshRecord* record;
  glm::mat4 world, view, projection;
};
// One a task of the scene is room enough; a shape past them is drawn at once.
constexpr size_t kGlowsHeldMax = kTaskSceneEnd;
std::array<HeldGlow, kGlowsHeldMax> g_heldGlows;
size_t g_heldGlowCount = 0;
bool g_holdingGlows = false;

void DrawGlow(const MeshRecord& record, const glm::mat4& world) {
  if (!g_device || !record.mesh) return;
  if (!g_holdingGlows || g_heldGlowCount == kGlowsHeldMax) {
    DrawShape(record, world, true);
    return;
  }
  g_heldGlows[g_heldGlowCount++] = {&record, world, g_device->GetTransform(plat::TransformKind::View),
                                    g_device->GetTransform(plat::TransformKind::Projection)};
}

}  // namespace

void DrawShapeAt(const MeshRecord& record, float x, float y, float z) {
  DrawShape(record, MatTranslation(x, y, z), false);
}

void DrawShapeAtRotY(const MeshRecord& record, float x, float y, float z, float degrees) {
  DrawShape(record, TurnedAndMoved(x, y, z, degrees), false);
}

void DrawGlowAt(const MeshRecord& record, float x, float y, float z) { DrawGlow(record, MatTranslation(x, y, z)); }

void DrawGlowAtRotY(const MeshRecord& record, float x, float y, float z, float degrees) {
  DrawGlow(record, TurnedAndMoved(x, y, z, degrees));
}

void DrawGlowsHold() {
  g_heldGlowCount = 0;
  g_holdingGlows = true;
}

// Whatever draws next finds the transforms as the scene left them.
void DrawGlowsHeld() {
  g_holdingGlows = false;
  const size_t count = std::exchange(g_heldGlowCount, 0);
  if (!g_device || count == 0) return;
  glm::mat4 kept[3];
  for (const auto kind : {plat::TransformKind::World, plat::TransformKind::View, plat::TransformKind::Projection}) {
    kept[static_cast<int>(kind)] = g_device->GetTransform(kind);
  }
  for (size_t i = 0; i < count; ++i) {
    const HeldGlow& glow = g_heldGlows[i];
    g_device->SetTransform(plat::TransformKind::View, glow.view);
    g_device->SetTransform(plat::TransformKind::Projection, glow.projection);
    DrawShape(*glow.record, glow.world, true);
  }
  for (const auto kind : {plat::TransformKind::World, plat::TransformKind::View, plat::TransformKind::Projection}) {
    g_device->SetTransform(kind, kept[static_cast<int>(kind)]);
  }
}

namespace {
// Below 0 gains 360 once; above 360 (not 360 itself) loses 360 once.
glm::mat4 YawFor(float* heading) {
  float h = *heading;
  if (h < 0.0f) h += 360.0f;
  if (h > 360.0f) h -= 360.0f;
  *heading = h;
  return MatRotationY((-90.0f - h) * kDegToRad);
}
}  // namespace

void BuildWorldYaw(glm::mat4* out, float x, float y, float z, float* heading) {
  *out = MatMultiply(YawFor(heading), MatTranslation(x, y, z));
}

void BuildWorldYawRollPitch(glm::mat4* out, float x, float y, float z, float* heading, float pitch, float roll) {
  const glm::mat4 yaw = YawFor(heading);
  const glm::mat4 r = MatRotationZ(roll * kDegToRad);
  const glm::mat4 p = MatRotationX(pitch * kDegToRad);
  *out = MatMultiply(MatMultiply(MatMultiply(yaw, r), p), MatTranslation(x, y, z));
}
