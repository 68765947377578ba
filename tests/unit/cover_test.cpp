// Cover pictures: fitting into 360 x 450 on black, naming by content, and the
// refusal of damaged, foreign and huge files.

#include "collection/cover.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../test_support.h"
#include "collection/import_export.h"
#include "texts/texts.h"

namespace zelluo {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

struct Colour {
  int red, green, blue, alpha = 255;
};

constexpr Colour kBlack{0, 0, 0};

// A picture of one colour, or with pattern set, of vertical one-pixel stripes
// alternating between colour and black.
platform::PixelImage MakePicture(int width, int height, Colour colour, bool stripes = false) {
  platform::PixelImage image;
  image.width = width;
  image.height = height;
  image.rgba.resize(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Colour c = stripes && x % 2 == 1 ? Colour{0, 0, 0, colour.alpha} : colour;
      uint8_t* p = &image.rgba[(static_cast<size_t>(y) * width + x) * 4];
      p[0] = static_cast<uint8_t>(c.red);
      p[1] = static_cast<uint8_t>(c.green);
      p[2] = static_cast<uint8_t>(c.blue);
      p[3] = static_cast<uint8_t>(c.alpha);
    }
  }
  return image;
}

void AppendToString(png_structp png, png_bytep data, size_t size) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), size);
}

// RGBA pixels as a PNG, interlaced (Adam7) or not.
std::string EncodePng(const platform::PixelImage& picture, bool interlaced = false) {
  std::string bytes;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &bytes, AppendToString, nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width),
               static_cast<png_uint_32>(picture.height), 8, PNG_COLOR_TYPE_RGBA,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const int passes = png_set_interlace_handling(png);
  const size_t stride = static_cast<size_t>(picture.width) * 4;
  for (int pass = 0; pass < passes; ++pass) {
    for (int y = 0; y < picture.height; ++y) {
      png_write_row(png, picture.rgba.data() + stride * static_cast<size_t>(y));
    }
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return bytes;
}

enum class Format { Png, Jpeg };

