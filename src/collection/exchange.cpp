#include "collection/exchange.h"

namespace zelluo::collection {

std::string FileNameOf(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FolderOf(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
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
