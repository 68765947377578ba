// Reading RIFF/WAVE files from memory.

#include "assets/wave.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assets/embedded_assets.h"

namespace zelluo {
namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xffff);
  Put16(b, v >> 16);
}

struct Chunk {
  std::string tag;
  Bytes body;
  int64_t statedSize = -1;  // the size field, when it should lie
};

Bytes FormatBody(uint16_t channels = 2) {
  Bytes b;
  Put16(b, 1);
  Put16(b, channels);
  Put32(b, 44100);
  Put32(b, 44100u * 2 * channels);
  Put16(b, static_cast<uint16_t>(2 * channels));
  Put16(b, 16);
  return b;
}

// "RIFF", its size (everything after the first 8 bytes unless given), "WAVE",
// then the chunks back to back without padding.
Bytes RiffFile(const std::vector<Chunk>& chunks, int64_t riffSize = -1) {
  Bytes body = {'W', 'A', 'V', 'E'};
  for (const Chunk& c : chunks) {
    body.insert(body.end(), c.tag.begin(), c.tag.end());
    Put32(body, static_cast<uint32_t>(c.statedSize >= 0 ? c.statedSize : c.body.size()));
    body.insert(body.end(), c.body.begin(), c.body.end());
  }
  Bytes file = {'R', 'I', 'F', 'F'};
  Put32(file, static_cast<uint32_t>(riffSize >= 0 ? riffSize : body.size()));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

// Parses from a heap block of exactly the given bytes.
std::optional<WaveSound> ParseExact(const Bytes& bytes, Bytes& keep) {
  keep = bytes;
  return ParseWave(keep.data(), keep.size());
}

TEST(ParseWave, ReadsTheBuiltInClick) {
  const EmbeddedAsset click = BuiltInClickSound();
  const auto wave = ParseWave(click.data, click.size);
  ASSERT_TRUE(wave);
  EXPECT_EQ(wave->format.formatTag, 1);
  EXPECT_EQ(wave->format.channels, 2);
  EXPECT_EQ(wave->format.samplesPerSecond, 44100u);
  EXPECT_EQ(wave->format.bytesPerSecond, 176400u);
  EXPECT_EQ(wave->format.blockAlign, 4);
  EXPECT_EQ(wave->format.bitsPerSample, 16);
  EXPECT_EQ(wave->samples, click.data + 44);
  EXPECT_EQ(wave->size, 110156u);
}

TEST(ParseWave, StepsOverChunksBetweenFormatAndData) {
  Bytes keep;
  // An odd-sized chunk is not padded: "data" follows right after its 3 bytes.
  const Bytes file =
      RiffFile({{"fmt ", FormatBody(1)}, {"LIST", {1, 2, 3}}, {"data", {9, 8, 7, 6}}});
  const auto wave = ParseExact(file, keep);
  ASSERT_TRUE(wave);
  EXPECT_EQ(wave->format.channels, 1);
  ASSERT_EQ(wave->size, 4u);
  EXPECT_EQ(wave->samples, keep.data() + file.size() - 4);
  EXPECT_EQ(wave->samples[0], 9);

  // A longer "fmt " chunk (with extra bytes) moves the walk on accordingly.
  Bytes longFormat = FormatBody();
  longFormat.insert(longFormat.end(), {0, 0});
  const auto extended = ParseExact(RiffFile({{"fmt ", longFormat}, {"data", {5, 5}}}), keep);
  ASSERT_TRUE(extended);
  EXPECT_EQ(extended->size, 2u);

  // The form type is not looked at.
  Bytes otherForm = RiffFile({{"fmt ", FormatBody()}, {"data", {1, 2}}});
  otherForm[8] = 'X';
  EXPECT_TRUE(ParseExact(otherForm, keep));
}

TEST(ParseWave, RefusesMisplacedMissingAndOverlongChunks) {
  Bytes keep;
  const Bytes good = RiffFile({{"fmt ", FormatBody()}, {"data", {1, 2, 3, 4}}});
  ASSERT_TRUE(ParseExact(good, keep));

  // "fmt " must be the first chunk.
  EXPECT_FALSE(
      ParseExact(RiffFile({{"LIST", {0, 0}}, {"fmt ", FormatBody()}, {"data", {1, 2}}}), keep));
  // No "data" chunk.
  EXPECT_FALSE(ParseExact(RiffFile({{"fmt ", FormatBody()}, {"LIST", {0, 0, 0, 0}}}), keep));
  // A chunk on the way whose size runs past the end.
  EXPECT_FALSE(ParseExact(
      RiffFile({{"fmt ", FormatBody()}, {"LIST", {0, 0}, 1000}, {"data", {1, 2}}}), keep));
  // The samples run past the end.
  EXPECT_FALSE(ParseExact(RiffFile({{"fmt ", FormatBody()}, {"data", {1, 2}, 3}}), keep));
  EXPECT_FALSE(ParseExact(RiffFile({{"fmt ", FormatBody()}, {"data", {1, 2}, 0xffffffff}}), keep));
  // The data lies beyond the size the RIFF header states.
  EXPECT_FALSE(ParseExact(RiffFile({{"fmt ", FormatBody()}, {"data", {1, 2, 3, 4}}}, 30), keep));
  // The caller's limit cuts the samples short.
  EXPECT_FALSE(ParseWave(good.data(), good.size() - 1));
  // A "fmt " chunk too short for a format, or running past the end.
  EXPECT_FALSE(ParseExact(RiffFile({{"fmt ", Bytes(8, 0)}, {"data", {1, 2}}}), keep));
  EXPECT_FALSE(ParseExact(RiffFile({{"fmt ", FormatBody(), 5000}}), keep));
  // Not a RIFF file, too short, or nothing at all.
  Bytes notRiff = good;
  notRiff[0] = 'X';
  EXPECT_FALSE(ParseExact(notRiff, keep));
  EXPECT_FALSE(ParseExact(Bytes(good.begin(), good.begin() + 19), keep));
  EXPECT_FALSE(ParseWave(nullptr, 100));
}

}  // namespace
}  // namespace zelluo