std::string Encode(const platform::PixelImage& picture, Format format) {
  return format == Format::Png ? EncodePng(picture) : collection::EncodeJpeg(picture, 95);
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

::testing::AssertionResult PixelNear(const platform::PixelImage& image, int x, int y,
                                     Colour expected, int tolerance) {
  const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
  const int got[3] = {p[0], p[1], p[2]};
  const int want[3] = {expected.red, expected.green, expected.blue};
  for (int c = 0; c < 3; ++c) {
    if (std::abs(got[c] - want[c]) > tolerance || p[3] != 255) {
      return ::testing::AssertionFailure()
             << "pixel (" << x << ", " << y << ") is " << got[0] << "," << got[1] << "," << got[2]
             << "," << int{p[3]} << ", expected " << want[0] << "," << want[1] << "," << want[2];
    }
  }
  return ::testing::AssertionSuccess();
}

// --- fitting ------------------------------------------------------------------

struct Probe {
  int x, y;
  Colour colour;
};

struct FittingCase {
  const char* name;
  int width, height;
  Format format;
  Colour colour;
  bool stripes;
  std::vector<Probe> probes;  // in the 360 x 450 cover
};

constexpr Colour kRed{200, 40, 40};
constexpr Colour kBlue{30, 60, 220};

TEST(CoverTest, FitsTheWholePictureOnBlackKeepingItsAspect) {
  const std::vector<FittingCase> cases = {
      // 800 x 200 becomes 360 x 90, rows 180..269.
      {"wide",
       800,
       200,
       Format::Png,
       kRed,
       false,
       {{180, 100, kBlack},
        {180, 175, kBlack},
        {180, 185, kRed},
        {3, 225, kRed},
        {356, 225, kRed},
        {180, 264, kRed},
        {180, 275, kBlack},
        {180, 440, kBlack}}},
      // 100 x 1000 becomes 45 x 450, columns 157..201.
      {"tall",
       100,
       1000,
       Format::Png,
       kBlue,
       false,
       {{20, 225, kBlack},
        {152, 225, kBlack},
        {162, 5, kBlue},
        {180, 445, kBlue},
        {197, 225, kBlue},
        {206, 225, kBlack},
        {340, 225, kBlack}}},
      // 300 x 300 grows to 360 x 360, rows 45..404.
      {"square",
       300,
       300,
       Format::Png,
       kRed,
       false,
       {{180, 20, kBlack},
        {180, 40, kBlack},
        {180, 50, kRed},
        {5, 225, kRed},
        {180, 400, kRed},
        {180, 410, kBlack}}},
      // The cover's own size fills it.
      {"cover size",
       360,
       450,
       Format::Png,
       kBlue,
       false,
       {{2, 2, kBlue}, {357, 447, kBlue}, {180, 225, kBlue}}},
      // A small picture grows to 360 x 450.
      {"small", 40, 50, Format::Png, kRed, false, {{3, 3, kRed}, {356, 446, kRed}}},
      // Halving one-pixel stripes averages them rather than picking every
      // other column.
      {"stripes halved",
       720,
       900,
       Format::Png,
       Colour{254, 254, 254},
       true,
       {{10, 10, {127, 127, 127}}, {180, 225, {127, 127, 127}}, {350, 440, {127, 127, 127}}}},
      // Half transparent white lies on black.
      {"half transparent",
       360,
       450,
       Format::Png,
       Colour{255, 255, 255, 128},
       false,
       {{180, 225, {128, 128, 128}}}},
      // A large JPEG is decoded at a fraction of its size: 4000 x 1000 still
      // fills the width, 360 x 90.
      {"wide jpeg",
       4000,
       1000,
       Format::Jpeg,
       kBlue,
       false,
       {{180, 170, kBlack},
        {180, 190, kBlue},
        {5, 225, kBlue},
        {180, 260, kBlue},
        {180, 280, kBlack}}},
      // 300 x 1500 becomes 90 x 450, columns 135..224.
      {"tall jpeg",
       300,
       1500,
       Format::Jpeg,
       kRed,
       false,
       {{128, 225, kBlack},
        {140, 225, kRed},
        {180, 10, kRed},
        {219, 440, kRed},
        {231, 225, kBlack}}},
  };
  for (const FittingCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string picture = dir / "bild";
    WriteBytes(picture, Encode(MakePicture(c.width, c.height, c.colour, c.stripes), c.format));
    const collection::CoverResult result = collection::TakeOverCover(dir / "Cover", picture);
    ASSERT_EQ(result.error, "");
    const std::optional<platform::PixelImage> cover =
        collection::LoadCover(dir / "Cover", result.fileName);
    ASSERT_TRUE(cover);
    ASSERT_EQ(cover->width, collection::kCoverWidth);
    ASSERT_EQ(cover->height, collection::kCoverHeight);
    // The cover is a JPEG of quality 90: a little off near edges.
    const int tolerance = c.format == Format::Jpeg ? 10 : 6;
    for (const Probe& probe : c.probes) {
      EXPECT_TRUE(PixelNear(*cover, probe.x, probe.y, probe.colour, tolerance));
    }
  }
}

// An interlaced PNG comes pass by pass, each row with some of its pixels; its
// cover may differ from the plain file's only by rounding.
TEST(CoverTest, InterlacedAndPlainPngGiveTheSameCover) {
  struct Case {
    const char* name;
    platform::PixelImage picture;
  };
  // Detail in every pixel, so that a pixel of a pass put in the wrong place
  // shows: a ramp across, another down, a checkerboard of single pixels.
  const auto detailed = [](int width, int height, int alpha) {
    platform::PixelImage image = MakePicture(width, height, kBlack);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        uint8_t* p = &image.rgba[(static_cast<size_t>(y) * width + x) * 4];
        p[0] = static_cast<uint8_t>(x * 255 / width);
        p[1] = static_cast<uint8_t>(y * 255 / height);
        p[2] = static_cast<uint8_t>((x + y) % 2 * 255);
        p[3] = static_cast<uint8_t>((x * 7 + y * 3) % 2 == 0 ? alpha : 255);
      }
    }
    return image;
  };
  const std::vector<Case> cases = {
      {"shrunk, odd sizes", detailed(1001, 613, 255)},
      {"grown, some passes empty", detailed(5, 3, 255)},
      {"one column", detailed(1, 40, 255)},
      {"transparent pixels", detailed(720, 903, 90)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string plain = EncodePng(c.picture);
    const std::string interlaced = EncodePng(c.picture, true);
    ASSERT_NE(plain, interlaced);
    const collection::CoverPicture a =
        collection::MakeCover(reinterpret_cast<const uint8_t*>(plain.data()), plain.size());
    const collection::CoverPicture b = collection::MakeCover(
        reinterpret_cast<const uint8_t*>(interlaced.data()), interlaced.size());
    ASSERT_TRUE(a.cover && b.cover);
    ASSERT_EQ(a.cover->rgba.size(), b.cover->rgba.size());
    int largest = 0;
    for (size_t i = 0; i < a.cover->rgba.size(); ++i) {
      largest = std::max(largest, std::abs(a.cover->rgba[i] - b.cover->rgba[i]));
    }
    EXPECT_LE(largest, 1);
  }
}

