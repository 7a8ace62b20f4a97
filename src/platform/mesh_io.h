// Meshes from X files in memory, the two built shapes, and bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <glm/vec3.hpp>
#include <string>
#include <vector>

#include "platform/gpu.h"

namespace plat {

struct MeshMaterial {
  Material material;
  std::string textureFile;  // empty when the material names no texture
};

// Loads an X file: geometry grouped into one subset per material, materials in the
// order the file lists them. False on anything malformed; never reads past size.
bool LoadXMesh(const uint8_t* bytes, size_t size, MeshData& mesh, std::vector<MeshMaterial>& materials);

// A sphere around the origin (stacks from +y to -y) and a torus lying around the z
// axis; `inner` is the tube's radius, `outer` the ring's. One subset, white vertices.
void BuildSphere(MeshData& out, float radius, uint32_t slices, uint32_t stacks);
void BuildTorus(MeshData& out, float inner, float outer, uint32_t sides, uint32_t rings);

void ComputeBoundingBox(const MeshData& mesh, glm::vec3& min, glm::vec3& max);
// Centre and radius of a sphere holding every vertex.
void ComputeBoundingSphere(const MeshData& mesh, glm::vec3& centre, float& radius);

}  // namespace plat
