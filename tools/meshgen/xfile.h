// Writes a baked mesh as a text X file: one Mesh with texture coordinates and its
// material list; every material names the model's texture.
#pragma once

#include <string>

#include "bake.h"

namespace meshgen {

std::string WriteXFile(const BakedMesh& mesh, const std::string& meshName, const std::string& textureName);

}  // namespace meshgen
