// Taking over a cover: a camera-sized JPEG and a large PNG decoded into
// 360 x 450 and encoded, in memory; and loading a stored cover for
// display.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "collection/cover.h"

namespace zelluo {
namespace {

// Smooth colour ramps with a little noise, so that the files are about as
// large as photographs of that size.
platform::PixelImage MakePhotograph(int width, int height) {
  platform::PixelImage image;
  image.width = width;
  image.height = height;
  image.rgba.resize(static_cast<size_t>(width) * height * 4);
  uint32_t noise = 1;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      noise = noise * 1664525u + 1013904223u;
      uint8_t* p = &image.rgba[(static_cast<size_t>(y) * width + x) * 4];
      p[0] = static_cast<uint8_t>(x * 255 / width + (noise >> 29));
      p[1] = static_cast<uint8_t>(y * 255 / height + (noise >> 29));
      p[2] = static_cast<uint8_t>((x + y) * 127 / (width + height) + (noise >> 28));
      p[3] = 255;
    }
  }
  return image;
}

std::string EncodePng(const platform::PixelImage& picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, picture.rgba.data(), 0, nullptr);
  std::string bytes(size, '\0');
  png_image_write_to_memory(&image, bytes.data(), &size, 0, picture.rgba.data(), 0, nullptr);
  bytes.resize(size);
  return bytes;
}

void TakeOverInMemory(benchmark::State& state, const std::string& file) {
  for (auto _ : state) {
    const collection::CoverPicture made =
        collection::MakeCover(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    if (!made.cover) {
      state.SkipWithError("the picture did not decode");
      break;
    }
    const std::string jpeg = collection::EncodeJpeg(*made.cover, collection::kCoverJpegQuality);
    benchmark::DoNotOptimize(jpeg.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}

// A 12-megapixel photograph as JPEG (libjpeg decodes it at 1/4 scale).
void BM_TakeOverJpeg4000x3000(benchmark::State& state) {
  static const std::string file = collection::EncodeJpeg(MakePhotograph(4000, 3000), 90);
  TakeOverInMemory(state, file);
}
BENCHMARK(BM_TakeOverJpeg4000x3000)->Unit(benchmark::kMillisecond);

// A 3-megapixel PNG: averaged down row by row as it is decoded.
void BM_TakeOverPng2000x1500(benchmark::State& state) {
  static const std::string file = EncodePng(MakePhotograph(2000, 1500));
  TakeOverInMemory(state, file);
}
BENCHMARK(BM_TakeOverPng2000x1500)->Unit(benchmark::kMillisecond);

// A stored cover read and decoded for display.
void BM_LoadCover(benchmark::State& state) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "zelluo-cover-benchmark";
  std::filesystem::create_directories(folder);
  const std::string name = "cover.jpg";
  {
    std::ofstream out(folder / name, std::ios::binary);
    out << collection::EncodeJpeg(collection::FitCover(MakePhotograph(720, 900)),
                                  collection::kCoverJpegQuality);
  }
  for (auto _ : state) {
    auto cover = collection::LoadCover(folder.string(), name);
    if (!cover) {
      state.SkipWithError("the cover did not load");
      break;
    }
    benchmark::DoNotOptimize(cover->rgba.data());
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_LoadCover)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelluo

BENCHMARK_MAIN();
