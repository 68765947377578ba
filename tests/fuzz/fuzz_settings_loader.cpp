// libFuzzer target: any bytes as the settings file, through both reads, a
// single-key rewrite and the layout; a rewritten file must parse again.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/headless/headless_platform.h"
#include "settings/settings_store.h"
#include "settings/xml_document.h"

namespace {

std::string MakeRoot() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zelluo-fuzz-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  std::filesystem::create_directories(pattern + "/Zelluo Files");
  return pattern;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelluo;
  static const std::string root = MakeRoot();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  HeadlessPlatform platform(root);
  if (!os::WriteFileAtomic(platform.Resolve(SettingsPath), bytes)) std::abort();
  SettingsRecord record = DefaultSettings(platform.Today());
  LoadOrCreateSettings(platform, record);
  LoadOrCreateSettings(platform, record);
  ReadAllSettings(platform, record);
  if (WriteSettingsValue(platform, kStartPageKey, "Main")) {
    auto saved = os::ReadWholeFile(platform.Resolve(SettingsPath));
    auto again = ParseDocument(saved.value_or(""), XmlEncoding::Utf8);
    if (!again || DocumentStatus(*again) != 0) std::abort();
  }

  auto document = ParseDocument(bytes, XmlEncoding::Utf8);
  if (document) {
    Reformat(*document);
    (void)SerializeDocument(*document);
  }
  return 0;
}
