// meshgen: builds the game's models from their descriptions.
//
//   meshgen --out DIR [--sheet FILE] [--closeups DIR] DESCRIPTION...
//
// Writes DIR/mesh_000.x .. mesh_034.x (text X files), DIR/mesh_NNN.png (each model's
// texture), DIR/materials.list (the textures of all textured materials in load
// order, one absolute path a line) and DIR/index.txt (index, name, height, the person
// of the cast whose look it wears or "-", role).
// Nothing is written unless every model builds.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bake.h"
#include "desc.h"
#include "model_desc.h"
#include "png_io.h"
#include "preview.h"
#include "xfile.h"

namespace {

using namespace meshgen;

constexpr int kModelCount = 35;
constexpr int kMaxMaterialTextures = 90;
constexpr size_t kMaxVertices = 65535;  // 16-bit indices

struct Output {
  std::string path;
  std::vector<uint8_t> bytes;
};

struct Args {
  std::string outDir, sheet, closeups;
  std::vector<std::string> inputs;
};

bool ParseArgs(int argc, char** argv, Args& args) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if ((a == "--out" || a == "--sheet" || a == "--closeups") && i + 1 < argc) {
      (a == "--out" ? args.outDir : a == "--sheet" ? args.sheet : args.closeups) = argv[++i];
    } else if (a.rfind("--", 0) == 0) {
      return false;
    } else {
      args.inputs.push_back(a);
    }
  }
  return !args.outDir.empty() && !args.inputs.empty();
}

// "mesh_007" style names: prefix and a zero-padded number.
std::string Numbered(const std::string& prefix, int index, int digits) {
  std::string n = std::to_string(index);
  return prefix + std::string(static_cast<size_t>(std::max(0, digits - static_cast<int>(n.size()))), '0') + n;
}

std::vector<const Model*> ModelsByIndex(const Library& library) {
  std::vector<const Model*> byIndex(kModelCount, nullptr);
  for (const Model& m : library.models) {
    if (m.index < 0 || m.index >= kModelCount) desc::Fail(m.where, "model index must be 0 to 34");
    if (byIndex[m.index]) desc::Fail(m.where, "model " + std::to_string(m.index) + " is described twice");
    for (char c : m.name) {
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') desc::Fail(m.where, "model names use a-z, 0-9, _");
    }
    byIndex[m.index] = &m;
  }
  std::string missing;
  for (int i = 0; i < kModelCount; ++i) {
    if (!byIndex[i]) missing += " " + std::to_string(i);
  }
  if (!missing.empty()) throw desc::Error("no description for model(s):" + missing);
  return byIndex;
}

BakedMesh BuildModel(const Model& model, const Library& library) {
  const Triangles tris = BuildTriangles(model, library);
  if (tris.empty()) desc::Fail(model.where, "model " + model.name + " has no shapes");
  BakedMesh mesh = Bake(model, tris);
  if (std::fabs(mesh.boxMin.y) > 0.001) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "model %s: its lowest point is at y = %.4f; models stand on y = 0",
                  model.name.c_str(), mesh.boxMin.y);
    desc::Fail(model.where, buf);
  }
  if (mesh.vertices.size() > kMaxVertices) desc::Fail(model.where, "model " + model.name + " has too many vertices");
  return mesh;
}

Output Png(const std::string& path, const Picture& picture) {
  Output out{path, {}};
  if (!tool::EncodePngRgba(picture.width, picture.height, picture.rgba.data(), &out.bytes)) {
    throw desc::Error(path + ": PNG encoding failed");
  }
  return out;
}

Output Text(const std::string& path, const std::string& text) { return {path, {text.begin(), text.end()}}; }

int Run(const Args& args) {
  Library library;
  for (const std::string& path : args.inputs) ReadModelFile(path, library);
  const auto models = ModelsByIndex(library);
  const std::filesystem::path outDir = std::filesystem::absolute(args.outDir);
  std::vector<BakedMesh> meshes;
  for (const Model* m : models) meshes.push_back(BuildModel(*m, library));

  std::vector<Output> outputs;
  std::string list, index;
  int textures = 0;
  for (int i = 0; i < kModelCount; ++i) {
    const std::string stem = Numbered("mesh_", i, 3);
    const std::string png = (outDir / (stem + ".png")).string();
    outputs.push_back(Text((outDir / (stem + ".x")).string(), WriteXFile(meshes[i], models[i]->name, stem + ".png")));
    outputs.push_back(Png(png, meshes[i].texture));
    for (size_t k = 0; k < meshes[i].materialAlpha.size(); ++k) list += png + "\n";
    textures += static_cast<int>(meshes[i].materialAlpha.size());
    char line[160];
    std::snprintf(line, sizeof line, "%d\t%s\t%.3f\t", i, models[i]->name.c_str(), meshes[i].boxMax.y);
    index += line + (models[i]->look.empty() ? "-" : models[i]->look) + "\t" + models[i]->role + "\n";
  }
  if (textures > kMaxMaterialTextures) {
    throw desc::Error("the models use " + std::to_string(textures) + " material textures; the archive holds 90");
  }
  outputs.push_back(Text((outDir / "materials.list").string(), list));
  outputs.push_back(Text((outDir / "index.txt").string(), index));

  std::vector<PreviewEntry> entries;
  for (int i = 0; i < kModelCount; ++i) entries.push_back({i, models[i]->name, &meshes[i]});
  if (!args.sheet.empty()) outputs.push_back(Png(args.sheet, DrawSheet(entries)));
  if (!args.closeups.empty()) {
    for (const PreviewEntry& e : entries) {
      outputs.push_back(Png((std::filesystem::path(args.closeups) / (Numbered("model_", e.index, 2) + ".png")).string(),
                            DrawCloseUp(e)));
    }
  }
  for (const Output& o : outputs) {
    std::filesystem::create_directories(std::filesystem::path(o.path).parent_path());
    if (!desc::WriteBytes(o.path, o.bytes)) throw desc::Error(o.path + ": cannot write");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Args args;
  if (!ParseArgs(argc, argv, args)) {
    std::fprintf(stderr, "usage: meshgen --out DIR [--sheet FILE] [--closeups DIR] DESCRIPTION...\n");
    return 2;
  }
  try {
    return Run(args);
  } catch (const desc::Error& e) {
    std::fprintf(stderr, "meshgen: %s\n", e.what());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "meshgen: %s\n", e.what());
  }
  return 1;
}
