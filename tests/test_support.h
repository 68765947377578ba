#pragma once
// Shared helpers of the unit and integration tests.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace zelluo::testing {

// A fresh folder below the system's temporary folder, removed again at the end.
class TempDir {
 public:
  TempDir() {
#ifdef _WIN32
    // No mkdtemp on Windows: random names until create_directory makes a new one.
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      auto candidate = std::filesystem::temp_directory_path() /
                       ("zelluo-test-" + std::to_string(random()));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error)) path_ = candidate.string();
    }
#else
    std::string pattern = (std::filesystem::temp_directory_path() / "zelluo-test-XXXXXX").string();
    char* made = ::mkdtemp(pattern.data());
    path_ = made ? made : "";
#endif
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

 private:
  std::string path_;
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// The settings file as a new start on 6 December 2026 writes it.
inline std::string CreatedSettingsFile(const std::string& date = "06/12/2026") {
  const char* lines[] = {
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
      "",
      "<Root>",
      "  <HKey_Application>",
      "    <Key_Name Value=\"Zelluo\"/>",
      "    <Key_Version Value=\"1.0.0.0\"/>",
      "    <Key_Create Value=\"@\"/>",
      "    <Key_Update Value=\"@\"/>",
      "    <Key_StartPage Value=\"Main\"/>",
      "  </HKey_Application>",
      "  <HKey_Options>",
      "    <Key_StartTray Value=\"0\"/>",
      "    <Key_StartMinimize Value=\"0\"/>",
      "    <Key_AutoUpdate Value=\"0\"/>",
      "    <Key_Language Value=\"German\"/>",
      "    <Key_Theme Value=\"Default\"/>",
      "    <Key_Log Value=\"0\"/>",
      "    <Key_Fadeout Value=\"0\"/>",
      "    <Key_IgnoreRes Value=\"0\"/>",
      "    <Key_Sound Value=\"1\"/>",
      "  </HKey_Options>",
      "  <HKey_Designs>",
      "    <Key_Default Value=\"1\"/>",
      "    <Key_Blue Value=\"0\"/>",
      "    <Key_Green Value=\"0\"/>",
      "    <Key_Violet Value=\"0\"/>",
      "    <Key_Red Value=\"0\"/>",
      "  </HKey_Designs>",
      "</Root>",
  };
  std::string file;
  for (std::string line : lines) {
    if (auto at = line.find('@'); at != std::string::npos) line.replace(at, 1, date);
    file += line + "\r\n";
  }
  return file;
}

// The same file after its first rewrite: a blank ends the last key line of
// each group, and nothing follows the end tag of Root.
inline std::string RewrittenSettingsFile(const std::string& date = "06/12/2026") {
  std::string file = CreatedSettingsFile(date);
  for (const char* last : {"<Key_StartPage Value=\"Main\"/>", "<Key_Sound Value=\"1\"/>",
                           "<Key_Red Value=\"0\"/>"}) {
    auto at = file.find(last);
    file.insert(at + std::string(last).size(), " ");
  }
  file.resize(file.size() - 2);
  return file;
}

// Replaces the Value of the first key named key in a settings file's text.
inline std::string WithValue(std::string file, const std::string& key, const std::string& value) {
  auto at = file.find("<" + key + " Value=\"");
  if (at == std::string::npos) return file;
  at += key.size() + 9;
  file.replace(at, file.find('"', at) - at, value);
  return file;
}

}  // namespace zelluo::testing
