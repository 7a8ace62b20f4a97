#include "bake.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "decals.h"

namespace meshgen {

namespace {

using desc::Fail;

uint8_t Byte(double c) { return static_cast<uint8_t>(std::lround(std::clamp(c, 0.0, 1.0) * 255.0)); }

void PutPixel(Picture& pic, int x, int y, const double rgb[3]) {
  uint8_t* p = &pic.rgba[(static_cast<size_t>(y) * pic.width + x) * 4];
  p[0] = Byte(rgb[0]);
  p[1] = Byte(rgb[1]);
  p[2] = Byte(rgb[2]);
  p[3] = 255;
  // Opaque pure green is the game's colour key (transparent); keep clear of it.
  if (p[0] == 0 && p[1] == 255 && p[2] == 0) p[1] = 254;
}

constexpr int kLightSteps = 12;  // shades a decal is baked in

struct Layout {
  std::vector<int> strip;                   // per paint: strip row index or -1
  std::map<std::pair<int, int>, int> tile;  // (paint, light step) -> tile number
  std::vector<double> alphas;               // one material per alpha
};

int QuantiseLight(double light) { return static_cast<int>(std::lround(light * (kLightSteps - 1))); }

double TriangleLight(const Triangle& t, double height) {
  const Vec3 n = Normalise(t.c[0].normal + t.c[1].normal + t.c[2].normal);
  const double y = (t.c[0].pos.y + t.c[1].pos.y + t.c[2].pos.y) / 3.0;
  return LightLevel(n, y, height);
}

Layout PlanLayout(const Model& model, const Triangles& tris, double height) {
  Layout layout;
  std::vector<bool> used(model.paints.size(), false);
  for (const Triangle& t : tris) used[t.paint] = true;
  int front = -1;
  for (size_t i = 0; i < model.paints.size(); ++i) {
    if (!model.paints[i].front || !used[i]) continue;
    if (front >= 0) Fail(model.paints[i].where, "a model has one front paint");
    front = static_cast<int>(i);
  }
  if (front < 0) Fail(model.where, "model " + model.name + " has no front paint in use (mark one paint 'front')");
  layout.strip.assign(model.paints.size(), -1);
  int strips = 0;
  layout.strip[front] = strips++;
  for (size_t i = 0; i < model.paints.size(); ++i) {
    if (!used[i] || static_cast<int>(i) == front || model.paints[i].decal != DecalKind::None) continue;
    if (strips == kMaxStrips) Fail(model.paints[i].where, "too many plain paints in one model");
    layout.strip[i] = strips++;
  }
  for (const Triangle& t : tris) {
    if (model.paints[t.paint].decal == DecalKind::None) continue;
    const auto key = std::make_pair(t.paint, QuantiseLight(TriangleLight(t, height)));
    if (!layout.tile.count(key)) layout.tile[key] = static_cast<int>(layout.tile.size());
  }
  for (size_t i = 0; i < model.paints.size(); ++i) {
    if (used[i]) layout.alphas.push_back(model.paints[i].alpha);
  }
  std::sort(layout.alphas.begin(), layout.alphas.end(), std::greater<>());
  layout.alphas.erase(std::unique(layout.alphas.begin(), layout.alphas.end()), layout.alphas.end());
  return layout;
}

constexpr int kTilesPerRow = kTextureWidth / kTileSize;
constexpr int kStripArea = kStripRows * kMaxStrips;

void TileOrigin(int tile, int& x, int& y) {
  x = (tile % kTilesPerRow) * kTileSize;
  y = kStripArea + (tile / kTilesPerRow) * kTileSize;
}

Picture PaintTexture(const Model& model, const Layout& layout) {
  Picture pic;
  pic.width = kTextureWidth;
  const int tileRows = (static_cast<int>(layout.tile.size()) + kTilesPerRow - 1) / kTilesPerRow;
  pic.height = 64;
  while (pic.height < kStripArea + tileRows * kTileSize) pic.height *= 2;
  if (pic.height > 512) Fail(model.where, "model " + model.name + " uses too many decal shades");
  pic.rgba.assign(static_cast<size_t>(pic.width) * pic.height * 4, 0);
  for (int i = 0; i < pic.width * pic.height; ++i) pic.rgba[i * 4 + 3] = 255;
  for (size_t p = 0; p < model.paints.size(); ++p) {
    if (layout.strip[p] < 0) continue;
    const Paint& paint = model.paints[p];
    for (int x = 0; x < pic.width; ++x) {
      double rgb[3] = {paint.rgb[0], paint.rgb[1], paint.rgb[2]};
      if (!paint.glow) ShadeColour(paint.rgb, (x + 0.5) / pic.width, rgb);
      for (int r = 0; r < kStripRows; ++r) PutPixel(pic, x, layout.strip[p] * kStripRows + r, rgb);
    }
  }
  for (const auto& [key, tile] : layout.tile) {
    const Paint& paint = model.paints[key.first];
    const double light = key.second / static_cast<double>(kLightSteps - 1);
    int ox = 0, oy = 0;
    TileOrigin(tile, ox, oy);
    for (int y = 0; y < kTileSize; ++y) {
      for (int x = 0; x < kTileSize; ++x) {
        double rgb[3];
        DecalColour(paint.decal, (x + 0.5) / kTileSize, (y + 0.5) / kTileSize, paint.rgb, paint.accent, rgb);
        if (!paint.glow) ShadeColour(rgb, light, rgb);
        PutPixel(pic, ox + x, oy + y, rgb);
      }
    }
  }
  return pic;
}

class VertexPool {
 public:
  explicit VertexPool(std::vector<BakedVertex>& out) : out_(out) {}
  uint32_t Add(const BakedVertex& v) {
    // Vertices that print the same in the file are one vertex.
    auto q = [](double d) { return std::llround(d * 1e4); };
    const auto key = std::make_tuple(q(v.pos.x), q(v.pos.y), q(v.pos.z), q(v.u), q(v.v));
    auto it = index_.find(key);
    if (it != index_.end()) return it->second;
    const auto i = static_cast<uint32_t>(out_.size());
    out_.push_back(v);
    index_[key] = i;
    return i;
  }

