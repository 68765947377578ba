// Decoding of PNG, icon, bitmap and WAVE files from memory: what they hold,
// and files that lie about their sizes. Every decode reads from a heap block
// of exactly the given bytes, so that a read past the end shows up under the
// address sanitizer.
#include <gtest/gtest.h>
#include <png.h>

#include <csetjmp>
#include <functional>

#include "assets/embedded_assets.h"
#include "assets/image_decoding.h"
#include "assets/wave.h"

namespace zelluo {
namespace {

using Bytes = std::vector<uint8_t>;

std::optional<platform::PixelImage> Decode(const Bytes& bytes) {
  const Bytes exact(bytes);
  return assets::DecodeImage(exact.data(), exact.size());
}

// The pixel at (x, y) as "r,g,b,a".
std::string Pixel(const std::optional<platform::PixelImage>& image, int x, int y) {
  if (!image) return "none";
  const uint8_t* p = &image->rgba[(static_cast<size_t>(y) * image->width + x) * 4];
  return std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]) + "," +
         std::to_string(p[3]);
}

// Little-endian fields {value, bytes}, then the parts, back to back.
Bytes Le(std::initializer_list<std::pair<uint32_t, int>> fields,
         std::initializer_list<Bytes> parts = {}) {
  Bytes out;
  for (auto [value, bytes] : fields) {
    for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(i < 4 ? value >> (8 * i) : 0));
  }
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// A PNG written by libpng from packed rows; a palette picture gets three
// colours, the first two with tRNS entries.
void AppendToBytes(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

bool WritePng(Bytes* out, int width, int height, int depth, int type, bool interlaced,
              std::vector<png_bytep>* rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, AppendToBytes, nullptr);
  png_set_IHDR(png, info, width, height, depth, type,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_color palette[] = {{10, 20, 30}, {200, 100, 50}, {1, 2, 3}};
  png_byte alpha[] = {255, 128};
  if (type == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, palette, 3);
  if (type == PNG_COLOR_TYPE_PALETTE) png_set_tRNS(png, info, alpha, 2, nullptr);
  png_write_info(png, info);
  png_write_image(png, rows->data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

Bytes EncodePng(int width, int height, int depth, int type, std::vector<Bytes> packedRows,
                bool interlaced = false) {
  Bytes out;
  std::vector<png_bytep> rows;
  for (Bytes& row : packedRows) rows.push_back(row.data());
  EXPECT_TRUE(WritePng(&out, width, height, depth, type, interlaced, &rows));
  return out;
}

// BITMAPINFOHEADER: size (height as stored), depth, compression, colours used.
Bytes InfoHeader(int32_t width, int32_t height, uint32_t bits, uint32_t rle = 0,
                 uint32_t colours = 0) {
  return Le({{40, 4},
             {uint32_t(width), 4},
             {uint32_t(height), 4},
             {1, 2},
             {bits, 2},
             {rle, 4},
             {0, 12},
             {colours, 4},
             {0, 4}});
}

Bytes BitmapFile(const Bytes& header, const Bytes& palette, const Bytes& pixels) {
  const auto offset = uint32_t(14 + header.size() + palette.size());
  return Le({{'B', 1}, {'M', 1}, {offset + uint32_t(pixels.size()), 4}, {0, 4}, {offset, 4}},
            {header, palette, pixels});
}

// A size x size 32-bit icon entry of one colour with its empty AND mask.
Bytes IconBitmap(int size, uint8_t red, uint8_t alpha) {
  Bytes b = InfoHeader(size, 2 * size, 32);
  for (int i = 0; i < size * size; ++i) b.insert(b.end(), {0, 0, red, alpha});
  b.insert(b.end(), size_t((size + 31) / 32 * 4 * size), 0);
  return b;
}

// Entries of {size, bits in the directory, bytes}, laid out after the directory.
Bytes IconFile(const std::vector<std::tuple<int, uint32_t, Bytes>>& entries) {
  Bytes file = Le({{0, 2}, {1, 2}, {uint32_t(entries.size()), 2}});
  auto offset = uint32_t(6 + 16 * entries.size());
  for (const auto& [size, bits, image] : entries) {
    const Bytes record = Le(
        {{uint32_t(size * 0x101), 4}, {1, 2}, {bits, 2}, {uint32_t(image.size()), 4}, {offset, 4}});
    file = Le({}, {file, record});
    offset += uint32_t(image.size());
  }
  for (const auto& entry : entries) file = Le({}, {file, std::get<2>(entry)});
  return file;
}

TEST(DecodeImage, ExpandsEveryStoredFormatToRgba) {
  std::vector<Bytes> rows(9);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 9; ++x)
      rows[y].insert(rows[y].end(), {uint8_t(x * 20), uint8_t(y * 20), 7, 255});
  }
  const Bytes bgr = {1,  2,  3,  4,  5,  6,  7,  8,  9,  0, 0, 0,
                     10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};
  Bytes maskedIcon = IconBitmap(2, 90, 0);
  maskedIcon[40 + 16] = 0x80;  // the mask's first row is the bottom row
  struct Row {
    const char* name;
    Bytes file;
    int depth, x, y;
    std::string pixel;
  };
  // clang-format off
  const Row cases[] = {
      {"grey 8", EncodePng(2, 1, 8, PNG_COLOR_TYPE_GRAY, {{0, 200}}), 24, 1, 0, "200,200,200,255"},
      {"grey 1", EncodePng(3, 1, 1, PNG_COLOR_TYPE_GRAY, {{0b10100000}}), 24, 1, 0, "0,0,0,255"},
      {"palette with tRNS", EncodePng(2, 1, 2, PNG_COLOR_TYPE_PALETTE, {{0b01100000}}),
       32, 0, 0, "200,100,50,128"},
      {"rgb 16", EncodePng(1, 1, 16, PNG_COLOR_TYPE_RGB, {{0x12, 0x34, 0xab, 0xcd, 0xff, 0}}),
       24, 0, 0, "18,171,255,255"},
      {"grey alpha", EncodePng(1, 1, 8, PNG_COLOR_TYPE_GRAY_ALPHA, {{90, 30}}),
       32, 0, 0, "90,90,90,30"},
      {"interlaced", EncodePng(9, 9, 8, PNG_COLOR_TYPE_RGB_ALPHA, rows, true),
       32, 8, 7, "160,140,7,255"},
      {"bitmap bottom-up", BitmapFile(InfoHeader(3, 2, 24), {}, bgr), 24, 2, 1, "9,8,7,255"},
      {"bitmap top-down", BitmapFile(InfoHeader(3, -2, 24), {}, bgr), 24, 0, 0, "3,2,1,255"},
      {"bitmap 4 bits", BitmapFile(InfoHeader(3, 1, 4, 0, 2), {30, 20, 10, 0, 60, 50, 40, 0},
                                   {0x10, 0x10, 0, 0}), 24, 1, 0, "10,20,30,255"},
      {"bitmap 32 alpha", BitmapFile(InfoHeader(2, 1, 32), {}, {1, 2, 3, 77, 4, 5, 6, 0}),
       32, 1, 0, "6,5,4,0"},
      {"bitmap 32 opaque", BitmapFile(InfoHeader(2, 1, 32), {}, {1, 2, 3, 0, 4, 5, 6, 0}),
       32, 1, 0, "6,5,4,255"},
      // The deepest entry of the first entry's size, the earliest on a tie.
      {"icon", IconFile({{16, 24, IconBitmap(16, 10, 255)}, {32, 32, IconBitmap(32, 20, 255)},
                         {16, 32, IconBitmap(16, 30, 200)}, {16, 32, IconBitmap(16, 40, 255)}}),
       32, 5, 5, "30,0,0,200"},
      {"icon masked", IconFile({{2, 32, maskedIcon}}), 32, 0, 1, "90,0,0,0"},
      {"icon with a PNG", IconFile({{2, 32, EncodePng(2, 1, 8, PNG_COLOR_TYPE_RGB_ALPHA,
                                                      {{1, 2, 3, 4, 5, 6, 7, 8}})}}),
       32, 1, 0, "5,6,7,8"},
  };
  // clang-format on
  for (const Row& row : cases) {
    SCOPED_TRACE(row.name);
    const auto image = Decode(row.file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->depth, row.depth);
    EXPECT_EQ(image->isIcon, std::string(row.name).starts_with("icon"));
    EXPECT_EQ(Pixel(image, row.x, row.y), row.pixel);
  }
}

TEST(DecodeImage, RefusesFilesThatLieAboutTheirSizes) {
  const assets::EmbeddedAsset play = assets::BuiltInImages()[5];
  const Bytes png(play.data, play.data + play.size);
  const Bytes icon = IconFile({{16, 32, IconBitmap(16, 10, 255)}});
  const Bytes bitmap = BitmapFile(InfoHeader(3, 2, 24), {}, Bytes(24, 1));
  ASSERT_TRUE(Decode(png) && Decode(icon) && Decode(bitmap));
  const auto cut = [](size_t keep) {
    return [keep](Bytes& b) { b.resize(std::min(keep, b.size())); };
  };
  const auto drop = [](size_t n) { return [n](Bytes& b) { b.resize(b.size() - n); }; };
  struct Row {
    const char* name;
    const Bytes& file;
    std::function<void(Bytes&)> change;
  };
  // clang-format off
  const Row cases[] = {
      {"PNG signature", png, [](Bytes& b) { b[1] = 'X'; }},
      {"PNG data", png, [](Bytes& b) { b[b.size() / 2] ^= 0x55; }},
      {"PNG cut in the header", png, cut(20)},
      {"PNG cut in the data", png, cut(png.size() / 2)},
      {"PNG cut before the end chunk", png, drop(13)},
      {"PNG cut in the end chunk", png, drop(1)},
      {"icon offset", icon, [](Bytes& b) { b[18] = b[19] = 0xff; }},
      {"icon size one more", icon, [](Bytes& b) { ++b[14]; }},
      {"icon size huge", icon, [](Bytes& b) { std::fill(b.begin() + 14, b.begin() + 18, 0xff); }},
      {"icon without entries", icon, [](Bytes& b) { b[4] = 0; }},
      {"icon directory too long", icon, [](Bytes& b) { b[4] = 200; }},
      {"icon cut", icon, drop(1)},
      {"bitmap pixels cut", bitmap, drop(1)},
      {"bitmap run-length", bitmap, [](Bytes& b) { b[30] = 1; }},
      {"bitmap pixel offset", bitmap, [](Bytes& b) { b[10] = b[11] = 0xff; }},
  };
  // clang-format on
  for (const Row& row : cases) {
    SCOPED_TRACE(row.name);
    Bytes file = row.file;
    row.change(file);
    EXPECT_FALSE(Decode(file));
  }
  // The caller's limit counts, not the file's own length.
  EXPECT_FALSE(assets::DecodeImage(png.data(), png.size() - 1));
  EXPECT_FALSE(assets::DecodeImage(nullptr, 100));
}

// A RIFF chunk: tag, stated size (the body's unless given) and body.
Bytes Chunk(const char* tag, const Bytes& body, int64_t stated = -1) {
  return Le({{uint32_t(tag[0] | tag[1] << 8 | tag[2] << 16 | tag[3] << 24), 4},
             {uint32_t(stated >= 0 ? stated : int64_t(body.size())), 4}},
            {body});
}

TEST(ParseWave, FindsTheSamplesAndRefusesChunksOutOfBounds) {
  const Bytes format = Le({{1, 2}, {1, 2}, {44100, 4}, {88200, 4}, {2, 2}, {16, 2}});  // PCM mono
  const Bytes data = Chunk("data", {9, 8, 7, 6});
  // "RIFF", its size (what follows unless given), "WAVE", then the chunks without padding.
  const auto riff = [](std::initializer_list<Bytes> chunks, int64_t size = -1) {
    const Bytes body = Le({{'W' | 'A' << 8 | 'V' << 16 | 'E' << 24, 4}}, chunks);
    return Chunk("RIFF", body, size);
  };
  const Bytes good = riff({Chunk("fmt ", format), data});
  Bytes notRiff = good;
  notRiff[0] = 'X';
  struct Row {
    const char* name;
    Bytes file;
    int64_t samples;  // offset of the samples; -1: refused
  };
  // clang-format off
  const Row cases[] = {
      // An odd-sized chunk is not padded: "data" follows right after its 3 bytes.
      {"odd chunk between", riff({Chunk("fmt ", format), Chunk("LIST", {1, 2, 3}), data}), 55},
      {"longer format", riff({Chunk("fmt ", Le({}, {format, {0, 0}})), data}), 46},
      {"format not first", riff({Chunk("LIST", {0, 0}), Chunk("fmt ", format), data}), -1},
      {"no data", riff({Chunk("fmt ", format), Chunk("LIST", {9, 8, 7, 6})}), -1},
      {"chunk past the end", riff({Chunk("fmt ", format), Chunk("LIST", {0, 0}, 1000), data}), -1},
      {"samples past the end", riff({Chunk("fmt ", format), Chunk("data", {9, 8, 7, 6}, 5)}), -1},
      {"samples size huge", riff({Chunk("fmt ", format), Chunk("data", {9, 8, 7, 6}, 0xffffffff)}),
       -1},
      {"data beyond the RIFF size", riff({Chunk("fmt ", format), data}, 30), -1},
      {"format too short", riff({Chunk("fmt ", Bytes(8, 0)), data}), -1},
      {"format past the end", riff({Chunk("fmt ", format, 5000)}), -1},
      {"not RIFF", notRiff, -1},
      {"too short", Bytes(good.begin(), good.begin() + 19), -1},
  };
  // clang-format on
  for (const Row& row : cases) {
    SCOPED_TRACE(row.name);
    const Bytes exact(row.file);
    const auto wave = assets::ParseWave(exact.data(), exact.size());
    ASSERT_EQ(wave.has_value(), row.samples >= 0);
    if (!wave) continue;
    EXPECT_EQ(wave->samples, exact.data() + row.samples);
    EXPECT_EQ(wave->size, 4u);
    EXPECT_EQ(wave->format.bytesPerSecond, 88200u);
  }
  EXPECT_FALSE(assets::ParseWave(good.data(), good.size() - 1));  // the caller's limit
  EXPECT_FALSE(assets::ParseWave(nullptr, 100));
}

}  // namespace
}  // namespace zelluo