// --- naming by content ------------------------------------------------------------

TEST(CoverTest, ContentHashIsFnv1a64InHex) {
  EXPECT_EQ(collection::ContentHash(""), "cbf29ce484222325");
  EXPECT_EQ(collection::ContentHash("a"), "af63dc4c8601ec8c");
  EXPECT_EQ(collection::ContentHash("foobar"), "85944171f73967e8");
}

TEST(CoverTest, NamesTheCoverByItsContentAndLeavesThePictureAlone) {
  TempDir dir;
  const std::string cover = dir / "Zelluo Files/Cover/";
  std::filesystem::create_directories(dir / "Zelluo Files");
  const std::string first = dir / "erstes.png";
  const std::string copy = dir / "Kopie mit anderem Namen.jpg";  // a PNG despite the name
  const std::string other = dir / "anderes.png";
  const std::string picture = EncodePng(MakePicture(500, 300, kRed));
  WriteBytes(first, picture);
  WriteBytes(copy, picture);
  WriteBytes(other, EncodePng(MakePicture(500, 300, kBlue)));

  const collection::CoverResult a = collection::TakeOverCover(cover, first);
  const collection::CoverResult b = collection::TakeOverCover(cover, copy);
  const collection::CoverResult c = collection::TakeOverCover(cover, other);
  ASSERT_EQ(a.error, "");
  ASSERT_EQ(b.error, "");
  ASSERT_EQ(c.error, "");
  ASSERT_EQ(a.fileName.size(), 20u);
  EXPECT_EQ(a.fileName.find_first_not_of("0123456789abcdef"), 16u) << a.fileName;
  EXPECT_EQ(a.fileName.substr(16), ".jpg");
  EXPECT_EQ(a.fileName, b.fileName);
  EXPECT_NE(a.fileName, c.fileName);
  const std::string stored = ReadBytes(cover + a.fileName);
  EXPECT_EQ(a.fileName, collection::ContentHash(stored) + ".jpg");
  EXPECT_EQ(stored.substr(0, 3), "\xff\xd8\xff");
  // Two covers and no temporary files; the user's files as they were.
  EXPECT_EQ(FilesIn(cover).size(), 2u);
  EXPECT_EQ(ReadBytes(first), picture);
  EXPECT_EQ(ReadBytes(copy), picture);

  // Another file squatting under the name is not overwritten.
  WriteBytes(cover + a.fileName, "fremd");
  EXPECT_EQ(collection::TakeOverCover(cover, first).error, text::kCoverNameTaken);
  EXPECT_EQ(ReadBytes(cover + a.fileName), "fremd");
}

// --- pictures of an import --------------------------------------------------------

