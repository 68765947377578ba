#include "collection/zip_archive.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "collection/exchange.h"
#include "texts/texts.h"

namespace zelluo::collection {
namespace {

// A file in memory for minizip: read-only over a view, or growing into a
// string when written. minizip seeks back to finish each local header.
struct MemoryFile {
  const char* data = nullptr;
  uint64_t size = 0;
  std::string* out = nullptr;
  uint64_t pos = 0;
};

voidpf ZCALLBACK OpenMemory(voidpf opaque, const void*, int) { return opaque; }

uLong ZCALLBACK ReadMemory(voidpf, voidpf stream, void* buffer, uLong size) {
  auto& file = *static_cast<MemoryFile*>(stream);
  const char* data = file.out ? file.out->data() : file.data;
  const uint64_t length = file.out ? file.out->size() : file.size;
  if (file.pos >= length) return 0;
  const uint64_t count = std::min<uint64_t>(size, length - file.pos);
  std::memcpy(buffer, data + file.pos, count);
  file.pos += count;
  return static_cast<uLong>(count);
}

uLong ZCALLBACK WriteMemory(voidpf, voidpf stream, const void* buffer, uLong size) {
  auto& file = *static_cast<MemoryFile*>(stream);
  if (file.out == nullptr) return 0;
  if (file.pos == file.out->size()) {
    file.out->append(static_cast<const char*>(buffer), size);  // no zero fill before the copy
  } else {
    if (file.out->size() < file.pos + size) file.out->resize(file.pos + size);
    std::memcpy(file.out->data() + file.pos, buffer, size);
  }
  file.pos += size;
  return size;
}

ZPOS64_T ZCALLBACK TellMemory(voidpf, voidpf stream) {
  return static_cast<MemoryFile*>(stream)->pos;
}

long ZCALLBACK SeekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  auto& file = *static_cast<MemoryFile*>(stream);
  const uint64_t length = file.out ? file.out->size() : file.size;
  uint64_t base = 0;
  if (origin == ZLIB_FILEFUNC_SEEK_CUR) base = file.pos;
  if (origin == ZLIB_FILEFUNC_SEEK_END) base = length;
  if (base > length || offset > length - base) return -1;
  file.pos = base + offset;
  return 0;
}

int ZCALLBACK CloseMemory(voidpf, voidpf) { return 0; }
int ZCALLBACK ErrorMemory(voidpf, voidpf) { return 0; }

zlib_filefunc64_def MemoryFunctions(MemoryFile* file) {
  zlib_filefunc64_def functions{};
  functions.zopen64_file = OpenMemory;
  functions.zread_file = ReadMemory;
  functions.zwrite_file = WriteMemory;
  functions.ztell64_file = TellMemory;
  functions.zseek64_file = SeekMemory;
  functions.zclose_file = CloseMemory;
  functions.zerror_file = ErrorMemory;
  functions.opaque = file;
  return functions;
}

}  // namespace

struct ZipReader::Impl {
  MemoryFile file;
  unzFile zip = nullptr;
  struct Member {
    unz64_file_pos position;
    uint64_t packed;
    uint64_t unpacked;
  };
  std::unordered_map<std::string, Member> members;
};

ZipReader::ZipReader(std::string_view bytes, std::string_view filePath, ZipLimits limits)
    : impl_(std::make_unique<Impl>()), fileName_(FileNameOf(filePath)), limits_(limits) {
  impl_->file.data = bytes.data();
  impl_->file.size = bytes.size();
  zlib_filefunc64_def functions = MemoryFunctions(&impl_->file);
  impl_->zip = unzOpen2_64("", &functions);
  if (impl_->zip == nullptr) {
    error_ = text::FormatText(text::kZipBroken, fileName_, "kein Zip-Verzeichnis");
    return;
  }
  for (int step = unzGoToFirstFile(impl_->zip); step == UNZ_OK;
       step = unzGoToNextFile(impl_->zip)) {
    unz_file_info64 info{};
    char name[1024];
    if (unzGetCurrentFileInfo64(impl_->zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) !=
            UNZ_OK ||
        names_.size() >= limits_.maxMembers) {
      error_ = text::FormatText(text::kZipBroken, fileName_, "Verzeichnis");
      break;
    }
    Impl::Member member{};
    unzGetFilePos64(impl_->zip, &member.position);
    member.packed = info.compressed_size;
    member.unpacked = info.uncompressed_size;
    if (impl_->members.emplace(name, member).second) names_.emplace_back(name);
  }
  if (!error_.empty()) names_.clear();
}

ZipReader::~ZipReader() {
  if (impl_->zip != nullptr) unzClose(impl_->zip);
}

bool ZipReader::Has(std::string_view name) const {
  return impl_->members.count(std::string(name)) != 0;
}

