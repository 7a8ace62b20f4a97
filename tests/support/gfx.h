// Builders for the pictures and models the renderer reads, and a headless OpenGL
// window for pixel checks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gpu.h"
#include "support/files.h"

namespace test {

// A picture of the given size whose pixels come from f(x, y).
template <class F>
plat::Image MakeImage(int width, int height, F f) {
  plat::Image image;
  image.width = width;
  image.height = height;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image.pixels.push_back(f(x, y));
  }
  return image;
}
plat::Image SolidImage(int width, int height, uint32_t argb);

Bytes PngBytes(const plat::Image& image);
// Uncompressed BMP of 8 (palette of the picture's colours), 24 or 32 bits a pixel.
Bytes BmpBytes(const plat::Image& image, int bits, bool topDown);
Bytes JpegBytes(const plat::Image& image, int quality);

struct XMaterialDesc {
  float diffuse[4] = {1, 1, 1, 1};
  float power = 0;
  float specular[3] = {0, 0, 0};
  float emissive[3] = {0, 0, 0};
  std::string texture;  // empty: no TextureFilename
};

// A text X file with one mesh: face i is a triangle standing at x = 2i (corners (2i, 0, 0),
// (2i + 1, 0, 0), (2i, 1, 0)) using material faceMaterials[i]. Without materials the
// mesh has no material list.
std::string XMeshText(const std::vector<XMaterialDesc>& materials, const std::vector<int>& faceMaterials);
Bytes ToBytes(const std::string& text);

// Puts an archive image in place as if data.dat had been loaded; false if it is not a
// valid archive.
bool InstallArchive(const Bytes& image);

// The renderer's archive entries: 0 to 36 pictures (entry i a solid 4 by 4 picture),
// 37 onward the material pictures given, 127 onward the meshes given (a plain
// one-material mesh where none is given), the rest empty.
std::vector<Bytes> RendererEntries(const std::vector<Bytes>& materialPictures, const std::vector<Bytes>& meshes);
// A whole data.dat the game starts with (those entries and short sounds), for tests
// that do not need the authored data.
Bytes MinimalArchive();

// A hidden window on the offscreen driver with an OpenGL device made directly; the
// device is released before the window.
class GlWindow {
 public:
  explicit GlWindow(const plat::DeviceParams& params = {});
  ~GlWindow();
  GlWindow(const GlWindow&) = delete;
  GlWindow& operator=(const GlWindow&) = delete;
  plat::Device* device() const { return device_.get(); }
  std::unique_ptr<plat::Device>& owner() { return device_; }

 private:
  std::unique_ptr<plat::Device> device_;
};

// Keeps every library loaded so far in memory until the process ends. The GL driver is
// unloaded when the host shuts down, and the leak checker can then no longer name the
// driver's own long-lived allocations to let them pass.
void PinLoadedLibraries();

}  // namespace test
