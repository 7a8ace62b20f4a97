#include "preview.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>

namespace meshgen {

namespace {

constexpr int kSuper = 2;  // supersampling per axis

struct Canvas {
  int w = 0, h = 0;
  std::vector<float> rgb;
  std::vector<float> depth;
  Canvas(int width, int height)
      : w(width), h(height), rgb(static_cast<size_t>(width) * height * 3), depth(rgb.size() / 3, 1e30f) {}
};

// Pixels per unit of x / z and y / z; the game's own projection stretches a square
// view over a 4:3 screen, so the two differ for the field view.
struct Camera {
  Vec3 eye, at;
  double kx = 1, ky = 1;
  Vec3 right, up, forward;
  void Aim() {
    forward = Normalise(at - eye);
    right = Normalise(Cross({0, 1, 0}, forward));
    up = Cross(forward, right);
  }
};

struct Projected {
  double x, y, z;
  bool ok;
};

Projected Project(const Camera& cam, const Canvas& c, Vec3 p) {
  const Vec3 d = p - cam.eye;
  const double z = Dot(d, cam.forward);
  if (z < 0.1) return {0, 0, 0, false};
  return {c.w * 0.5 + cam.kx * Dot(d, cam.right) / z, c.h * 0.5 - cam.ky * Dot(d, cam.up) / z, z, true};
}

using Shader = std::function<bool(double a, double b, float rgba[4])>;

// Perspective-correct fill of one triangle with two interpolated attributes.
void Fill(Canvas& c, const Projected v[3], const double attr[3][2], const Shader& shade) {
  if (!v[0].ok || !v[1].ok || !v[2].ok) return;
  const double area = (v[1].x - v[0].x) * (v[2].y - v[0].y) - (v[2].x - v[0].x) * (v[1].y - v[0].y);
  if (std::fabs(area) < 1e-9) return;
  const int x0 = std::max(0, static_cast<int>(std::floor(std::min({v[0].x, v[1].x, v[2].x}))));
  const int x1 = std::min(c.w - 1, static_cast<int>(std::ceil(std::max({v[0].x, v[1].x, v[2].x}))));
  const int y0 = std::max(0, static_cast<int>(std::floor(std::min({v[0].y, v[1].y, v[2].y}))));
  const int y1 = std::min(c.h - 1, static_cast<int>(std::ceil(std::max({v[0].y, v[1].y, v[2].y}))));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      double w[3];
      for (int k = 0; k < 3; ++k) {
        const Projected& a = v[(k + 1) % 3];
        const Projected& b = v[(k + 2) % 3];
        w[k] = ((b.x - a.x) * (py - a.y) - (px - a.x) * (b.y - a.y)) / area;
      }
      if (w[0] < 0 || w[1] < 0 || w[2] < 0) continue;
      const double iz = w[0] / v[0].z + w[1] / v[1].z + w[2] / v[2].z;
      const double z = 1.0 / iz;
      const size_t at = static_cast<size_t>(y) * c.w + x;
      if (z > static_cast<double>(c.depth[at])) continue;
      double a = 0, b = 0;
      for (int k = 0; k < 3; ++k) {
        a += w[k] / v[k].z * attr[k][0];
        b += w[k] / v[k].z * attr[k][1];
      }
      float rgba[4];
      if (!shade(a * z, b * z, rgba)) continue;
      c.depth[at] = static_cast<float>(z);
      for (int i = 0; i < 3; ++i) c.rgb[at * 3 + i] = c.rgb[at * 3 + i] * (1 - rgba[3]) + rgba[i] * rgba[3];
    }
  }
}

void DrawBackground(Canvas& c) {
  for (int y = 0; y < c.h; ++y) {
    const float t = static_cast<float>(y) / static_cast<float>(c.h);
    for (int x = 0; x < c.w; ++x) {
      float* p = &c.rgb[(static_cast<size_t>(y) * c.w + x) * 3];
      p[0] = 0.16f + 0.10f * t;
      p[1] = 0.18f + 0.10f * t;
      p[2] = 0.24f + 0.08f * t;
    }
  }
}

// The ground the model stands on, in 2-unit cells like the game's maps: each pixel's
// ray meets the plane y = 0.
void DrawGround(Canvas& c, const Camera& cam, double extent) {
  for (int y = 0; y < c.h; ++y) {
    for (int x = 0; x < c.w; ++x) {
      const Vec3 ray =
          cam.forward + cam.right * ((x + 0.5 - c.w * 0.5) / cam.kx) - cam.up * ((y + 0.5 - c.h * 0.5) / cam.ky);
      if (ray.y > -1e-6) continue;
      const double t = -cam.eye.y / ray.y;
      const double gx = cam.eye.x + ray.x * t, gz = cam.eye.z + ray.z * t;
      const bool dark = (static_cast<int>(std::floor((gx + 1) / 2)) + static_cast<int>(std::floor((gz + 1) / 2))) % 2;
      const float fade = static_cast<float>(std::clamp(1.0 - std::hypot(gx, gz) / extent, 0.0, 1.0)) * 0.9f;
      const float ground[3] = {dark ? 0.30f : 0.36f, dark ? 0.34f : 0.40f, dark ? 0.30f : 0.35f};
      float* p = &c.rgb[(static_cast<size_t>(y) * c.w + x) * 3];
      for (int i = 0; i < 3; ++i) p[i] = p[i] * (1 - fade) + ground[i] * fade;
    }
  }
}

