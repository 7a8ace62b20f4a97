#include "support/gfx.h"

#include <dlfcn.h>
#include <jpeglib.h>
#include <link.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>

#include "engine/archive.h"
#include "engine/task.h"
#include "platform/gpu_gl.h"
#include "platform/image.h"
#include "platform/window.h"
#include "png_io.h"

namespace test {

plat::Image SolidImage(int width, int height, uint32_t argb) {
  return MakeImage(width, height, [argb](int, int) { return argb; });
}

Bytes PngBytes(const plat::Image& image) {
  Bytes rgba;
  for (uint32_t p : image.pixels) {
    for (int shift : {16, 8, 0, 24}) rgba.push_back(static_cast<uint8_t>(p >> shift));
  }
  Bytes out;
  tool::EncodePngRgba(image.width, image.height, rgba.data(), &out);
  return out;
}

namespace {

void PutBgr(Bytes& out, uint32_t argb) {
  out.push_back(static_cast<uint8_t>(argb));
  out.push_back(static_cast<uint8_t>(argb >> 8));
  out.push_back(static_cast<uint8_t>(argb >> 16));
}

}  // namespace

Bytes BmpBytes(const plat::Image& image, int bits, bool topDown) {
  std::map<uint32_t, uint8_t> palette;
  if (bits == 8) {
    for (uint32_t p : image.pixels) palette.try_emplace(p, static_cast<uint8_t>(palette.size()));
  }
  const uint32_t stride = (static_cast<uint32_t>(image.width) * static_cast<uint32_t>(bits) + 31) / 32 * 4;
  const uint32_t paletteBytes = static_cast<uint32_t>(palette.size()) * 4;
  const uint32_t offset = 14 + 40 + paletteBytes;
  Bytes out = {'B', 'M'};
  PutU32(out, offset + stride * static_cast<uint32_t>(image.height));
  PutU32(out, 0);
  PutU32(out, offset);
  PutU32(out, 40);
  PutU32(out, static_cast<uint32_t>(image.width));
  PutU32(out, static_cast<uint32_t>(topDown ? -image.height : image.height));
  PutU16(out, 1);
  PutU16(out, static_cast<uint16_t>(bits));
  for (int i = 0; i < 4; ++i) PutU32(out, 0);  // compression, image size, resolution
  PutU32(out, static_cast<uint32_t>(palette.size()));
  PutU32(out, 0);
  std::vector<uint32_t> byIndex(palette.size());
  for (const auto& [colour, index] : palette) byIndex[index] = colour;
  for (uint32_t colour : byIndex) {
    PutBgr(out, colour);
    out.push_back(0);
  }
  for (int row = 0; row < image.height; ++row) {
    const int y = topDown ? row : image.height - 1 - row;
    const size_t start = out.size();
    for (int x = 0; x < image.width; ++x) {
      const uint32_t p =
          image.pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)];
      if (bits == 8) {
        out.push_back(palette[p]);
      } else {
        PutBgr(out, p);
        if (bits == 32) out.push_back(0x5A);  // junk in the fourth byte
      }
    }
    out.resize(start + stride, 0);
  }
  return out;
}

