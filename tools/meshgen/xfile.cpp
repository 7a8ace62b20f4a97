#include "xfile.h"

#include <cstdio>

namespace meshgen {

namespace {

std::string Num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4f", v);
  std::string s = buf;
  if (s == "-0.0000") s = "0.0000";  // one spelling of zero keeps the bytes stable
  return s;
}

// "a;b;c;" followed by "," between items and ";" after the last.
void PositionList(std::string& out, const BakedMesh& mesh) {
  const size_t n = mesh.vertices.size();
  out += "  " + std::to_string(n) + ";\n";
  for (size_t i = 0; i < n; ++i) {
    const Vec3& p = mesh.vertices[i].pos;
    out += "  " + Num(p.x) + ";" + Num(p.y) + ";" + Num(p.z) + ";" + (i + 1 < n ? ",\n" : ";\n");
  }
}

void FaceList(std::string& out, const BakedMesh& mesh) {
  const size_t n = mesh.faces.size();
  out += "  " + std::to_string(n) + ";\n";
  for (size_t i = 0; i < n; ++i) {
    const auto& f = mesh.faces[i];
    out += "  3;" + std::to_string(f[0]) + "," + std::to_string(f[1]) + "," + std::to_string(f[2]) + ";" +
           (i + 1 < n ? ",\n" : ";\n");
  }
}

}  // namespace

std::string WriteXFile(const BakedMesh& mesh, const std::string& meshName, const std::string& textureName) {
  std::string out = "xof 0303txt 0032\n\n";
  out += "Mesh " + meshName + " {\n";
  PositionList(out, mesh);
  FaceList(out, mesh);
  // No normals: the game draws meshes unlit, so shading lives in the texture.
  out += "\n  MeshTextureCoords {\n";
  const size_t n = mesh.vertices.size();
  out += "  " + std::to_string(n) + ";\n";
  for (size_t i = 0; i < n; ++i) {
    out += "  " + Num(mesh.vertices[i].u) + ";" + Num(mesh.vertices[i].v) + ";" + (i + 1 < n ? ",\n" : ";\n");
  }
  out += "  }\n\n  MeshMaterialList {\n";
  out += "  " + std::to_string(mesh.materialAlpha.size()) + ";\n";
  out += "  " + std::to_string(mesh.faceMaterial.size()) + ";\n";
  for (size_t i = 0; i < mesh.faceMaterial.size(); ++i) {
    out += "  " + std::to_string(mesh.faceMaterial[i]) + (i + 1 < mesh.faceMaterial.size() ? ",\n" : ";\n");
  }
  for (size_t m = 0; m < mesh.materialAlpha.size(); ++m) {
    // White emissive: the texture carries the colours; diffuse alpha is the alpha.
    out += "\n  Material " + meshName + "_m" + std::to_string(m) + " {\n";
    out += "   1.000000;1.000000;1.000000;" + Num(mesh.materialAlpha[m]) + ";;\n";
    out += "   0.000000;\n   0.000000;0.000000;0.000000;;\n   1.000000;1.000000;1.000000;;\n";
    out += "   TextureFilename {\n    \"" + textureName + "\";\n   }\n  }\n";
  }
  out += "  }\n}\n";
  return out;
}

}  // namespace meshgen