// Films of an import often share a picture; it is decoded once, unless its
// cover has gone since.
TEST(CoverTest, APictureSharedByFilmsOfAnImportIsDecodedOnce) {
  TempDir dir;
  const std::string cover = dir / "Cover";
  WriteBytes(dir / "plakat.png", EncodePng(MakePicture(800, 600, kRed)));
  WriteBytes(dir / "anderes.jpg", collection::EncodeJpeg(MakePicture(300, 200, kBlue), 90));
  const auto filmNaming = [&](const std::string& picture) {
    collection::ImportedFilm film;
    film.film.title = "Film";
    film.cover.path = dir / picture;
    return film;
  };
  std::vector<collection::ImportedFilm> films = {
      filmNaming("plakat.png"), filmNaming("anderes.jpg"), filmNaming("plakat.png"),
      filmNaming("fehlt.png"),  filmNaming("plakat.png"),  filmNaming("fehlt.png")};
  collection::CoverCache covers;
  std::vector<std::string> problems;
  for (collection::ImportedFilm& film : films) {
    problems.push_back(collection::TakeOverImportedCover(film, cover, &covers));
  }
  EXPECT_EQ(covers.PicturesRead(), 3);
  const std::string missing(text::kCoverFileMissing);
  const std::vector<std::string> expected = {"", "", "", missing, "", missing};
  EXPECT_EQ(problems, expected);
  const std::string shared = films[0].film.cover.value_or("");
  EXPECT_EQ(films[2].film.cover, shared);
  EXPECT_EQ(films[4].film.cover, shared);
  EXPECT_NE(films[1].film.cover, shared);
  EXPECT_EQ(FilesIn(cover).size(), 2u);

  // A cover removed in between is made again rather than named.
  std::filesystem::remove(cover + "/" + shared);
  collection::ImportedFilm again = filmNaming("plakat.png");
  EXPECT_EQ(collection::TakeOverImportedCover(again, cover, &covers), "");
  EXPECT_EQ(again.film.cover, shared);
  EXPECT_EQ(covers.PicturesRead(), 4);
  EXPECT_TRUE(std::filesystem::exists(cover + "/" + shared));
}

// --- bad input --------------------------------------------------------------------

std::string BigEndian32(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

// A JPEG whose frame header claims another size than its data.
std::string JpegClaiming(uint16_t width, uint16_t height) {
  std::string jpeg = collection::EncodeJpeg(MakePicture(16, 16, kRed), 90);
  const size_t frame = jpeg.find("\xff\xc0");  // baseline frame header
  if (frame == std::string::npos) return {};
  // Marker, length, precision, then height and width.
  jpeg[frame + 5] = static_cast<char>(height >> 8);
  jpeg[frame + 6] = static_cast<char>(height & 0xff);
  jpeg[frame + 7] = static_cast<char>(width >> 8);
  jpeg[frame + 8] = static_cast<char>(width & 0xff);
  return jpeg;
}

TEST(CoverTest, RefusesDamagedForeignAndHugeFilesWithAMessage) {
  const std::string jpeg = collection::EncodeJpeg(MakePicture(300, 300, kRed, true), 90);
  const std::string png = EncodePng(MakePicture(300, 300, kBlue, true));
  std::string random(4000, '\0');
  uint32_t state = 12345;
  for (char& byte : random) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<char>(state >> 24);
  }
  const std::string pngHeader = std::string("\x89PNG\r\n\x1a\n", 8) + BigEndian32(13) + "IHDR";
  struct BadCase {
    const char* name;
    std::optional<std::string> bytes;  // nothing: no file at all
    std::string_view message;
  };
  const std::vector<BadCase> cases = {
      {"truncated jpeg", jpeg.substr(0, jpeg.size() / 2), text::kCoverDamaged},
      {"jpeg header only", jpeg.substr(0, 200), text::kCoverDamaged},
      {"truncated png", png.substr(0, png.size() / 2), text::kCoverDamaged},
      {"png signature only", png.substr(0, 8), text::kCoverDamaged},
      {"png cut inside its header", png.substr(0, 25), text::kCoverDamaged},
      {"random bytes", random, text::kCoverUnknownFormat},
      {"gif", std::string("GIF89a\x10\x00\x10\x00\x80\x00\x00", 13) + random,
       text::kCoverUnknownFormat},
      {"bitmap", "BM" + random, text::kCoverUnknownFormat},
      {"empty", std::string(), text::kCoverFileEmpty},
      {"missing", std::nullopt, text::kCoverFileMissing},
      {"png claiming 100000 x 100000",
       pngHeader + BigEndian32(100000) + BigEndian32(100000) + std::string("\x08\x06\0\0\0", 5) +
           std::string(64, '\0'),
       text::kCoverTooManyPixels},
      {"png claiming 12000 x 12000 (too many pixels)",
       pngHeader + BigEndian32(12000) + BigEndian32(12000) + std::string("\x08\x06\0\0\0", 5) +
           std::string(64, '\0'),
       text::kCoverTooManyPixels},
      {"png claiming 10000 x 10000 in 97 bytes",
       pngHeader + BigEndian32(10000) + BigEndian32(10000) + std::string("\x08\x06\0\0\0", 5) +
           std::string(64, '\0'),
       text::kCoverDamaged},
      {"jpeg claiming 60000 x 60000", JpegClaiming(60000, 60000), text::kCoverTooManyPixels},
      {"jpeg claiming 16 x 16001", JpegClaiming(16, 16001), text::kCoverTooManyPixels},
  };
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string picture = dir / "bild.jpg";
    if (c.bytes) WriteBytes(picture, *c.bytes);
    const collection::CoverResult result = collection::TakeOverCover(dir / "Cover", picture);
    EXPECT_EQ(result.error, c.message);
    EXPECT_EQ(result.fileName, "");
    EXPECT_TRUE(FilesIn(dir / "Cover").empty());
    if (c.bytes) {
      EXPECT_EQ(ReadBytes(picture), *c.bytes);
    }
  }
}

