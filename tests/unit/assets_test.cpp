// The committed asset files and their embedded copies: formats, sizes, the
// colours the window relies on, the frame tiling and the click sound.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "asset_catalogue.h"
#include "assets/embedded_assets.h"
#include "assets/image_decoding.h"

namespace zelluo {
namespace {

using testing::AssetCatalogue;
using testing::Bytes;
using testing::CatalogueEntry;
using testing::ReadAssetFile;

uint32_t BigEndian32(const std::string& s, size_t at) {
  return static_cast<uint32_t>(static_cast<uint8_t>(s[at])) << 24 |
         static_cast<uint32_t>(static_cast<uint8_t>(s[at + 1])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(s[at + 2])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(s[at + 3]));
}

uint32_t Little32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(s[at + i]);
  return v;
}

uint16_t Little16(const std::string& s, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8);
}

uint32_t Crc32(const std::string& s, size_t from, size_t length) {
  uint32_t crc = 0xffffffffu;
  for (size_t i = from; i < from + length; ++i) {
    crc ^= static_cast<uint8_t>(s[i]);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

bool IsPngEntry(const CatalogueEntry& entry) { return std::string(entry.file).ends_with(".png"); }

bool IsSwitch(int32_t number) { return number >= 6 && number <= 9; }
bool IsFramePiece(int32_t number) { return number >= 12101 && number <= 12104; }
bool IsUnderline(int32_t number) { return number == 23 || number == 24; }

struct Rgba {
  int r, g, b, a;
};

Rgba PixelAt(const PixelImage& image, int x, int y) {
  const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

bool IsPanelColour(Rgba p) { return p.r == 40 && p.g == 40 && p.b == 40; }

// The decoded committed pictures, by number.
const std::map<int32_t, PixelImage>& Pictures() {
  static const std::map<int32_t, PixelImage> pictures = [] {
    std::map<int32_t, PixelImage> out;
    for (const CatalogueEntry& entry : AssetCatalogue()) {
      if (!IsPngEntry(entry)) continue;
      const std::string bytes = ReadAssetFile(entry.file);
      std::optional<PixelImage> image = DecodePng(Bytes(bytes), bytes.size());
      if (image) out.emplace(entry.number, std::move(*image));
    }
    return out;
  }();
  return pictures;
}

TEST(EmbeddedAssets, AreTheCommittedFilesInStorageOrder) {
  const std::span<const EmbeddedAsset> files = EmbeddedAssetFiles();
  ASSERT_EQ(files.size(), AssetCatalogue().size());
  for (size_t i = 0; i < files.size(); ++i) {
    const CatalogueEntry& expected = AssetCatalogue()[i];
    SCOPED_TRACE(expected.file);
    EXPECT_EQ(files[i].number, expected.number);
    const std::string bytes = ReadAssetFile(expected.file);
    ASSERT_FALSE(bytes.empty());
    ASSERT_EQ(files[i].size, bytes.size());
    EXPECT_EQ(std::memcmp(files[i].data, bytes.data(), bytes.size()), 0);
  }
  // One contiguous stretch, each file right after the one before.
  for (size_t i = 1; i < files.size(); ++i) {
    EXPECT_EQ(files[i].data, files[i - 1].data + files[i - 1].size);
  }

  const std::span<const EmbeddedAsset> images = BuiltInImages();
  ASSERT_EQ(images.size(), 26u);
  EXPECT_EQ(images.front().number, 5);
  EXPECT_EQ(images.back().number, 24);
  EXPECT_EQ(BuiltInClickSound().number, 0);
  EXPECT_EQ(BuiltInClickSound().size, 110200u);
}

TEST(AssetFiles, PngsHaveExactlyTheExpectedChunksAndHeader) {
  int checked = 0;
  for (const CatalogueEntry& entry : AssetCatalogue()) {
    if (!IsPngEntry(entry)) continue;
    SCOPED_TRACE(entry.file);
    const std::string png = ReadAssetFile(entry.file);
    ASSERT_GT(png.size(), 8u);
    ASSERT_EQ(png.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0);
    std::vector<std::string> chunks;
    size_t at = 8;
    while (at + 12 <= png.size()) {
      const uint32_t length = BigEndian32(png, at);
      ASSERT_LE(at + 12 + length, png.size());
      chunks.push_back(png.substr(at + 4, 4));
      EXPECT_EQ(BigEndian32(png, at + 8 + length), Crc32(png, at + 4, 4 + length))
          << "CRC of " << chunks.back();
      if (chunks.back() == "IHDR") {
        ASSERT_EQ(length, 13u);
        EXPECT_EQ(static_cast<int32_t>(BigEndian32(png, at + 8)), entry.width);
        EXPECT_EQ(static_cast<int32_t>(BigEndian32(png, at + 12)), entry.height);
        EXPECT_EQ(png[at + 16], 8);  // bits per channel
        EXPECT_EQ(png[at + 17], 6);  // RGBA
        EXPECT_EQ(png[at + 18], 0);  // deflate
        EXPECT_EQ(png[at + 19], 0);  // adaptive filtering
        EXPECT_EQ(png[at + 20], 0);  // not interlaced
      }
      at += 12 + length;
    }
    EXPECT_EQ(at, png.size()) << "bytes after the last chunk";
    EXPECT_EQ(chunks, (std::vector<std::string>{"IHDR", "pHYs", "cHRM", "IDAT", "IEND"}));
    ++checked;
  }
  EXPECT_EQ(checked, 25);
}

TEST(AssetPictures, CornersAreThePanelColour) {
  ASSERT_EQ(Pictures().size(), 25u);
  for (const auto& [number, image] : Pictures()) {
    if (IsFramePiece(number) || IsUnderline(number)) continue;
    SCOPED_TRACE(number);
    for (const auto& [x, y] : {std::pair{0, 0},
                               {image.width - 1, 0},
                               {0, image.height - 1},
                               {image.width - 1, image.height - 1}}) {
      const Rgba p = PixelAt(image, x, y);
      EXPECT_TRUE(IsPanelColour(p)) << x << "," << y << ": " << p.r << " " << p.g << " " << p.b;
      if (!IsSwitch(number)) {
        EXPECT_EQ(p.a, 255);
      }
    }
  }
}

TEST(AssetPictures, OnlyTheSwitchBordersAreTranslucent) {
  for (const auto& [number, image] : Pictures()) {
    SCOPED_TRACE(number);
    int translucent = 0;
    int border = 0;
    int at240 = 0;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const Rgba p = PixelAt(image, x, y);
        const bool onBorder = x == 0 || y == 0 || x == image.width - 1 || y == image.height - 1;
        if (IsSwitch(number) && onBorder) {
          ++border;
          EXPECT_TRUE(p.a >= 225 && p.a <= 244) << x << "," << y << " alpha " << p.a;
          EXPECT_TRUE(IsPanelColour(p)) << x << "," << y;
          if (p.a == 240) ++at240;
        } else if (p.a != 255) {
          ++translucent;
        }
      }
    }
    EXPECT_EQ(translucent, 0);
    if (IsSwitch(number)) {
      EXPECT_GT(at240, border / 2);
    }
  }
}

TEST(AssetPictures, FramePiecesTileTheWindowBorder) {
  struct Placement {
    int32_t number;
    int x;
    int y;
  };
  // Where the frame gadgets 2 to 5 put the pieces.
  const Placement placements[] = {
      {12101, 0, 0}, {12102, 1240, 50}, {12103, 0, 984}, {12104, 0, 50}};
  std::vector<int> cover(1280 * 1024, 0);
  for (const Placement& placement : placements) {
    const PixelImage& piece = Pictures().at(placement.number);
    ASSERT_LE(placement.x + piece.width, 1280);
    ASSERT_LE(placement.y + piece.height, 1024);
    for (int y = 0; y < piece.height; ++y) {
      for (int x = 0; x < piece.width; ++x) ++cover[(placement.y + y) * 1280 + placement.x + x];
    }
  }
  int gaps = 0;
  int overlaps = 0;
  int inContent = 0;
  for (int y = 0; y < 1024; ++y) {
    for (int x = 0; x < 1280; ++x) {
      const bool content = x >= 40 && x < 1240 && y >= 50 && y < 984;
      const int n = cover[y * 1280 + x];
      if (content) {
        inContent += n;
      } else if (n == 0) {
        ++gaps;
      } else if (n > 1) {
        ++overlaps;
      }
    }
  }
  EXPECT_EQ(gaps, 0);
  EXPECT_EQ(overlaps, 0);
  EXPECT_EQ(inContent, 0);
}

TEST(AssetPictures, FramePanelAndOutlineLineUpAcrossPieces) {
  const PixelImage& top = Pictures().at(12101);
  const PixelImage& right = Pictures().at(12102);
  const PixelImage& bottom = Pictures().at(12103);
  const PixelImage& left = Pictures().at(12104);
  auto white = [](Rgba p) { return p.r == 255 && p.g == 255 && p.b == 255; };
  // The panel is filled with the window colour next to the content area.
  EXPECT_TRUE(IsPanelColour(PixelAt(top, 640, 49)));
  EXPECT_TRUE(IsPanelColour(PixelAt(right, 0, 467)));
  EXPECT_TRUE(IsPanelColour(PixelAt(bottom, 640, 0)));
  EXPECT_TRUE(IsPanelColour(PixelAt(left, 39, 467)));
  // The thin white outline: a straight line through the side pieces that
  // continues in the pieces above and below, so there is no step at a seam.
  EXPECT_TRUE(white(PixelAt(top, 640, 22)));
  EXPECT_TRUE(white(PixelAt(bottom, 640, 14)));
  for (int y = 0; y < 934; ++y) {
    ASSERT_TRUE(white(PixelAt(left, 20, y))) << y;
    ASSERT_TRUE(white(PixelAt(right, 17, y))) << y;
  }
  EXPECT_TRUE(white(PixelAt(top, 20, 49)));
  EXPECT_TRUE(white(PixelAt(top, 1257, 49)));
  EXPECT_TRUE(white(PixelAt(bottom, 20, 0)));
  EXPECT_TRUE(white(PixelAt(bottom, 1257, 0)));
  // The outer band is dark in the middle of the top and bottom pieces and
  // lighter toward their ends.
  EXPECT_LT(PixelAt(top, 640, 5).r, PixelAt(top, 5, 5).r);
  EXPECT_LT(PixelAt(bottom, 640, 30).r, PixelAt(bottom, 5, 30).r);
}

TEST(AssetPictures, UnderlinesShadeFromPanelColourToWhite) {
  for (int32_t number : {23, 24}) {
    SCOPED_TRACE(number);
    const PixelImage& line = Pictures().at(number);
    const Rgba first = PixelAt(line, 0, 0);
    const Rgba last = PixelAt(line, line.width - 1, 0);
    EXPECT_TRUE(IsPanelColour(first));
    EXPECT_EQ(last.r + last.g + last.b, 3 * 255);
    for (int x = 0; x < line.width; ++x) {
      const Rgba upper = PixelAt(line, x, 0);
      const Rgba lower = PixelAt(line, x, 1);
      ASSERT_EQ(upper.r, lower.r) << x;
      ASSERT_TRUE(upper.r == upper.g && upper.g == upper.b) << x;
      if (x > 0) {
        ASSERT_GE(upper.r, PixelAt(line, x - 1, 0).r) << x;
      }
    }
  }
}

TEST(ProgramIcon, HoldsFive32BitBitmapsWithTheirMasks) {
  const std::string ico = ReadAssetFile("icon.ico");
  ASSERT_GE(ico.size(), 6u + 5 * 16);
  EXPECT_EQ(Little16(ico, 0), 0);
  EXPECT_EQ(Little16(ico, 2), 1);
  ASSERT_EQ(Little16(ico, 4), 5);
  size_t expectedOffset = 6 + 5 * 16;
  const int sizes[] = {16, 32, 48, 64, 128};
  for (int i = 0; i < 5; ++i) {
    const int n = sizes[i];
    SCOPED_TRACE(n);
    const size_t record = 6 + 16 * static_cast<size_t>(i);
    EXPECT_EQ(static_cast<uint8_t>(ico[record]), n);
    EXPECT_EQ(static_cast<uint8_t>(ico[record + 1]), n);
    EXPECT_EQ(Little16(ico, record + 6), 32);
    const size_t maskStride = ((n + 31) / 32) * 4;
    const size_t bytes = 40 + static_cast<size_t>(n) * n * 4 + maskStride * n;
    EXPECT_EQ(Little32(ico, record + 8), bytes);
    ASSERT_EQ(Little32(ico, record + 12), expectedOffset);
    const size_t at = expectedOffset;
    ASSERT_LE(at + bytes, ico.size());
    EXPECT_EQ(Little32(ico, at), 40u);
    EXPECT_EQ(Little32(ico, at + 4), static_cast<uint32_t>(n));
    EXPECT_EQ(Little32(ico, at + 8), static_cast<uint32_t>(2 * n));  // colour and mask rows
    EXPECT_EQ(Little16(ico, at + 14), 32);
    EXPECT_EQ(Little32(ico, at + 16), 0u);  // uncompressed
    // Transparent around the board, opaque in its middle, and the AND mask
    // marks exactly the transparent pixels. Rows are stored bottom-up.
    const size_t pixels = at + 40;
    const size_t mask = pixels + static_cast<size_t>(n) * n * 4;
    auto alpha = [&](int x, int row) {
      return static_cast<uint8_t>(ico[pixels + (static_cast<size_t>(row) * n + x) * 4 + 3]);
    };
    EXPECT_EQ(alpha(0, 0), 0);
    EXPECT_EQ(alpha(n - 1, n - 1), 0);
    EXPECT_EQ(alpha(n / 2, n / 3), 255);
    int mismatches = 0;
    for (int row = 0; row < n; ++row) {
      for (int x = 0; x < n; ++x) {
        const bool bit =
            (static_cast<uint8_t>(ico[mask + row * maskStride + x / 8]) >> (7 - x % 8)) & 1;
        if (bit != (alpha(x, row) == 0)) ++mismatches;
      }
    }
    EXPECT_EQ(mismatches, 0);
    expectedOffset += bytes;
  }
  EXPECT_EQ(expectedOffset, ico.size());
}

TEST(ClickSound, HasTheExactWaveLayout) {
  const std::string wav = ReadAssetFile("click.wav");
  ASSERT_EQ(wav.size(), 110200u);
  EXPECT_EQ(wav.compare(0, 4, "RIFF"), 0);
  EXPECT_EQ(Little32(wav, 4), 110192u);
  EXPECT_EQ(wav.compare(8, 8, "WAVEfmt "), 0);
  EXPECT_EQ(Little32(wav, 16), 16u);
  EXPECT_EQ(Little16(wav, 20), 1);  // PCM
  EXPECT_EQ(Little16(wav, 22), 2);
  EXPECT_EQ(Little32(wav, 24), 44100u);
  EXPECT_EQ(Little32(wav, 28), 176400u);
  EXPECT_EQ(Little16(wav, 32), 4);
  EXPECT_EQ(Little16(wav, 34), 16);
  EXPECT_EQ(wav.compare(36, 4, "data"), 0);
  EXPECT_EQ(Little32(wav, 40), 110156u);
  EXPECT_EQ(110156u / 4, 27539u);
}

TEST(ClickSound, IsAShortBrightStereoClick) {
  const std::string wav = ReadAssetFile("click.wav");
  ASSERT_EQ(wav.size(), 110200u);
  const int frames = 27539;
  std::vector<int> left(frames);
  std::vector<int> right(frames);
  for (int i = 0; i < frames; ++i) {
    left[i] = static_cast<int16_t>(Little16(wav, 44 + 4 * static_cast<size_t>(i)));
    right[i] = static_cast<int16_t>(Little16(wav, 46 + 4 * static_cast<size_t>(i)));
  }
  auto frameAt = [](double ms) { return static_cast<int>(ms * 44.1); };
  auto peakIndex = [](const std::vector<int>& s) {
    return static_cast<int>(
        std::max_element(s.begin(), s.end(),
                         [](int a, int b) { return std::abs(a) < std::abs(b); }) -
        s.begin());
  };
  auto peakBetween = [&](const std::vector<int>& s, double fromMs, double toMs) {
    int peak = 0;
    for (int i = frameAt(fromMs); i < std::min(frames, frameAt(toMs)); ++i) {
      peak = std::max(peak, std::abs(s[i]));
    }
    return peak;
  };

  const int rightPeakAt = peakIndex(right);
  const int rightPeak = std::abs(right[rightPeakAt]);
  EXPECT_TRUE(right[rightPeakAt] == 32767 || right[rightPeakAt] == -32768);
  EXPECT_GE(rightPeakAt, frameAt(40));
  EXPECT_LE(rightPeakAt, frameAt(60));
  const int leftPeakAt = peakIndex(left);
  EXPECT_GE(leftPeakAt, frameAt(40));
  EXPECT_LE(leftPeakAt, frameAt(60));
  const double leftShare = std::abs(left[leftPeakAt]) / static_cast<double>(rightPeak);
  EXPECT_GT(leftShare, 0.70);
  EXPECT_LT(leftShare, 0.86);

  // Rising to the peak: the first 20 ms stay well below it.
  EXPECT_LT(peakBetween(right, 0, 20), rightPeak / 4);
  // Under a tenth by 100 ms, near silence from 120 ms on, but not digital
  // silence: a faint tail runs to the end.
  EXPECT_LT(peakBetween(right, 100, 1000), rightPeak / 10);
  EXPECT_LT(peakBetween(left, 100, 1000), rightPeak / 10);
  EXPECT_LT(peakBetween(right, 120, 1000), rightPeak / 50);
  EXPECT_LT(peakBetween(left, 120, 1000), rightPeak / 50);
  EXPECT_GT(peakBetween(right, 300, 1000), 0);

  // True stereo: the channels differ in most frames of the click.
  int differing = 0;
  for (int i = frameAt(30); i < frameAt(80); ++i) differing += left[i] != right[i];
  EXPECT_GT(differing, (frameAt(80) - frameAt(30)) * 9 / 10);
}

}  // namespace
}  // namespace zelluo
