#pragma once
// The decoded pictures of the program, each filed under its image number.

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "platform/platform.h"

namespace zelluo {

class ImageTable {
 public:
  // Decodes the blob (see DecodeImage) and files the picture under number.
  // A picture already filed under the number is dropped first, so a blob
  // that fails to decode leaves the number empty. Returns whether it decoded.
  bool Register(int32_t number, const uint8_t* data, size_t available);

  // The picture under number, or null. The pointer stays valid until the
  // number is registered again or the table is cleared.
  const PixelImage* Find(int32_t number) const;

  void Clear();

  // The filed numbers in the order they were (last) registered.
  const std::vector<int32_t>& Numbers() const { return order_; }

 private:
  std::map<int32_t, PixelImage> images_;
  std::vector<int32_t> order_;
};

}  // namespace zelluo
