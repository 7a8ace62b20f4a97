// X meshes: loaded as the renderer loads a model, then its bounds computed.
#include <cstddef>
#include <cstdint>
#include <glm/vec3.hpp>
#include <vector>

#include "platform/mesh_io.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::MeshData mesh;
  std::vector<plat::MeshMaterial> materials;
  if (!plat::LoadXMesh(data, size, mesh, materials)) return 0;
  glm::vec3 min, max, centre;
  float radius = 0.0f;
  plat::ComputeBoundingBox(mesh, min, max);
  plat::ComputeBoundingSphere(mesh, centre, radius);
  return 0;
}
