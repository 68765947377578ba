#include "png_file.h"

#include <png.h>

#include <csetjmp>

namespace zelluo::artwork {

namespace {

void AppendBytes(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

void PutUint32(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value >> 24);
  at[1] = static_cast<uint8_t>(value >> 16);
  at[2] = static_cast<uint8_t>(value >> 8);
  at[3] = static_cast<uint8_t>(value);
}

// The sRGB primaries and D65 white point, in units of 1/100000.
void MakeChromaticities(uint8_t body[32]) {
  const uint32_t values[8] = {31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000};
  for (int i = 0; i < 8; ++i) PutUint32(body + 4 * i, values[i]);
}

// Everything that may longjmp lives here, with nothing to destroy on the way out.
bool WriteInto(std::vector<uint8_t>* out, const Picture& picture,
               std::vector<png_const_bytep>* rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, AppendBytes, FlushNothing);
  // A buffer larger than the whole raw image keeps the compressed stream in
  // one IDAT chunk.
  const size_t raw = static_cast<size_t>(picture.width) * picture.height * 4 + picture.height;
  png_set_compression_buffer_size(png, raw + 65536);
  png_set_compression_level(png, 9);
  // Rows are stored unfiltered: the program decodes its pictures at every
  // start, and undoing libpng's adaptive filters (mostly Paeth) took more time
  // than the inflating itself. The files grow by a fifth (170 to 200 KB).
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width),
               static_cast<png_uint_32>(picture.height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // 96 dots per inch.
  png_set_pHYs(png, info, 3780, 3780, PNG_RESOLUTION_METER);
  png_write_info(png, info);
  // Written by hand so that it follows pHYs; libpng would put it first.
  uint8_t chromaticities[32];
  MakeChromaticities(chromaticities);
  png_write_chunk(png, reinterpret_cast<png_const_bytep>("cHRM"), chromaticities,
                  sizeof chromaticities);
  png_write_image(png, const_cast<png_bytepp>(rows->data()));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

std::optional<std::vector<uint8_t>> EncodePng(const Picture& picture) {
  std::vector<uint8_t> out;
  std::vector<png_const_bytep> rows;
  for (int y = 0; y < picture.height; ++y) rows.push_back(picture.PixelAt(0, y));
  if (!WriteInto(&out, picture, &rows)) return std::nullopt;
  return out;
}

}  // namespace zelluo::artwork
