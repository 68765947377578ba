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

  zelluo::platform::HeadlessPlatform platform(root);
  if (!zelluo::platform::os::WriteFileAtomic(platform.Resolve(zelluo::settings::SettingsPath),
                                             bytes))
    std::abort();
  zelluo::settings::SettingsRecord record = zelluo::settings::DefaultSettings(platform.Today());
  LoadOrCreateSettings(platform, record);
  LoadOrCreateSettings(platform, record);
  ReadAllSettings(platform, record);
  if (WriteSettingsValue(platform, zelluo::settings::kStartPageKey, "Main")) {
    auto saved =
        zelluo::platform::os::ReadWholeFile(platform.Resolve(zelluo::settings::SettingsPath));
    auto again = ParseDocument(saved.value_or(""), zelluo::settings::XmlEncoding::Utf8);
    if (!again || DocumentStatus(*again) != 0) std::abort();
  }

  auto document = ParseDocument(bytes, zelluo::settings::XmlEncoding::Utf8);
  if (document) {
    Reformat(*document);
    (void)SerializeDocument(*document);
  }
  return 0;
}