Bytes JpegBytes(const plat::Image& image, int quality) {
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(image.width);
  info.image_height = static_cast<JDIMENSION>(image.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(image.width) * 3);
  while (info.next_scanline < info.image_height) {
    for (int x = 0; x < image.width; ++x) {
      const uint32_t p = image.pixels[info.next_scanline * static_cast<size_t>(image.width) + static_cast<size_t>(x)];
      row[static_cast<size_t>(x) * 3] = static_cast<uint8_t>(p >> 16);
      row[static_cast<size_t>(x) * 3 + 1] = static_cast<uint8_t>(p >> 8);
      row[static_cast<size_t>(x) * 3 + 2] = static_cast<uint8_t>(p);
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&info, &r, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

namespace {

void PutMaterial(std::ostringstream& x, const XMaterialDesc& m) {
  x << "   Material {\n    " << m.diffuse[0] << ";" << m.diffuse[1] << ";" << m.diffuse[2] << ";" << m.diffuse[3]
    << ";;\n    " << m.power << ";\n    " << m.specular[0] << ";" << m.specular[1] << ";" << m.specular[2] << ";;\n    "
    << m.emissive[0] << ";" << m.emissive[1] << ";" << m.emissive[2] << ";;\n";
  if (!m.texture.empty()) x << "    TextureFilename { \"" << m.texture << "\"; }\n";
  x << "   }\n";
}

}  // namespace

std::string XMeshText(const std::vector<XMaterialDesc>& materials, const std::vector<int>& faceMaterials) {
  std::ostringstream x;
  const size_t faces = faceMaterials.size();
  x << "xof 0303txt 0032\n"
    << "// written by the test builder\n"
    << "template Mesh {\n <3D82AB44-62DA-11cf-AB39-0020AF71E433>\n DWORD nVertices;\n"
    << " array Vector vertices[nVertices];\n DWORD nFaces;\n array MeshFace faces[nFaces];\n [...]\n}\n"
    << "Frame Root {\n FrameTransformMatrix {\n  1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;;\n "
       "}\n"
    << " Mesh Body {\n  " << faces * 3 << ";\n";
  for (size_t i = 0; i < faces; ++i) {
    const size_t x0 = 2 * i;
    x << "  " << x0 << ".0;0.0;0.0;,\n  " << x0 + 1 << ".0;0.0;0.0;,\n  " << x0 << ".0;1.0;0.0;"
      << (i + 1 == faces ? ";" : ",") << "\n";
  }
  x << "  " << faces << ";\n";
  for (size_t i = 0; i < faces; ++i) {
    x << "  3;" << 3 * i << "," << 3 * i + 1 << "," << 3 * i + 2 << ";" << (i + 1 == faces ? ";" : ",") << "\n";
  }
  if (!materials.empty()) {
    x << "  MeshMaterialList {\n   " << materials.size() << ";\n   " << faces << ";\n   ";
    for (size_t i = 0; i < faces; ++i) x << faceMaterials[i] << (i + 1 == faces ? ";;\n" : ",");
    for (const XMaterialDesc& m : materials) PutMaterial(x, m);
    x << "  }\n";
  }
  x << " }\n}\n";
  return x.str();
}

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

bool InstallArchive(const Bytes& image) {
  DataFileFree();
  if (!DataFileValidate(image.data(), image.size())) return false;
  auto* block = static_cast<uint8_t*>(MemAlloc(image.size()));
  if (!block) return false;
  std::memcpy(block, image.data(), image.size());
  DataFileAdopt(block, image.size());
  return true;
}

std::vector<Bytes> RendererEntries(const std::vector<Bytes>& materialPictures, const std::vector<Bytes>& meshes) {
  std::vector<Bytes> entries(kArchiveEntryCount);
  for (int i = 0; i < kEntryMaterialTextureFirst; ++i) {
    entries[static_cast<size_t>(i)] = PngBytes(SolidImage(4, 4, 0xFF000000u | static_cast<uint32_t>(i * 5)));
  }
  for (size_t i = 0; i < materialPictures.size(); ++i) entries[kEntryMaterialTextureFirst + i] = materialPictures[i];
  const Bytes plain = ToBytes(XMeshText({XMaterialDesc{}}, {0}));
  for (int i = 0; i < 35; ++i) {
    const auto k = static_cast<size_t>(i);
    entries[kEntryMeshFirst + k] = k < meshes.size() ? meshes[k] : plain;
  }
  for (int i = kEntrySoundFirst; i < kArchiveEntryCount; ++i) entries[static_cast<size_t>(i)] = MinimalWave(64);
  return entries;
}

Bytes MinimalArchive() { return BuildArchive(RendererEntries({}, {})); }

void PinLoadedLibraries() {
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void*) {
        // A second reference to an object already loaded; never closed.
        if (info->dlpi_name && info->dlpi_name[0] == '/') dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD);
        return 0;
      },
      nullptr);
}

GlWindow::GlWindow(const plat::DeviceParams& params) {
  ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
  if (plat::HostInit() && plat::WindowCreate("test")) device_ = plat::CreateGlDevice(plat::WindowHandle(), params);
  PinLoadedLibraries();
}

GlWindow::~GlWindow() {
  device_.reset();
  plat::HostQuit();
  plat::ResetQuit();
}

}  // namespace test