TEST(CoverTest, RefusesAFolderAndAFileOverTheSizeLimit) {
  TempDir dir;
  std::filesystem::create_directories(dir / "Ordner");
  EXPECT_EQ(collection::TakeOverCover(dir / "Cover", dir / "Ordner").error,
            text::kCoverFileMissing);
  // Sparse where the file system allows: only the size is looked at.
  {
    std::ofstream out(dir / "gross.png", std::ios::binary);
    out << "\x89PNG";
    out.seekp(collection::kMaxCoverSourceBytes);
    out << '\0';
  }
  EXPECT_EQ(collection::TakeOverCover(dir / "Cover", dir / "gross.png").error,
            text::kCoverFileTooLarge);
  EXPECT_TRUE(FilesIn(dir / "Cover").empty());
}

TEST(CoverTest, ReportsACoverFolderThatCannotBeMade) {
  TempDir dir;
  WriteBytes(dir / "bild.png", EncodePng(MakePicture(20, 20, kRed)));
  WriteBytes(dir / "Datei", "kein Ordner");
  const collection::CoverResult result =
      collection::TakeOverCover(dir / "Datei/Cover", dir / "bild.png");
  EXPECT_EQ(result.error, text::kCoverFolderMissing);
  EXPECT_EQ(result.fileName, "");
}

TEST(CoverTest, LoadsOnlyPlainNamesOfIntactCovers) {
  TempDir dir;
  WriteBytes(dir / "bild.png", EncodePng(MakePicture(20, 20, kRed)));
  const std::string folder = dir / "Cover";
  const collection::CoverResult result = collection::TakeOverCover(folder, dir / "bild.png");
  ASSERT_EQ(result.error, "");
  const std::string stored = ReadBytes(folder + "/" + result.fileName);
  WriteBytes(folder + "/halb.jpg", stored.substr(0, stored.size() / 2));
  WriteBytes(folder + "/bild.png", EncodePng(MakePicture(20, 20, kRed)));
  WriteBytes(dir / "aussen.jpg", stored);

  EXPECT_TRUE(collection::LoadCover(folder, result.fileName));
  for (const char* name : {"", ".", "..", "../aussen.jpg", "..\\aussen.jpg", "C:aussen.jpg",
                           "halb.jpg", "bild.png", "fehlt.jpg"}) {
    EXPECT_FALSE(collection::LoadCover(folder, name)) << name;
  }
}

}  // namespace
}  // namespace zelluo
