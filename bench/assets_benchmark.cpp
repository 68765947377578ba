// Decoding the pictures built into the program: what the first paint of the
// window spends on them.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "assets/embedded_assets.h"
#include "assets/image_decoding.h"

namespace zelluo {
namespace {

// All 26 pictures (the icon file and the 25 PNGs), decoded once each.
void BM_DecodeAllBuiltInImages(benchmark::State& state) {
  int64_t bytes = 0;
  for (const assets::EmbeddedAsset& asset : assets::BuiltInImages())
    bytes += static_cast<int64_t>(asset.size);
  for (auto _ : state) {
    int64_t pixels = 0;
    for (const assets::EmbeddedAsset& asset : assets::BuiltInImages()) {
      auto image = assets::DecodeImage(asset.data, asset.size);
      if (!image) state.SkipWithError("a built-in picture did not decode");
      pixels += image ? int64_t{image->width} * image->height : 0;
    }
    benchmark::DoNotOptimize(pixels);
  }
  state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_DecodeAllBuiltInImages)->Unit(benchmark::kMillisecond);

// Each picture on its own, to see which ones dominate.
void BM_DecodeOneImage(benchmark::State& state) {
  const auto images = assets::BuiltInImages();
  if (static_cast<size_t>(state.range(0)) >= images.size()) {
    state.SkipWithError("no such picture");
    return;
  }
  const assets::EmbeddedAsset& asset = images[static_cast<size_t>(state.range(0))];
  state.SetLabel("image " + std::to_string(asset.number));
  for (auto _ : state) {
    auto image = assets::DecodeImage(asset.data, asset.size);
    benchmark::DoNotOptimize(image);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(asset.size));
}
BENCHMARK(BM_DecodeOneImage)->DenseRange(0, 25)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zelluo

BENCHMARK_MAIN();
