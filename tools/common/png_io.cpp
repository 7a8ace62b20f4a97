#include "png_io.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace tool {

namespace {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

std::vector<uint8_t> ToRgbaRows(const Picture& picture) {
  std::vector<uint8_t> out(picture.pixels.size() * 4);
  for (size_t i = 0; i < picture.pixels.size(); ++i) {
    const uint32_t p = picture.pixels[i];
    out[i * 4 + 0] = static_cast<uint8_t>(p >> 16);
    out[i * 4 + 1] = static_cast<uint8_t>(p >> 8);
    out[i * 4 + 2] = static_cast<uint8_t>(p);
    out[i * 4 + 3] = static_cast<uint8_t>(p >> 24);
  }
  return out;
}

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

}  // namespace

bool EncodePngRgba(int width, int height, const uint8_t* rgba, std::vector<uint8_t>* out) {
  out->clear();
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  std::vector<png_bytep> rows(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    rows[static_cast<size_t>(y)] = const_cast<png_bytep>(rgba + static_cast<size_t>(y) * width * 4);
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, AppendBytes, NoFlush);
  // Unfiltered rows at the fastest level: the painted pictures are mostly flat colour,
  // so this is within a few per cent of the smallest file, many times quicker to write,
  // and quicker for the game to decode at start-up.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, 1);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGBA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool WritePng(const std::string& path, const Picture& picture, std::string* error) {
  const std::vector<uint8_t> rgba = ToRgbaRows(picture);
  std::vector<uint8_t> bytes;
  if (!EncodePngRgba(picture.width, picture.height, rgba.data(), &bytes)) {
    *error = "libpng failed writing " + path;
    return false;
  }
  File file(std::fopen(path.c_str(), "wb"));
  if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

bool ReadPng(const std::string& path, Picture* picture, std::string* error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    *error = "cannot read " + path + ": " + image.message;
    return false;
  }
  image.format = PNG_FORMAT_BGRA;  // bytes B, G, R, A: one little-endian 0xAARRGGBB word
  std::vector<uint32_t> pixels(static_cast<size_t>(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    *error = "cannot decode " + path + ": " + image.message;
    png_image_free(&image);
    return false;
  }
  picture->width = static_cast<int>(image.width);
  picture->height = static_cast<int>(image.height);
  picture->pixels = std::move(pixels);
  return true;
}

}  // namespace tool