 private:
  using Key = std::tuple<long long, long long, long long, long long, long long>;
  std::vector<BakedVertex>& out_;
  std::map<Key, uint32_t> index_;
};

}  // namespace

BakedMesh Bake(const Model& model, const Triangles& tris) {
  BakedMesh mesh;
  mesh.boxMin = mesh.boxMax = tris.front().c[0].pos;
  for (const Triangle& t : tris) {
    for (const Corner& c : t.c) {
      mesh.boxMin = {std::min(mesh.boxMin.x, c.pos.x), std::min(mesh.boxMin.y, c.pos.y),
                     std::min(mesh.boxMin.z, c.pos.z)};
      mesh.boxMax = {std::max(mesh.boxMax.x, c.pos.x), std::max(mesh.boxMax.y, c.pos.y),
                     std::max(mesh.boxMax.z, c.pos.z)};
    }
  }
  const double height = mesh.boxMax.y - mesh.boxMin.y;
  const Layout layout = PlanLayout(model, tris, height);
  mesh.texture = PaintTexture(model, layout);
  mesh.materialAlpha = layout.alphas;
  const double w = mesh.texture.width, h = mesh.texture.height;
  VertexPool pool(mesh.vertices);
  std::vector<std::pair<uint32_t, std::array<uint32_t, 3>>> faces;
  for (const Triangle& t : tris) {
    const Paint& paint = model.paints[t.paint];
    const double faceLight = TriangleLight(t, height);
    std::array<uint32_t, 3> face{};
    for (int k = 0; k < 3; ++k) {
      const Corner& c = t.c[k];
      BakedVertex v{c.pos, 0, 0};
      if (paint.decal != DecalKind::None) {
        int ox = 0, oy = 0;
        TileOrigin(layout.tile.at({t.paint, QuantiseLight(faceLight)}), ox, oy);
        v.u = (ox + 0.5 + c.du * (kTileSize - 1)) / w;
        v.v = (oy + 0.5 + c.dv * (kTileSize - 1)) / h;
      } else {
        const double light = t.flat ? faceLight : LightLevel(c.normal, c.pos.y, height);
        v.u = paint.glow ? 0.5 : (0.5 + light * (w - 1)) / w;
        v.v = (layout.strip[t.paint] * kStripRows + kStripRows / 2) / h;
      }
      face[k] = pool.Add(v);
    }
    const auto material = std::find(layout.alphas.begin(), layout.alphas.end(), paint.alpha) - layout.alphas.begin();
    faces.push_back({static_cast<uint32_t>(material), face});
  }
  std::stable_sort(faces.begin(), faces.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [material, face] : faces) {
    mesh.faces.push_back(face);
    mesh.faceMaterial.push_back(material);
  }
  return mesh;
}

}  // namespace meshgen
