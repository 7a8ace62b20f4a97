#include "platform/mesh_io.h"

#include <algorithm>
#include <cmath>

#include <glm/common.hpp>

namespace plat {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr uint32_t kWhite = 0xFFFFFFFF;

MeshVertex ShapeVertex(double x, double y, double z, double nx, double ny, double nz) {
  MeshVertex v{};
  v.x = static_cast<float>(x);
  v.y = static_cast<float>(y);
  v.z = static_cast<float>(z);
  v.nx = static_cast<float>(nx);
  v.ny = static_cast<float>(ny);
  v.nz = static_cast<float>(nz);
  v.colour = kWhite;
  return v;
}

void AddTriangle(MeshData& out, uint32_t a, uint32_t b, uint32_t c) {
  out.indices.insert(out.indices.end(), {a, b, c});
}

// Two triangles over the quad a-b on one ring and c-d on the next.
void AddQuad(MeshData& out, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  AddTriangle(out, a, c, b);
  AddTriangle(out, b, c, d);
}

void OneSubset(MeshData& out) { out.subsets = {{0, static_cast<uint32_t>(out.indices.size())}}; }

}  // namespace

// The top pole, stacks - 1 rings of `slices` vertices from top to bottom, the bottom
// pole; fans close the poles.
void BuildSphere(MeshData& out, float radius, uint32_t slices, uint32_t stacks) {
  out = MeshData{};
  if (slices < 2 || stacks < 2) return;
  const auto r = static_cast<double>(radius);
  out.vertices.push_back(ShapeVertex(0, r, 0, 0, 1, 0));
  for (uint32_t i = 1; i < stacks; ++i) {
    const double phi = kPi * i / stacks;
    for (uint32_t j = 0; j < slices; ++j) {
      const double theta = 2.0 * kPi * j / slices;
      const double nx = std::sin(phi) * std::cos(theta), ny = std::cos(phi), nz = std::sin(phi) * std::sin(theta);
      out.vertices.push_back(ShapeVertex(r * nx, r * ny, r * nz, nx, ny, nz));
    }
  }
  const auto bottom = static_cast<uint32_t>(out.vertices.size());
  out.vertices.push_back(ShapeVertex(0, -r, 0, 0, -1, 0));
  for (uint32_t j = 0; j < slices; ++j) AddTriangle(out, 0, 1 + (j + 1) % slices, 1 + j);
  for (uint32_t i = 0; i + 2 < stacks; ++i) {
    const uint32_t ring = 1 + i * slices;
    for (uint32_t j = 0; j < slices; ++j) {
      const uint32_t next = (j + 1) % slices;
      AddQuad(out, ring + j, ring + next, ring + slices + j, ring + slices + next);
    }
  }
  const uint32_t last = 1 + (stacks - 2) * slices;
  for (uint32_t j = 0; j < slices; ++j) AddTriangle(out, last + j, last + (j + 1) % slices, bottom);
  OneSubset(out);
}

// Rings go around the z axis at distance `outer`; each ring is a circle of `sides`
// vertices of radius `inner` around it.
void BuildTorus(MeshData& out, float inner, float outer, uint32_t sides, uint32_t rings) {
  out = MeshData{};
  if (sides < 3 || rings < 3) return;
  const auto tube = static_cast<double>(inner), around = static_cast<double>(outer);
  for (uint32_t i = 0; i < rings; ++i) {
    const double theta = 2.0 * kPi * i / rings;
    const double cx = std::cos(theta), cy = std::sin(theta);
    for (uint32_t j = 0; j < sides; ++j) {
      const double phi = 2.0 * kPi * j / sides;
      const double nx = std::cos(phi) * cx, ny = std::cos(phi) * cy, nz = std::sin(phi);
      out.vertices.push_back(ShapeVertex(around * cx + tube * nx, around * cy + tube * ny, tube * nz, nx, ny, nz));
    }
  }
  for (uint32_t i = 0; i < rings; ++i) {
    const uint32_t ring = i * sides, nextRing = (i + 1) % rings * sides;
    for (uint32_t j = 0; j < sides; ++j) {
      const uint32_t next = (j + 1) % sides;
      AddQuad(out, ring + j, ring + next, nextRing + j, nextRing + next);
    }
  }
  OneSubset(out);
}

void ComputeBoundingBox(const MeshData& mesh, glm::vec3& min, glm::vec3& max) {
  min = max = glm::vec3(0.0f);
  if (mesh.vertices.empty()) return;
  min = max = glm::vec3(mesh.vertices[0].x, mesh.vertices[0].y, mesh.vertices[0].z);
  for (const MeshVertex& v : mesh.vertices) {
    const glm::vec3 p(v.x, v.y, v.z);
    min = glm::min(min, p);
    max = glm::max(max, p);
  }
}

// The centre is the mean of the vertices; the radius reaches the farthest one.
void ComputeBoundingSphere(const MeshData& mesh, glm::vec3& centre, float& radius) {
  centre = glm::vec3(0.0f);
  radius = 0.0f;
  if (mesh.vertices.empty()) return;
  double sx = 0, sy = 0, sz = 0;
  for (const MeshVertex& v : mesh.vertices) {
    sx += static_cast<double>(v.x);
    sy += static_cast<double>(v.y);
    sz += static_cast<double>(v.z);
  }
  const auto n = static_cast<double>(mesh.vertices.size());
  centre = glm::vec3(static_cast<float>(sx / n), static_cast<float>(sy / n), static_cast<float>(sz / n));
  float farthest = 0.0f;
  for (const MeshVertex& v : mesh.vertices) {
    const glm::vec3 d = glm::vec3(v.x, v.y, v.z) - centre;
    farthest = std::max(farthest, d.x * d.x + d.y * d.y + d.z * d.z);
  }
  radius = std::sqrt(farthest);
}

}  // namespace plat