bool ZipReader::Plausible(std::string_view name) {
  const auto found = impl_->members.find(std::string(name));
  if (impl_->zip == nullptr || found == impl_->members.end()) {
    error_ = text::FormatText(text::kZipMemberMissing, fileName_, name);
    return false;
  }
  const Impl::Member& member = found->second;
  const bool tooLarge =
      member.unpacked > limits_.maxMemberBytes ||
      member.unpacked > limits_.maxTotalBytes - std::min(totalRead_, limits_.maxTotalBytes) ||
      (member.unpacked > (1u << 20) &&
       member.unpacked / std::max<uint64_t>(member.packed, 1) > limits_.maxRatio);
  if (tooLarge) {
    error_ = text::FormatText(text::kZipTooLarge, fileName_, name);
    return false;
  }
  return true;
}

bool ZipReader::Read(std::string_view name, std::string& out) {
  out.clear();
  if (!Plausible(name)) return false;
  const Impl::Member& member = impl_->members.find(std::string(name))->second;
  unz64_file_pos position = member.position;
  if (unzGoToFilePos64(impl_->zip, &position) != UNZ_OK ||
      unzOpenCurrentFile(impl_->zip) != UNZ_OK) {
    error_ = text::FormatText(text::kZipBroken, fileName_, name);
    return false;
  }
  out.resize(static_cast<size_t>(member.unpacked));
  uint64_t done = 0;
  int count = 0;
  char probe = 0;
  while (done < member.unpacked) {
    const auto chunk = static_cast<unsigned>(std::min<uint64_t>(member.unpacked - done, 1u << 20));
    count = unzReadCurrentFile(impl_->zip, out.data() + done, chunk);
    if (count <= 0) break;
    done += static_cast<uint64_t>(count);
  }
  // One byte more than declared means the directory lied about the size.
  const bool longer = count >= 0 && unzReadCurrentFile(impl_->zip, &probe, 1) > 0;
  const int closed = unzCloseCurrentFile(impl_->zip);  // checks the CRC
  totalRead_ += done;
  if (longer) {
    error_ = text::FormatText(text::kZipTooLarge, fileName_, name);
  } else if (count < 0 || done != member.unpacked || closed != UNZ_OK) {
    error_ = text::FormatText(text::kZipBroken, fileName_, name);
  } else {
    return true;
  }
  out.clear();
  return false;
}

struct ZipWriter::Impl {
  std::string bytes;
  MemoryFile file;
  zipFile zip = nullptr;
  bool ok = true;
};

ZipWriter::ZipWriter() : impl_(std::make_unique<Impl>()) {
  impl_->file.out = &impl_->bytes;
  zlib_filefunc64_def functions = MemoryFunctions(&impl_->file);
  impl_->zip = zipOpen2_64("", APPEND_STATUS_CREATE, nullptr, &functions);
  impl_->ok = impl_->zip != nullptr;
}

ZipWriter::~ZipWriter() {
  if (impl_->zip != nullptr) zipClose(impl_->zip, nullptr);
}

void ZipWriter::Reserve(uint64_t bytes) {
  if (bytes > impl_->bytes.capacity() && bytes < impl_->bytes.max_size()) {
    impl_->bytes.reserve(static_cast<size_t>(bytes));
  }
}

bool ZipWriter::Add(std::string_view name, std::string_view bytes, bool compress) {
  if (!impl_->ok) return false;
  zip_fileinfo info{};
  info.tmz_date.tm_mday = 1;  // 1 January 1980: day 0 is no date, and unzip tools say so
  const std::string memberName(name);
  const int large = bytes.size() >= 0xFFFFFFFFull ? 1 : 0;
  bool ok = zipOpenNewFileInZip64(impl_->zip, memberName.c_str(), &info, nullptr, 0, nullptr, 0,
                                  nullptr, compress ? Z_DEFLATED : 0,
                                  compress ? Z_DEFAULT_COMPRESSION : 0, large) == ZIP_OK;
  size_t pos = 0;
  while (ok && pos < bytes.size()) {
    const auto chunk = static_cast<unsigned>(std::min<size_t>(bytes.size() - pos, 1u << 30));
    ok = zipWriteInFileInZip(impl_->zip, bytes.data() + pos, chunk) == ZIP_OK;
    pos += chunk;
  }
  ok = zipCloseFileInZip(impl_->zip) == ZIP_OK && ok;
  impl_->ok = ok;
  return ok;
}

std::string ZipWriter::Finish() {
  if (impl_->zip == nullptr) return {};
  const bool closed = zipClose(impl_->zip, nullptr) == ZIP_OK;
  impl_->zip = nullptr;
  if (!closed || !impl_->ok) return {};
  return std::move(impl_->bytes);
}

}  // namespace zelluo::collection
