// The settings file through the XML layer: parse, re-indent and serialise, as
// every save does, and the reads of a whole start-up on the headless platform.
#include <benchmark/benchmark.h>

#include <string>

#include "../tests/test_support.h"
#include "platform/headless/headless_platform.h"
#include "settings/settings_record.h"
#include "settings/settings_store.h"
#include "settings/xml_document.h"

namespace zelluo {
namespace {

// Load, layout and serialisation of the file as the program writes it: once
// freshly created and once in its rewritten form.
void BM_RoundTrip(benchmark::State& state, const std::string& file) {
  for (auto _ : state) {
    auto document = settings::ParseDocument(file, settings::XmlEncoding::Utf8);
    settings::Reformat(*document);
    std::string bytes = settings::SerializeDocument(*document);
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK_CAPTURE(BM_RoundTrip, created, testing::CorpusFile("created.xml"));
BENCHMARK_CAPTURE(BM_RoundTrip, rewritten, testing::CorpusFile("rewritten.xml"));

// The single-key write of the start-page reset: load from disk, change one
// value, layout, atomic save (write, fsync, rename).
void BM_WriteSettingsValue(benchmark::State& state) {
  testing::TempDir dir;
  platform::HeadlessPlatform platform(dir.Path());
  testing::WriteBytes(dir / "Zelluo Files/Zelluo.xml", testing::CorpusFile("created.xml"));
  int i = 0;
  for (auto _ : state) {
    bool ok = settings::WriteSettingsValue(platform, settings::kStartPageKey,
                                           (++i % 2) != 0 ? "Main" : "Options");
    benchmark::DoNotOptimize(ok);
  }
}
BENCHMARK(BM_WriteSettingsValue)->Unit(benchmark::kMicrosecond);

// The three reads of a start-up: LoadOrCreateSettings twice, ReadAllSettings.
void BM_StartUpReads(benchmark::State& state) {
  testing::TempDir dir;
  platform::HeadlessPlatform platform(dir.Path());
  testing::WriteBytes(dir / "Zelluo Files/Zelluo.xml", testing::CorpusFile("created.xml"));
  for (auto _ : state) {
    settings::SettingsRecord record = settings::DefaultSettings(platform.date);
    settings::LoadOrCreateSettings(platform, record);
    LoadOrCreateSettings(platform, record);
    settings::ReadAllSettings(platform, record);
    benchmark::DoNotOptimize(record);
  }
}
BENCHMARK(BM_StartUpReads)->Unit(benchmark::kMicrosecond);

// A hand-edited file with one long comment. The parser is fed 16 KiB at a
// time and scans an unfinished token again with every chunk, so the cost
// grows with the square of the token's length; many short comments of the
// same total size stay linear.
std::string WithComment(size_t bytes, size_t pieces) {
  std::string file = testing::CorpusFile("created.xml");
  std::string comments;
  const size_t each = bytes / pieces;
  for (size_t i = 0; i < pieces; ++i) comments += "<!--" + std::string(each, 'x') + "-->";
  file.insert(file.find("</Root>"), comments + "\r\n");
  return file;
}

void BM_ParseOneLongComment(benchmark::State& state) {
  const std::string file = WithComment(static_cast<size_t>(state.range(0)), 1);
  for (auto _ : state) {
    auto document = settings::ParseDocument(file, settings::XmlEncoding::Utf8);
    benchmark::DoNotOptimize(document);
  }
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ParseOneLongComment)
    ->RangeMultiplier(4)
    ->Range(64 << 10, 4 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_ParseManyShortComments(benchmark::State& state) {
  const size_t bytes = static_cast<size_t>(state.range(0));
  const std::string file = WithComment(bytes, bytes / 1024);
  for (auto _ : state) {
    auto document = settings::ParseDocument(file, settings::XmlEncoding::Utf8);
    benchmark::DoNotOptimize(document);
  }
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ParseManyShortComments)
    ->RangeMultiplier(4)
    ->Range(64 << 10, 4 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace
}  // namespace zelluo

BENCHMARK_MAIN();
