// Bounds-checked access to the bytes of a GIF file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "document/packed_dib.h"

namespace zel {

constexpr uint8_t kGifExtensionIntroducer = 0x21;
constexpr uint8_t kGifImageSeparator = 0x2C;
constexpr uint8_t kGifTrailer = 0x3B;
constexpr uint8_t kGifGraphicControlLabel = 0xF9;

// Reads past the end give 0, as the zero slack behind a loaded file does.
class GifBytes {
 public:
  GifBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  uint8_t At(size_t pos) const { return pos < size_ ? data_[pos] : 0; }
  uint16_t Le16(size_t pos) const { return static_cast<uint16_t>(At(pos) | (At(pos + 1) << 8)); }
  bool Matches(size_t pos, const uint8_t* bytes, size_t n) const {
    return pos <= size_ && n <= size_ - pos && std::memcmp(data_ + pos, bytes, n) == 0;
  }
  // Reads `count` colour-table entries (R, G, B) at `pos` as (blue, green, red, 0).
  void ReadPalette(size_t pos, uint32_t count, Rgbq* out) const {
    for (uint32_t i = 0; i < count; ++i) {
      out[i] = Rgbq{At(pos + 3 * i + 2), At(pos + 3 * i + 1), At(pos + 3 * i), 0};
    }
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

// Skips sub-blocks from `*pos` (the first size byte) past their zero terminator; false
// when they run to the end of the data.
inline bool SkipSubBlocks(const GifBytes& gif, size_t* pos) {
  size_t p = *pos;
  while (true) {
    if (p >= gif.size()) return false;
    uint8_t n = gif.At(p);
    if (n == 0) break;
    p += static_cast<size_t>(n) + 1;
  }
  *pos = p + 1;
  return true;
}

}  // namespace zel
