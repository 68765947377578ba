#pragma once
// Zip archives in memory, through minizip. Reading is bounded against
// archives that unpack to far more than they hold: each member's declared
// size, its ratio to the packed size and the running total are checked before
// and while it is unpacked, and a member that unpacks to more than it
// declared is refused. Writing builds the whole archive in memory, so that
// the caller can write it atomically.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zelluo::collection {

struct ZipLimits {
  uint64_t maxMemberBytes = 256ull << 20;    // one unpacked member
  uint64_t maxTotalBytes = 8ull << 30;       // all members read from one archive
  uint64_t maxRatio = 100;                   // unpacked : packed, above 1 MB unpacked
  uint64_t maxMembers = 1'000'000;
};

class ZipReader {
 public:
  // Reads the archive's directory; bytes must outlive the reader. On failure
  // Error() holds a German message naming filePath and Names() is empty.
  ZipReader(std::string_view bytes, std::string_view filePath, ZipLimits limits = {});
  ~ZipReader();
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  const std::string& Error() const { return error_; }
  // The member names as stored ('/' separated), in archive order.
  const std::vector<std::string>& Names() const { return names_; }
  bool Has(std::string_view name) const;
  // Whether the member's declared size is within the limits, before anything
  // is unpacked; false with Error() set when not (or when it is missing).
  bool Plausible(std::string_view name);
  // Unpacks one member into out; false with Error() set when it cannot.
  bool Read(std::string_view name, std::string& out);
  // The same a part at a time, for a member too large to unpack between two
  // events of the window: StartReading, then ReadOn until it is no longer
  // More. Nothing else is read meanwhile.
  enum class Reading { More, Done, Failed };
  bool StartReading(std::string_view name, std::string& out);
  Reading ReadOn(std::string& out, size_t partBytes);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::string fileName_;
  ZipLimits limits_;
  uint64_t totalRead_ = 0;
  std::string reading_;  // the member being unpacked
  uint64_t unpacked_ = 0;
  uint64_t done_ = 0;
  std::vector<std::string> names_;
  std::string error_;
};

// An archive together with its bytes, for readers that hand out members later
// (the covers of a backup, read one at a time while they are taken over).
// Neither copied nor moved: the reader looks at the bytes where they are.
struct OwnedZip {
  OwnedZip(std::string archiveBytes, std::string_view filePath)
      : bytes(std::move(archiveBytes)), reader(bytes, filePath) {}
  OwnedZip(const OwnedZip&) = delete;
  OwnedZip& operator=(const OwnedZip&) = delete;
  const std::string bytes;
  ZipReader reader;
};

class ZipWriter {
 public:
  ZipWriter();
  ~ZipWriter();
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  // Room for an archive of about that many bytes, so that a large one is not
  // copied again and again while it grows.
  void Reserve(uint64_t bytes);
  // Adds a member; compress false stores it as it is (for JPEG pictures).
  bool Add(std::string_view name, std::string_view bytes, bool compress);
  // Closes the archive and gives its bytes; empty when any step failed.
  std::string Finish();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zelluo::collection
