#include "document/colour_key.h"

#include <cstring>

namespace zel {
namespace {

constexpr char kKeyTag[4] = {'T', 'K', 'E', 'Y'};

// Where the trailer of a 24-bit picture lies: right behind the rows, wholly inside the
// block; 0 when there is no room or the picture is not a plain 24-bit one.
size_t KeyOffset(const PackedDib& picture) {
  if (!picture || picture.size() < kDibHeaderSize) return 0;
  const DibHeader h = picture.Header();
  if (h.size != kDibHeaderSize || h.bitCount != 24 || h.compression != 0 || h.width <= 0 ||
      h.height <= 0 || h.sizeImage == 0) {
    return 0;
  }
  const size_t rows = picture.Stride() * static_cast<size_t>(h.height);
  if (h.sizeImage < rows) return 0;
  const size_t offset = picture.PixelOffset() + h.sizeImage;
  if (offset < picture.PixelOffset() || offset + 8 > picture.size()) return 0;
  return offset;
}

}  // namespace

std::optional<uint32_t> ReadColourKey(const PackedDib& picture) {
  const size_t offset = KeyOffset(picture);
  if (offset == 0 || std::memcmp(picture.data() + offset, kKeyTag, 4) != 0) return std::nullopt;
  return ReadLe32(picture.data() + offset + 4) & 0xFFFFFFu;
}

bool WriteColourKey(PackedDib& picture, uint32_t key) {
  const size_t offset = KeyOffset(picture);
  if (offset == 0) return false;
  std::memcpy(picture.data() + offset, kKeyTag, 4);
  WriteLe32(picture.data() + offset + 4, key & 0xFFFFFFu);
  return true;
}

void ClearColourKey(PackedDib& picture) {
  const size_t offset = KeyOffset(picture);
  if (offset != 0 && std::memcmp(picture.data() + offset, kKeyTag, 4) == 0) {
    std::memset(picture.data() + offset, 0, 8);
  }
}

bool MoveColourKey(PackedDib& picture, uint32_t colour) {
  colour &= 0xFFFFFFu;
  const std::optional<uint32_t> key = ReadColourKey(picture);
  if (!key || *key == colour) return false;
  const DibHeader h = picture.Header();
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* row = picture.Row(y);
    for (int32_t x = 0; x < h.width; ++x) {
      if (PixelColour(row + 3 * x) == colour) return false;
    }
  }
  const uint8_t blue = static_cast<uint8_t>(colour >> 16);
  const uint8_t green = static_cast<uint8_t>(colour >> 8);
  const uint8_t red = static_cast<uint8_t>(colour);
  for (int32_t y = 0; y < h.height; ++y) {
    uint8_t* row = picture.Row(y);
    for (int32_t x = 0; x < h.width; ++x) {
      uint8_t* p = row + 3 * x;
      if (PixelColour(p) != *key) continue;
      p[0] = blue;
      p[1] = green;
      p[2] = red;
    }
  }
  WriteColourKey(picture, colour);
  return true;
}

}  // namespace zel
