#include "platform/image.h"

#include <jpeglib.h>
#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/bytes.h"

namespace plat {
namespace {

// The largest texture the game draws is the 2048 by 2048 atlas; a larger picture is
// refused like a damaged one, before any pixel memory is taken.
constexpr uint32_t kMaxImageSide = 2048;

bool SizeAllowed(uint64_t width, uint64_t height) {
  return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide;
}

uint32_t PackArgb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return (a << 24) | (r << 16) | (g << 8) | b; }

// ---------------------------------------------------------------------------------
// PNG. libpng reports errors by longjmp, so everything that must survive the jump lives
// in a job record owned by the caller; the function holding setjmp keeps only values
// set before it.

struct PngReadJob {
  const uint8_t* bytes = nullptr;
  size_t size = 0;
  size_t offset = 0;
  uint32_t width = 0, height = 0;
  std::vector<uint32_t> pixels;
  std::vector<png_bytep> rows;
};

void PngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarning(png_structp, png_const_charp) {}

void PngRead(png_structp png, png_bytep out, png_size_t count) {
  auto* job = static_cast<PngReadJob*>(png_get_io_ptr(png));
  if (count > job->size - job->offset) png_error(png, "truncated");
  std::memcpy(out, job->bytes + job->offset, count);
  job->offset += count;
}

// Every kind of PNG comes out as 8-bit B, G, R, A bytes: on this little-endian machine
// exactly the ARGB words of an Image, so rows are decoded straight into the picture.
static_assert(std::endian::native == std::endian::little);
void PngSetTransforms(png_structp png, png_infop info) {
  const int colourType = png_get_color_type(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
}

bool PngDecodeInto(PngReadJob* job, png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
  // Each data chunk's CRC already checks the compressed bytes; zlib's own checksum of
  // them again is a tenth of the decoding time of a large picture.
  png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
  png_set_read_fn(png, job, PngRead);
  png_read_info(png, info);
  job->width = png_get_image_width(png, info);
  job->height = png_get_image_height(png, info);
  if (!SizeAllowed(job->width, job->height)) return false;
  PngSetTransforms(png, info);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(job->width) * 4) return false;
  job->pixels.resize(static_cast<size_t>(job->width) * job->height);
  job->rows.resize(job->height);
  for (uint32_t y = 0; y < job->height; ++y) {
    job->rows[y] = reinterpret_cast<png_bytep>(job->pixels.data() + static_cast<size_t>(y) * job->width);
  }
  png_read_image(png, job->rows.data());
  png_read_end(png, nullptr);  // a file cut before its end chunk is refused too
  return true;
}

bool DecodePng(const uint8_t* bytes, size_t size, Image& out) {
  PngReadJob job;
  job.bytes = bytes;
  job.size = size;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  const bool ok = info && PngDecodeInto(&job, png, info);
  png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  if (!ok) return false;
  out.width = static_cast<int>(job.width);
  out.height = static_cast<int>(job.height);
  out.pixels = std::move(job.pixels);
  return true;
}

// ---------------------------------------------------------------------------------
// JPEG. libjpeg's errors also leave by longjmp; its warnings (corrupt or missing data,
// which it would otherwise paper over with grey) fail the decode as well.

struct JpegErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

struct JpegReadJob {
  jpeg_decompress_struct info;
  JpegErrorManager error;
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> rgb;
};

[[noreturn]] void JpegErrorExit(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->jump, 1);
}

void JpegMessage(j_common_ptr info, int level) {
  if (level < 0) JpegErrorExit(info);
}

