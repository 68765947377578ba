#include "collection/exchange.h"

#include <utility>

#include "platform/invariant.h"

namespace zelluo::collection {
namespace {

class OneStepReading final : public FilmReading {
 public:
  explicit OneStepReading(std::function<ImportResult()> read) : read_(std::move(read)) {}
  bool Step(Deadline) override {
    if (read_) result_ = std::exchange(read_, nullptr)();
    return true;
  }
  int Percent() const override { return read_ ? 0 : 100; }
  ImportResult Result() override {
    ZELLUO_ASSERT(!read_);
    return std::move(result_);
  }

 private:
  std::function<ImportResult()> read_;
  ImportResult result_;
};

}  // namespace

std::unique_ptr<FilmReading> ReadingInOneStep(std::function<ImportResult()> read) {
  return std::make_unique<OneStepReading>(std::move(read));
}

ImportResult ReadToEnd(FilmReading& reading) {
  while (!reading.Step(FilmReading::Deadline::max())) {
  }
  return reading.Result();
}

std::string FileNameOf(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FolderOf(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

bool IsAbsolutePath(std::string_view path) {
  if (path.empty()) return false;
  if (path.front() == '/' || path.front() == '\\') return true;
  const char drive = static_cast<char>(path.front() | 0x20);
  return path.size() >= 3 && drive >= 'a' && drive <= 'z' && path[1] == ':' &&
         (path[2] == '/' || path[2] == '\\');
}

std::string PercentEncoded(std::string_view text, std::string_view kept) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
        kept.find(c) != std::string_view::npos) {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    }
  }
  return out;
}

bool ReadCoverBytes(const CoverSource& source, std::string& out, std::string& error) {
  if (!source.archive) {
    out = source.bytes;
    return true;
  }
  if (source.archive->reader.Read(source.member, out)) return true;
  error = source.archive->reader.Error();
  return false;
}

}  // namespace zelluo::collection
