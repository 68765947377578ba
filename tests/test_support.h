#pragma once
// Shared helpers of the unit and integration tests.

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
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      auto candidate = std::filesystem::temp_directory_path() /
                       ("zelluo-test-" + std::to_string(random()) + std::to_string(random()));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error)) path_ = candidate.string();
    }
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

// path, UTF-8, as the system's path type: Windows takes narrow names in its
// own code page, not UTF-8.
inline std::filesystem::path SystemPath(const std::string& path) {
  return std::filesystem::path(
      std::u8string(reinterpret_cast<const char8_t*>(path.data()), path.size()));
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(SystemPath(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(SystemPath(path).parent_path());
  std::ofstream(SystemPath(path), std::ios::binary | std::ios::trunc) << bytes;
}

// A file of tests/data/settings (its README.md says what they are); created.xml
// is the file a first start on 6 December 2026 writes, rewritten.xml the same
// after its first rewrite.
inline std::string CorpusFile(const std::string& name) {
  return ReadBytes(std::string(ZELLUO_SOURCE_DIR) + "/tests/data/settings/" + name);
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