void DrawMesh(Canvas& c, const Camera& cam, const BakedMesh& mesh, double yaw) {
  const Affine turn = RotationXyz({0, yaw, 0});
  std::vector<Projected> projected;
  for (const BakedVertex& v : mesh.vertices) projected.push_back(Project(cam, c, turn.Point(v.pos)));
  const Picture& tex = mesh.texture;
  for (size_t f = 0; f < mesh.faces.size(); ++f) {
    const float alpha = static_cast<float>(mesh.materialAlpha[mesh.faceMaterial[f]]);
    Projected v[3];
    double attr[3][2];
    for (int k = 0; k < 3; ++k) {
      const uint32_t i = mesh.faces[f][k];
      v[k] = projected[i];
      attr[k][0] = mesh.vertices[i].u;
      attr[k][1] = mesh.vertices[i].v;
    }
    // Point sampling, as the game's textures are drawn.
    Fill(c, v, attr, [&tex, alpha](double u, double vv, float rgba[4]) {
      const int x = std::clamp(static_cast<int>(u * tex.width), 0, tex.width - 1);
      const int y = std::clamp(static_cast<int>(vv * tex.height), 0, tex.height - 1);
      const uint8_t* p = &tex.rgba[(static_cast<size_t>(y) * tex.width + x) * 4];
      for (int i = 0; i < 3; ++i) rgba[i] = p[i] / 255.0f;
      rgba[3] = alpha * p[3] / 255.0f;
      return true;
    });
  }
}

// Averages kSuper x kSuper blocks into the picture at (ox, oy).
void Resolve(const Canvas& c, Picture& pic, int ox, int oy) {
  for (int y = 0; y < c.h / kSuper; ++y) {
    for (int x = 0; x < c.w / kSuper; ++x) {
      float sum[3] = {0, 0, 0};
      for (int sy = 0; sy < kSuper; ++sy) {
        for (int sx = 0; sx < kSuper; ++sx) {
          const float* p = &c.rgb[(static_cast<size_t>(y * kSuper + sy) * c.w + x * kSuper + sx) * 3];
          for (int i = 0; i < 3; ++i) sum[i] += p[i];
        }
      }
      const int px = ox + x, py = oy + y;
      if (px < 0 || py < 0 || px >= pic.width || py >= pic.height) continue;
      uint8_t* out = &pic.rgba[(static_cast<size_t>(py) * pic.width + px) * 4];
      for (int i = 0; i < 3; ++i)
        out[i] = static_cast<uint8_t>(std::clamp(sum[i] / (kSuper * kSuper), 0.0f, 1.0f) * 255.0f + 0.5f);
      out[3] = 255;
    }
  }
}

struct View {
  double azimuth;    // degrees from the model's front (-z) around toward +x
  double elevation;  // degrees above the horizon
};

// Renders one view of a model into the picture; `pixelsPerUnit` at `distance`.
void RenderView(Picture& pic, int ox, int oy, int w, int h, const BakedMesh& mesh, View view, double distance,
                double lookY, double fovHalfTan) {
  Canvas c(w * kSuper, h * kSuper);
  DrawBackground(c);
  Camera cam;
  const double az = view.azimuth * std::numbers::pi / 180, el = view.elevation * std::numbers::pi / 180;
  cam.at = {0, lookY, 0};
  cam.eye = cam.at + Vec3{std::sin(az) * std::cos(el), std::sin(el), -std::cos(az) * std::cos(el)} * distance;
  cam.kx = cam.ky = (c.h * 0.5) / fovHalfTan;
  cam.Aim();
  DrawGround(c, cam, 5.0);
  DrawMesh(c, cam, mesh, 0);
  Resolve(c, pic, ox, oy);
}

// The model as the field camera sees it (eye 60 up and 20 back, a 30-degree view
// stretched over 640 by 480), enlarged `zoom` times.
void RenderFieldView(Picture& pic, int ox, int oy, int w, int h, const BakedMesh& mesh, double zoom) {
  Canvas c(w * kSuper, h * kSuper);
  DrawBackground(c);
  Camera cam;
  cam.at = {0, 0.8, 0};
  cam.eye = {0, 60.8, -20};
  const double t = std::tan(15.0 * std::numbers::pi / 180);
  cam.kx = 320 * zoom * kSuper / t;
  cam.ky = 240 * zoom * kSuper / t;
  cam.Aim();
  DrawGround(c, cam, 3.0);
  DrawMesh(c, cam, mesh, 0);
  Resolve(c, pic, ox, oy);
}

