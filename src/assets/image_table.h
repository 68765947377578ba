#pragma once
// The decoded pictures of the program, each filed under its image number.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

#include "assets/embedded_assets.h"
#include "platform/platform.h"

namespace zelluo {

class ImageTable {
 public:
  // Decodes the blob (see DecodeImage) and files the picture under number.
  // A picture already filed under the number is dropped first, so a blob
  // that fails to decode leaves the number empty. Returns whether it decoded.
  bool Register(int32_t number, const uint8_t* data, size_t available);

  // Register for each blob in turn, with the same result, but the blobs are
  // decoded side by side on the machine's cores first.
  void RegisterAll(std::span<const EmbeddedAsset> blobs);

  // The picture under number, or null. The pointer stays valid until the
  // number is registered again or the table is cleared.
  const PixelImage* Find(int32_t number) const;

  // Hands the picture under number over, leaving the number empty; none when
  // nothing is filed under it.
  std::optional<PixelImage> Take(int32_t number);

  void Clear();

  // The filed numbers in the order they were (last) registered.
  const std::vector<int32_t>& Numbers() const { return order_; }

 private:
  // Files a decoded picture (or, for none, leaves the number empty).
  bool File(int32_t number, std::optional<PixelImage> image);

  std::map<int32_t, PixelImage> images_;
  std::vector<int32_t> order_;
};

}  // namespace zelluo
