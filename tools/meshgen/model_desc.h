// Model descriptions: paints and a tree of primitives, read from the text files in
// content/models (the language is described in content/models/README.md).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "desc.h"
#include "geometry.h"

namespace meshgen {

enum class DecalKind { None, Planks, Boards, Stone, Bricks, Block, Runes, Sign, Mottle, Scales, Bark };

struct Paint {
  std::string name;
  double rgb[3] = {1, 1, 1};
  double accent[3] = {0, 0, 0};
  double alpha = 1.0;
  bool glow = false;   // unshaded: lamps, eyes, magic
  bool front = false;  // marks the model's front (eyes, a lock, a sign's face)
  DecalKind decal = DecalKind::None;
  std::string look;  // the person of the cast its colour is taken from (cast:<who>.<part>), or empty
  desc::Where where;
};

enum class ElementKind { Box, Ball, Tube, Lathe, Slab, Group, Use };

struct Element {
  ElementKind kind = ElementKind::Box;
  desc::Where where;
  std::string paint;
  Affine local;                 // the element's own placement in its parent
  bool mirror = false;          // also add a copy mirrored across x = 0 of the parent
  std::vector<double> numbers;  // endpoints and radii (tube), polygon (slab)
  double thickness = 0;
  int segments = 0;
  TubeEnds ends = TubeEnds::Flat;
  LatheShape lathe;
  std::string use;  // def name for Use
  std::vector<Element> children;
};

struct Model {
  int index = -1;
  std::string name;
  std::string role;
  std::string look;  // the one person of the cast whose colours it wears, or empty
  desc::Where where;
  std::vector<Paint> paints;
  std::vector<Element> elements;
};

struct Library {
  std::map<std::string, std::vector<Element>> defs;
  std::vector<Model> models;
};

// Reads one description file into the library; throws desc::Error.
void ReadModelFile(const std::string& path, Library& library);

// Turns a model's element tree into triangles in model space; throws desc::Error on
// unknown paints or defs.
Triangles BuildTriangles(const Model& model, const Library& library);

}  // namespace meshgen
