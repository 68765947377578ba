// Decoding of PNG, icon and bitmap files from memory, and the image table.

#include "assets/image_decoding.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

#include "asset_catalogue.h"
#include "assets/embedded_assets.h"
#include "assets/image_table.h"

namespace zelluo {
namespace {

using Bytes = std::vector<uint8_t>;

// Decodes from a heap block of exactly the given bytes, so that a read past
// the end shows up under the address sanitizer.
std::optional<PixelImage> DecodeExact(const Bytes& bytes) {
  const Bytes copy(bytes);
  return DecodeImage(copy.data(), copy.size());
}

Bytes FromString(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::vector<int> Pixel(const PixelImage& image, int x, int y) {
  const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

// --- PNG files written with libpng for the tests ---------------------------

struct PngLayout {
  PngLayout(int w, int h, int depth, int type, bool adam7 = false)
      : width(w), height(h), bitDepth(depth), colourType(type), interlaced(adam7) {}
  int width;
  int height;
  int bitDepth;
  int colourType;
  bool interlaced;
  std::vector<png_color> palette;
  Bytes transparency;  // tRNS entries for palette pictures
};

void AppendToBytes(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

bool WritePngInto(Bytes* out, const PngLayout* layout, std::vector<png_bytep>* rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, AppendToBytes, nullptr);
  png_set_IHDR(png, info, layout->width, layout->height, layout->bitDepth, layout->colourType,
               layout->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!layout->palette.empty()) {
    png_set_PLTE(png, info, layout->palette.data(), static_cast<int>(layout->palette.size()));
  }
  if (!layout->transparency.empty()) {
    png_set_tRNS(png, info, layout->transparency.data(),
                 static_cast<int>(layout->transparency.size()), nullptr);
  }
  png_write_info(png, info);
  png_write_image(png, rows->data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

// rowBytes holds the packed rows as the PNG stores them.
Bytes EncodeTestPng(const PngLayout& layout, std::vector<Bytes> rowBytes) {
  Bytes out;
  std::vector<png_bytep> rows;
  for (Bytes& row : rowBytes) rows.push_back(row.data());
  EXPECT_TRUE(WritePngInto(&out, &layout, &rows));
  return out;
}

TEST(DecodePng, ExpandsGreyPaletteAndSixteenBitPictures) {
  // Grey, 8 bits: no alpha, so depth 24 and opaque.
  const auto grey = DecodeExact(EncodeTestPng(PngLayout(2, 1, 8, PNG_COLOR_TYPE_GRAY), {{0, 200}}));
  ASSERT_TRUE(grey);
  EXPECT_EQ(grey->depth, 24);
  EXPECT_EQ(Pixel(*grey, 0, 0), (std::vector<int>{0, 0, 0, 255}));
  EXPECT_EQ(Pixel(*grey, 1, 0), (std::vector<int>{200, 200, 200, 255}));

  // Grey, 1 bit: expanded to 0 and 255.
  const auto bits =
      DecodeExact(EncodeTestPng(PngLayout(3, 1, 1, PNG_COLOR_TYPE_GRAY), {{0b10100000}}));
  ASSERT_TRUE(bits);
  EXPECT_EQ(Pixel(*bits, 0, 0), (std::vector<int>{255, 255, 255, 255}));
  EXPECT_EQ(Pixel(*bits, 1, 0), (std::vector<int>{0, 0, 0, 255}));

  // Palette, 2 bits, with a transparency entry: becomes RGBA, depth 32.
  PngLayout palette(2, 1, 2, PNG_COLOR_TYPE_PALETTE);
  palette.palette = {{10, 20, 30}, {200, 100, 50}, {1, 2, 3}};
  palette.transparency = {255, 128};
  const auto mapped = DecodeExact(EncodeTestPng(palette, {{0b01100000}}));
  ASSERT_TRUE(mapped);
  EXPECT_EQ(mapped->depth, 32);
  EXPECT_EQ(Pixel(*mapped, 0, 0), (std::vector<int>{200, 100, 50, 128}));
  EXPECT_EQ(Pixel(*mapped, 1, 0), (std::vector<int>{1, 2, 3, 255}));

  // 16 bits per channel, RGB: reduced to the high bytes.
  const auto wide = DecodeExact(EncodeTestPng(PngLayout(1, 1, 16, PNG_COLOR_TYPE_RGB),
                                              {{0x12, 0x34, 0xab, 0xcd, 0xff, 0x00}}));
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->depth, 24);
  EXPECT_EQ(Pixel(*wide, 0, 0), (std::vector<int>{0x12, 0xab, 0xff, 255}));

  // Grey with alpha: depth 32, alpha kept.
  const auto greyAlpha =
      DecodeExact(EncodeTestPng(PngLayout(1, 1, 8, PNG_COLOR_TYPE_GRAY_ALPHA), {{90, 30}}));
  ASSERT_TRUE(greyAlpha);
  EXPECT_EQ(greyAlpha->depth, 32);
  EXPECT_EQ(Pixel(*greyAlpha, 0, 0), (std::vector<int>{90, 90, 90, 30}));
}

TEST(DecodePng, ReadsInterlacedPicturesRowByRow) {
  PngLayout layout(9, 9, 8, PNG_COLOR_TYPE_RGB_ALPHA, true);
  std::vector<Bytes> rows;
  for (int y = 0; y < 9; ++y) {
    Bytes row;
    for (int x = 0; x < 9; ++x) row.insert(row.end(), {uint8_t(x * 20), uint8_t(y * 20), 7, 255});
    rows.push_back(row);
  }
  const auto image = DecodeExact(EncodeTestPng(layout, rows));
  ASSERT_TRUE(image);
  ASSERT_EQ(image->width, 9);
  ASSERT_EQ(image->height, 9);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 9; ++x)
      ASSERT_EQ(Pixel(*image, x, y), (std::vector<int>{x * 20, y * 20, 7, 255}));
  }
}

TEST(DecodePng, RefusesTruncatedAndDamagedFiles) {
  const std::string original = testing::ReadAssetFile("10-play.png");
  ASSERT_GT(original.size(), 1000u);
  const Bytes png = FromString(original);
  ASSERT_TRUE(DecodeExact(png));

  for (size_t keep : {size_t{0}, size_t{4}, size_t{8}, size_t{33}, size_t{60}, png.size() / 2,
                      png.size() - 13, png.size() - 1}) {
    EXPECT_FALSE(DecodeExact(Bytes(png.begin(), png.begin() + keep))) << "kept " << keep;
  }
  // The caller's limit counts, not the file's own length.
  EXPECT_FALSE(DecodeImage(png.data(), png.size() - 1));

  // A changed byte inside the compressed data: the chunk CRC no longer fits.
  Bytes damaged = png;
  damaged[damaged.size() / 2] ^= 0x55;
  EXPECT_FALSE(DecodeExact(damaged));

  // A wrong signature.
  Bytes unsigned_ = png;
  unsigned_[1] = 'X';
  EXPECT_FALSE(DecodeExact(unsigned_));

  // Width 0 in the header (with the header's CRC fixed up).
  Bytes zeroWidth = png;
  std::memset(&zeroWidth[16], 0, 4);
  const uint32_t crc = static_cast<uint32_t>(crc32(0, &zeroWidth[12], 17));
  for (int i = 0; i < 4; ++i) zeroWidth[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  EXPECT_FALSE(DecodeExact(zeroWidth));

  EXPECT_FALSE(DecodeImage(nullptr, 100));
}

// --- bitmap files ------------------------------------------------------------

void Put16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xffff);
  Put16(b, v >> 16);
}

// BITMAPINFOHEADER for the given size (height as stored) and depth.
Bytes InfoHeader(int32_t width, int32_t height, uint16_t bits, uint32_t compression = 0,
                 uint32_t coloursUsed = 0) {
  Bytes h;
  Put32(h, 40);
  Put32(h, static_cast<uint32_t>(width));
  Put32(h, static_cast<uint32_t>(height));
  Put16(h, 1);
  Put16(h, bits);
  Put32(h, compression);
  for (int i = 0; i < 3; ++i) Put32(h, 0);
  Put32(h, coloursUsed);
  Put32(h, 0);
  return h;
}

Bytes BitmapFile(const Bytes& header, const Bytes& palette, const Bytes& pixels) {
  Bytes file = {'B', 'M'};
  Put32(file, static_cast<uint32_t>(14 + header.size() + palette.size() + pixels.size()));
  Put32(file, 0);
  Put32(file, static_cast<uint32_t>(14 + header.size() + palette.size()));
  file.insert(file.end(), header.begin(), header.end());
  file.insert(file.end(), palette.begin(), palette.end());
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

TEST(DecodeBitmap, ReadsRowsBottomUpWithPadding) {
  // 3 x 2 at 24 bits: rows of 9 bytes padded to 12, the bottom row first.
  const Bytes pixels = {1,  2,  3,  4,  5,  6,  7,  8,  9,  0, 0, 0,   // bottom row
                        10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};  // top row
  const auto image = DecodeExact(BitmapFile(InfoHeader(3, 2, 24), {}, pixels));
  ASSERT_TRUE(image);
  EXPECT_FALSE(image->isIcon);
  EXPECT_EQ(image->depth, 24);
  ASSERT_EQ(image->width, 3);
  ASSERT_EQ(image->height, 2);
  EXPECT_EQ(Pixel(*image, 0, 0), (std::vector<int>{12, 11, 10, 255}));
  EXPECT_EQ(Pixel(*image, 2, 1), (std::vector<int>{9, 8, 7, 255}));

  // The same with a negative height is stored top-down.
  const auto topDown = DecodeExact(BitmapFile(InfoHeader(3, -2, 24), {}, pixels));
  ASSERT_TRUE(topDown);
  EXPECT_EQ(Pixel(*topDown, 0, 0), (std::vector<int>{3, 2, 1, 255}));

  // Pixel data cut short.
  const Bytes shortPixels(pixels.begin(), pixels.end() - 1);
  EXPECT_FALSE(DecodeExact(BitmapFile(InfoHeader(3, 2, 24), {}, shortPixels)));
  // Run-length compression is not supported.
  EXPECT_FALSE(DecodeExact(BitmapFile(InfoHeader(3, 2, 8, 1), Bytes(1024, 0), pixels)));
}

TEST(DecodeBitmap, LooksUpPaletteAndHonoursAlpha) {
  // 4 bits per pixel with a two-colour palette; indexes 1, 0, 1.
  const Bytes palette = {30, 20, 10, 0, 60, 50, 40, 0};
  const auto indexed =
      DecodeExact(BitmapFile(InfoHeader(3, 1, 4, 0, 2), palette, {0x10, 0x10, 0, 0}));
  ASSERT_TRUE(indexed);
  EXPECT_EQ(Pixel(*indexed, 0, 0), (std::vector<int>{40, 50, 60, 255}));
  EXPECT_EQ(Pixel(*indexed, 1, 0), (std::vector<int>{10, 20, 30, 255}));
  EXPECT_EQ(Pixel(*indexed, 2, 0), (std::vector<int>{40, 50, 60, 255}));

  // 32 bits: the fourth byte is alpha when any pixel uses it...
  const auto withAlpha =
      DecodeExact(BitmapFile(InfoHeader(2, 1, 32), {}, {1, 2, 3, 77, 4, 5, 6, 0}));
  ASSERT_TRUE(withAlpha);
  EXPECT_EQ(withAlpha->depth, 32);
  EXPECT_EQ(Pixel(*withAlpha, 0, 0), (std::vector<int>{3, 2, 1, 77}));
  EXPECT_EQ(Pixel(*withAlpha, 1, 0)[3], 0);
  // ...and the picture is opaque when none does.
  const auto noAlpha = DecodeExact(BitmapFile(InfoHeader(2, 1, 32), {}, {1, 2, 3, 0, 4, 5, 6, 0}));
  ASSERT_TRUE(noAlpha);
  EXPECT_EQ(Pixel(*noAlpha, 1, 0), (std::vector<int>{6, 5, 4, 255}));
}

// --- icon files --------------------------------------------------------------

struct TestIconEntry {
  int size;
  uint16_t bits;  // in the directory
  Bytes image;    // the entry's bytes
};

// A size x size 32-bit entry of one colour, with its AND mask.
Bytes SolidIconBitmap(int size, uint8_t red, uint8_t alpha) {
  Bytes b = InfoHeader(size, 2 * size, 32);
  for (int i = 0; i < size * size; ++i) b.insert(b.end(), {0, 0, red, alpha});
  b.insert(b.end(), static_cast<size_t>(((size + 31) / 32) * 4 * size), 0);
  return b;
}

Bytes IconFile(const std::vector<TestIconEntry>& entries) {
  Bytes file;
  Put16(file, 0);
  Put16(file, 1);
  Put16(file, static_cast<uint32_t>(entries.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
  for (const TestIconEntry& e : entries) {
    file.insert(file.end(), {uint8_t(e.size), uint8_t(e.size), 0, 0});
    Put16(file, 1);
    Put16(file, e.bits);
    Put32(file, static_cast<uint32_t>(e.image.size()));
    Put32(file, offset);
    offset += static_cast<uint32_t>(e.image.size());
  }
  for (const TestIconEntry& e : entries) file.insert(file.end(), e.image.begin(), e.image.end());
  return file;
}

TEST(DecodeIcon, TakesTheDeepestEntryOfTheFirstEntrysSize) {
  // Entries of the first entry's size (16): 24-bit (as stated), 32-bit twice.
  // The first 32-bit one wins; the larger 32-bit entry is not considered.
  const Bytes file = IconFile({{16, 24, SolidIconBitmap(16, 10, 255)},
                               {32, 32, SolidIconBitmap(32, 20, 255)},
                               {16, 32, SolidIconBitmap(16, 30, 200)},
                               {16, 32, SolidIconBitmap(16, 40, 255)}});
  const auto icon = DecodeExact(file);
  ASSERT_TRUE(icon);
  EXPECT_TRUE(icon->isIcon);
  EXPECT_EQ(icon->depth, 32);
  EXPECT_EQ(icon->width, 16);
  EXPECT_EQ(icon->height, 16);
  EXPECT_EQ(Pixel(*icon, 5, 5), (std::vector<int>{30, 0, 0, 200}));
}

TEST(DecodeIcon, UsesTheMaskWithoutAlphaAndReadsPngEntries) {
  // A 32-bit entry whose alpha bytes are all 0: the AND mask decides. The
  // mask's first row (stored last, so the bottom row) marks pixel 0.
  Bytes bitmap = SolidIconBitmap(2, 90, 0);
  bitmap[40 + 16] = 0x80;
  const auto masked = DecodeExact(IconFile({{2, 32, bitmap}}));
  ASSERT_TRUE(masked);
  EXPECT_EQ(Pixel(*masked, 0, 1), (std::vector<int>{90, 0, 0, 0}));
  EXPECT_EQ(Pixel(*masked, 1, 1)[3], 255);
  EXPECT_EQ(Pixel(*masked, 0, 0)[3], 255);

  PngLayout layout(2, 2, 8, PNG_COLOR_TYPE_RGB_ALPHA);
  const Bytes png =
      EncodeTestPng(layout, {{1, 2, 3, 4, 5, 6, 7, 8}, {9, 10, 11, 12, 13, 14, 15, 16}});
  const auto fromPng = DecodeExact(IconFile({{2, 32, png}}));
  ASSERT_TRUE(fromPng);
  EXPECT_TRUE(fromPng->isIcon);
  EXPECT_EQ(Pixel(*fromPng, 1, 1), (std::vector<int>{13, 14, 15, 16}));
}

TEST(DecodeIcon, RefusesABogusDirectory) {
  const Bytes good = IconFile({{16, 32, SolidIconBitmap(16, 10, 255)}});
  ASSERT_TRUE(DecodeExact(good));

  Bytes offsetPastEnd = good;
  offsetPastEnd[6 + 12] = 0xff;  // offset low byte
  offsetPastEnd[6 + 13] = 0xff;
  EXPECT_FALSE(DecodeExact(offsetPastEnd));

  Bytes sizePastEnd = good;
  sizePastEnd[6 + 8] += 1;  // one byte more than the file holds
  EXPECT_FALSE(DecodeExact(sizePastEnd));

  Bytes hugeSize = good;
  std::memset(&hugeSize[6 + 8], 0xff, 4);
  EXPECT_FALSE(DecodeExact(hugeSize));

  Bytes noEntries = good;
  noEntries[4] = 0;
  EXPECT_FALSE(DecodeExact(noEntries));

  Bytes directoryPastEnd = good;
  directoryPastEnd[4] = 200;  // 200 entries cannot fit
  EXPECT_FALSE(DecodeExact(directoryPastEnd));

  EXPECT_FALSE(DecodeExact(Bytes(good.begin(), good.end() - 1)));
}

// --- the built-in pictures ---------------------------------------------------

TEST(DecodeEmbedded, EveryBuiltInPictureDecodesToItsSize) {
  const std::span<const EmbeddedAsset> images = BuiltInImages();
  ASSERT_EQ(images.size(), 26u);
  for (size_t i = 0; i < images.size(); ++i) {
    const testing::CatalogueEntry& expected = testing::AssetCatalogue()[i];
    SCOPED_TRACE(expected.number);
    ASSERT_EQ(images[i].number, expected.number);
    const auto image = DecodeImage(images[i].data, images[i].size);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, expected.width);
    EXPECT_EQ(image->height, expected.height);
    EXPECT_EQ(image->depth, 32);
    EXPECT_EQ(image->isIcon, expected.number == 5);
    EXPECT_EQ(image->rgba.size(), static_cast<size_t>(expected.width) * expected.height * 4);
  }
  // The program icon: its 16 x 16 entry, transparent at the corner.
  const auto icon = DecodeImage(images[0].data, images[0].size);
  ASSERT_TRUE(icon);
  EXPECT_EQ(Pixel(*icon, 0, 0)[3], 0);
  EXPECT_EQ(Pixel(*icon, 8, 10)[3], 255);
}

// --- the image table ---------------------------------------------------------

TEST(ImageTable, FilesReplacesAndForgetsPictures) {
  const std::string play = testing::ReadAssetFile("10-play.png");
  const std::string line = testing::ReadAssetFile("23-underline-short.png");
  ImageTable table;
  EXPECT_EQ(table.Find(10), nullptr);

  ASSERT_TRUE(table.Register(10, testing::Bytes(play), play.size()));
  ASSERT_TRUE(table.Register(23, testing::Bytes(line), line.size()));
  ASSERT_NE(table.Find(10), nullptr);
  EXPECT_EQ(table.Find(10)->width, 128);
  EXPECT_EQ(table.Find(12), nullptr);
  EXPECT_EQ(table.Find(100), nullptr);
  EXPECT_EQ(table.Numbers(), (std::vector<int32_t>{10, 23}));

  // Registering a number again replaces its picture.
  ASSERT_TRUE(table.Register(10, testing::Bytes(line), line.size()));
  ASSERT_NE(table.Find(10), nullptr);
  EXPECT_EQ(table.Find(10)->width, 260);
  EXPECT_EQ(table.Find(10)->height, 2);
  EXPECT_EQ(table.Numbers(), (std::vector<int32_t>{23, 10}));

  // A blob that does not decode leaves the number empty.
  EXPECT_FALSE(table.Register(23, testing::Bytes(play), 100));
  EXPECT_EQ(table.Find(23), nullptr);
  EXPECT_EQ(table.Numbers(), (std::vector<int32_t>{10}));

  table.Clear();
  EXPECT_EQ(table.Find(10), nullptr);
  EXPECT_TRUE(table.Numbers().empty());
}

TEST(ImageTable, RegisterAllFilesWhatRegisterFilesInTurn) {
  // Every built-in picture, one number twice (the later blob wins) and a cut
  // blob between them; with more blobs than cores every thread takes several.
  std::vector<EmbeddedAsset> blobs(BuiltInImages().begin(), BuiltInImages().end());
  const EmbeddedAsset first = blobs[1];
  blobs.push_back({first.number, blobs[2].data, blobs[2].size});
  blobs.push_back({999, first.data, first.size / 2});
  blobs.push_back({998, first.data, first.size});

  ImageTable oneByOne;
  for (const EmbeddedAsset& blob : blobs) oneByOne.Register(blob.number, blob.data, blob.size);
  ImageTable sideBySide;
  sideBySide.RegisterAll(blobs);

  ASSERT_EQ(sideBySide.Numbers(), oneByOne.Numbers());
  EXPECT_EQ(sideBySide.Find(999), nullptr);
  for (int32_t number : oneByOne.Numbers()) {
    const PixelImage* expected = oneByOne.Find(number);
    const PixelImage* actual = sideBySide.Find(number);
    ASSERT_NE(actual, nullptr) << number;
    EXPECT_EQ(actual->width, expected->width) << number;
    EXPECT_EQ(actual->height, expected->height) << number;
    EXPECT_EQ(actual->depth, expected->depth) << number;
    EXPECT_TRUE(actual->rgba == expected->rgba) << number;
  }
  EXPECT_EQ(sideBySide.Find(first.number)->width, oneByOne.Find(blobs[2].number)->width);
}

}  // namespace
}  // namespace zelluo