// A 3 by 5 pixel font for the labels.
const char* Glyph(char ch) {
  static const std::array<std::pair<char, const char*>, 40> kFont = {{
      {'0', "111101101101111"}, {'1', "010110010010111"}, {'2', "111001111100111"}, {'3', "111001111001111"},
      {'4', "101101111001001"}, {'5', "111100111001111"}, {'6', "111100111101111"}, {'7', "111001010010010"},
      {'8', "111101111101111"}, {'9', "111101111001111"}, {'A', "010101111101101"}, {'B', "110101110101110"},
      {'C', "011100100100011"}, {'D', "110101101101110"}, {'E', "111100110100111"}, {'F', "111100110100100"},
      {'G', "011100101101011"}, {'H', "101101111101101"}, {'I', "111010010010111"}, {'J', "001001001101010"},
      {'K', "101101110101101"}, {'L', "100100100100111"}, {'M', "101111111101101"}, {'N', "110101101101101"},
      {'O', "010101101101010"}, {'P', "110101110100100"}, {'Q', "010101101110011"}, {'R', "110101110101101"},
      {'S', "011100010001110"}, {'T', "111010010010010"}, {'U', "101101101101111"}, {'V', "101101101101010"},
      {'W', "101101111111101"}, {'X', "101101010101101"}, {'Y', "101101010010010"}, {'Z', "111001010100111"},
      {'.', "000000000000010"}, {'-', "000000111000000"}, {'_', "000000000000111"}, {' ', "000000000000000"},
  }};
  for (const auto& [c, bits] : kFont) {
    if (c == ch) return bits;
  }
  return kFont.back().second;
}

void DrawLabel(Picture& pic, int x, int y, const std::string& text, int scale) {
  for (char raw : text) {
    const char ch = static_cast<char>(std::toupper(static_cast<unsigned char>(raw)));
    const char* bits = Glyph(ch);
    for (int r = 0; r < 5; ++r) {
      for (int col = 0; col < 3; ++col) {
        if (bits[r * 3 + col] != '1') continue;
        for (int sy = 0; sy < scale; ++sy) {
          for (int sx = 0; sx < scale; ++sx) {
            const int px = x + col * scale + sx, py = y + r * scale + sy;
            if (px < 0 || py < 0 || px >= pic.width || py >= pic.height) continue;
            uint8_t* p = &pic.rgba[(static_cast<size_t>(py) * pic.width + px) * 4];
            p[0] = p[1] = p[2] = 235;
          }
        }
      }
    }
    x += 4 * scale;
  }
}

Picture Blank(int w, int h) {
  Picture pic;
  pic.width = w;
  pic.height = h;
  pic.rgba.assign(static_cast<size_t>(w) * h * 4, 0);
  for (size_t i = 0; i < pic.rgba.size(); i += 4) {
    pic.rgba[i] = 24;
    pic.rgba[i + 1] = 26;
    pic.rgba[i + 2] = 32;
    pic.rgba[i + 3] = 255;
  }
  return pic;
}

std::string Caption(const PreviewEntry& e) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "%02d %s H%.2f", e.index, e.name.c_str(), e.mesh->boxMax.y - e.mesh->boxMin.y);
  return buf;
}

const View kViews[3] = {{-35, 14}, {90, 8}, {155, 18}};

}  // namespace

Picture DrawSheet(const std::vector<PreviewEntry>& entries) {
  const int viewW = 130, viewH = 180, fieldW = 80, labelH = 16, columns = 5;
  const int cellW = 3 * viewW + fieldW + 6, cellH = viewH + labelH + 4;
  const int rows = (static_cast<int>(entries.size()) + columns - 1) / columns;
  Picture pic = Blank(columns * cellW, rows * cellH);
  const double halfTan = std::tan(15.0 * std::numbers::pi / 180);
  for (size_t i = 0; i < entries.size(); ++i) {
    const int ox = static_cast<int>(i % columns) * cellW, oy = static_cast<int>(i / columns) * cellH;
    for (int v = 0; v < 3; ++v) {
      RenderView(pic, ox + v * viewW, oy, viewW, viewH, *entries[i].mesh, kViews[v], 7.3, 1.72, halfTan);
    }
    RenderFieldView(pic, ox + 3 * viewW, oy, fieldW, viewH, *entries[i].mesh, 3.0);
    DrawLabel(pic, ox + 4, oy + viewH + 3, Caption(entries[i]), 2);
  }
  return pic;
}

Picture DrawCloseUp(const PreviewEntry& entry) {
  const int viewW = 240, viewH = 300, labelH = 24;
  Picture pic = Blank(4 * viewW, viewH + labelH);
  const BakedMesh& m = *entry.mesh;
  const double size =
      std::max({m.boxMax.y - m.boxMin.y, (m.boxMax.x - m.boxMin.x) * 0.8, (m.boxMax.z - m.boxMin.z) * 0.8});
  const double halfTan = std::tan(15.0 * std::numbers::pi / 180);
  const double distance = size * 0.62 / halfTan + 1.0;
  const View views[4] = {{-35, 12}, {90, 6}, {160, 16}, {20, 55}};
  for (int v = 0; v < 4; ++v) {
    RenderView(pic, v * viewW, 0, viewW, viewH, m, views[v], distance, (m.boxMax.y + m.boxMin.y) * 0.5, halfTan);
  }
  DrawLabel(pic, 6, viewH + 5, Caption(entry), 3);
  return pic;
}

}  // namespace meshgen