// With `headerOnly`, stops once the header has given the size: no pixel is read.
bool JpegDecodeInto(JpegReadJob* job, const uint8_t* bytes, size_t size, bool headerOnly) {
  if (setjmp(job->error.jump)) return false;
  jpeg_create_decompress(&job->info);
  jpeg_mem_src(&job->info, bytes, static_cast<unsigned long>(size));
  if (jpeg_read_header(&job->info, TRUE) != JPEG_HEADER_OK) return false;
  if (!SizeAllowed(job->info.image_width, job->info.image_height)) return false;
  job->width = job->info.image_width;
  job->height = job->info.image_height;
  if (headerOnly) return true;
  job->info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&job->info);
  if (job->info.output_components != 3) return false;
  job->width = job->info.output_width;
  job->height = job->info.output_height;
  job->rgb.resize(static_cast<size_t>(job->width) * job->height * 3);
  while (job->info.output_scanline < job->height) {
    JSAMPROW row = job->rgb.data() + static_cast<size_t>(job->info.output_scanline) * job->width * 3;
    jpeg_read_scanlines(&job->info, &row, 1);
  }
  jpeg_finish_decompress(&job->info);
  return true;
}

std::unique_ptr<JpegReadJob> JpegRead(const uint8_t* bytes, size_t size, bool headerOnly) {
  auto job = std::make_unique<JpegReadJob>();
  job->info.err = jpeg_std_error(&job->error.base);
  job->error.base.error_exit = JpegErrorExit;
  job->error.base.emit_message = JpegMessage;
  const bool ok = JpegDecodeInto(job.get(), bytes, size, headerOnly);
  jpeg_destroy_decompress(&job->info);
  if (!ok) job.reset();
  return job;
}

bool DecodeJpeg(const uint8_t* bytes, size_t size, Image& out) {
  const std::unique_ptr<JpegReadJob> job = JpegRead(bytes, size, false);
  if (!job) return false;
  out.width = static_cast<int>(job->width);
  out.height = static_cast<int>(job->height);
  out.pixels.resize(static_cast<size_t>(job->width) * job->height);
  for (size_t i = 0; i < out.pixels.size(); ++i) {
    const uint8_t* p = &job->rgb[i * 3];
    out.pixels[i] = PackArgb(0xFF, p[0], p[1], p[2]);
  }
  return true;
}

// ---------------------------------------------------------------------------------
// BMP: uncompressed 8-bit palettised, 24-bit and 32-bit, rows bottom-up or top-down.

struct BmpLayout {
  uint32_t width = 0, height = 0;
  bool topDown = false;
  uint32_t bits = 0;
  uint64_t pixelOffset = 0;
  uint64_t stride = 0;
  std::vector<uint32_t> palette;
};

constexpr size_t kBmpFileHeader = 14;
constexpr size_t kBmpInfoHeader = 40;

bool BmpReadPalette(const uint8_t* bytes, size_t size, uint32_t headerSize, BmpLayout& layout) {
  const uint32_t used = ReadU32(bytes + kBmpFileHeader + 32);
  const uint32_t count = used == 0 ? 256 : used;
  if (count > 256) return false;
  const uint64_t start = kBmpFileHeader + static_cast<uint64_t>(headerSize);
  if (start + static_cast<uint64_t>(count) * 4 > size) return false;
  layout.palette.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* p = bytes + start + i * 4;
    layout.palette[i] = PackArgb(0xFF, p[2], p[1], p[0]);
  }
  return true;
}

bool BmpReadLayout(const uint8_t* bytes, size_t size, BmpLayout& layout) {
  if (size < kBmpFileHeader + kBmpInfoHeader) return false;
  const uint8_t* info = bytes + kBmpFileHeader;
  const uint32_t headerSize = ReadU32(info);
  if (headerSize < kBmpInfoHeader || headerSize > size - kBmpFileHeader) return false;
  const auto width = static_cast<int32_t>(ReadU32(info + 4));
  const auto height = static_cast<int32_t>(ReadU32(info + 8));
  layout.bits = ReadU16(info + 14);
  const uint32_t compression = ReadU32(info + 16);
  if (ReadU16(info + 12) != 1 || compression != 0) return false;
  if (layout.bits != 8 && layout.bits != 24 && layout.bits != 32) return false;
  if (width <= 0 || height == 0 || height == INT32_MIN) return false;
  layout.width = static_cast<uint32_t>(width);
  layout.topDown = height < 0;
  layout.height = static_cast<uint32_t>(height < 0 ? -height : height);
  if (!SizeAllowed(layout.width, layout.height)) return false;
  layout.pixelOffset = ReadU32(bytes + 10);
  layout.stride = (static_cast<uint64_t>(layout.width) * layout.bits + 31) / 32 * 4;
  if (layout.pixelOffset + layout.stride * layout.height > size) return false;
  return layout.bits != 8 || BmpReadPalette(bytes, size, headerSize, layout);
}

