// Turns a model's triangles into what the game draws: one texture per model holding
// every paint with its shading baked in, and vertices whose texture coordinates pick
// the right shade. The game draws meshes unlit (each material's emissive colour times
// its texture), so the texture is where light and shade live.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "geometry.h"
#include "model_desc.h"

namespace meshgen {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // rows top first
};

struct BakedVertex {
  Vec3 pos;
  double u = 0, v = 0;  // v = 0 at the top row of the texture
};

struct BakedMesh {
  std::vector<BakedVertex> vertices;
  std::vector<double> materialAlpha;           // opaque material first, then translucent ones
  std::vector<std::array<uint32_t, 3>> faces;  // grouped by material
  std::vector<uint32_t> faceMaterial;
  Picture texture;
  Vec3 boxMin, boxMax;
};

// Texture layout shared with the tests: paint strips of kStripRows rows from the top,
// the front paint's strip first, so the front marker's vertices have v below
// kStripRows / texture height.
constexpr int kTextureWidth = 256;
constexpr int kStripRows = 4;
constexpr int kMaxStrips = 16;
constexpr int kTileSize = 64;

// Throws desc::Error when the model breaks a rule (no front paint, too many paints).
BakedMesh Bake(const Model& model, const Triangles& tris);

}  // namespace meshgen