bool BmpReadPixel(const BmpLayout& layout, const uint8_t* p, uint32_t& out) {
  if (layout.bits == 8) {
    if (*p >= layout.palette.size()) return false;
    out = layout.palette[*p];
  } else {
    out = PackArgb(0xFF, p[2], p[1], p[0]);  // a fourth byte is padding, not alpha
  }
  return true;
}

bool DecodeBmp(const uint8_t* bytes, size_t size, Image& out) {
  BmpLayout layout;
  if (!BmpReadLayout(bytes, size, layout)) return false;
  std::vector<uint32_t> pixels(static_cast<size_t>(layout.width) * layout.height);
  const uint32_t pixelBytes = layout.bits / 8;
  for (uint32_t y = 0; y < layout.height; ++y) {
    const uint32_t fileRow = layout.topDown ? y : layout.height - 1 - y;
    const uint8_t* row = bytes + layout.pixelOffset + layout.stride * fileRow;
    for (uint32_t x = 0; x < layout.width; ++x) {
      if (!BmpReadPixel(layout, row + static_cast<size_t>(x) * pixelBytes,
                        pixels[static_cast<size_t>(y) * layout.width + x])) {
        return false;
      }
    }
  }
  out.width = static_cast<int>(layout.width);
  out.height = static_cast<int>(layout.height);
  out.pixels = std::move(pixels);
  return true;
}

// ---------------------------------------------------------------------------------
// PNG writing.

}  // namespace

bool DecodeImage(const uint8_t* bytes, size_t size, Image& out) {
  out = Image{};
  if (!bytes || size < 4) return false;
  bool ok = false;
  if (size >= 8 && png_sig_cmp(bytes, 0, 8) == 0) {
    ok = DecodePng(bytes, size, out);
  } else if (bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
    ok = DecodeJpeg(bytes, size, out);
  } else if (bytes[0] == 'B' && bytes[1] == 'M') {
    ok = DecodeBmp(bytes, size, out);
  }
  if (!ok) out = Image{};
  return ok;
}

bool ImageSize(const uint8_t* bytes, size_t size, int* width, int* height) {
  if (!bytes || size < 4) return false;
  uint64_t w = 0, h = 0;
  if (size >= 8 && png_sig_cmp(bytes, 0, 8) == 0) {
    // The signature, then the header chunk: its length (13, else libpng refuses the
    // file), its type, width and height.
    constexpr size_t kIhdr = 8;
    if (size < kIhdr + 8 + 13 || png_get_uint_32(bytes + kIhdr) != 13 ||
        std::memcmp(bytes + kIhdr + 4, "IHDR", 4) != 0) {
      return false;
    }
    w = png_get_uint_32(bytes + kIhdr + 8);
    h = png_get_uint_32(bytes + kIhdr + 12);
  } else if (bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
    const std::unique_ptr<JpegReadJob> job = JpegRead(bytes, size, true);
    if (!job) return false;
    w = job->width;
    h = job->height;
  } else if (bytes[0] == 'B' && bytes[1] == 'M') {
    BmpLayout layout;
    if (!BmpReadLayout(bytes, size, layout)) return false;
    w = layout.width;
    h = layout.height;
  }
  if (!SizeAllowed(w, h)) return false;
  *width = static_cast<int>(w);
  *height = static_cast<int>(h);
  return true;
}

// A select rather than a branch, so the loop runs several pixels at a time.
void ApplyColourKey(Image& image, uint32_t keyArgb) {
  for (uint32_t& p : image.pixels) p = p == keyArgb ? 0u : p;
}

}  // namespace plat
