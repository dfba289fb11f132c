#include "imagefiles/binary_alpha.h"

#include <algorithm>
#include <new>
#include <optional>
#include <vector>

#include "document/colour_key.h"

namespace zel {
namespace {

// One bit for each of the 2^24 colours (2 MiB).
class ColourSet {
 public:
  bool Allocate() {
    try {
      bits_.assign(size_t{1} << 18, 0);
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  }
  // True when the colour was not in the set yet.
  bool Insert(uint32_t colour) {
    uint64_t& word = bits_[colour >> 6];
    const uint64_t bit = uint64_t{1} << (colour & 63);
    if ((word & bit) != 0) return false;
    word |= bit;
    return true;
  }
  bool Contains(uint32_t colour) const { return (bits_[colour >> 6] >> (colour & 63) & 1) != 0; }
  // The first colour not in the set, if any.
  std::optional<uint32_t> FirstFree() const {
    for (size_t i = 0; i < bits_.size(); ++i) {
      if (bits_[i] == ~uint64_t{0}) continue;
      for (uint32_t b = 0; b < 64; ++b) {
        if ((bits_[i] >> b & 1) == 0) return static_cast<uint32_t>(i * 64 + b);
      }
    }
    return std::nullopt;
  }

 private:
  std::vector<uint64_t> bits_;
};

Rgbq EntryOf(uint32_t colour) {
  return Rgbq{static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
              static_cast<uint8_t>(colour), 0};
}

}  // namespace

AlphaShape ClassifyAlpha(const uint8_t* bgra, size_t stride, int32_t width, int32_t height) {
  bool transparent = false;
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = bgra + stride * static_cast<size_t>(y);
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t alpha = row[4 * x + 3];
      if (alpha == 0) {
        transparent = true;
      } else if (alpha != 255) {
        return AlphaShape::kPartial;
      }
    }
  }
  return transparent ? AlphaShape::kBinary : AlphaShape::kOpaque;
}

void IndexThroughSortedColours(const uint8_t* bgra, size_t stride, int32_t width,
                               int32_t height, const std::vector<uint32_t>& colours,
                               uint8_t transparent, PackedDib& picture) {
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* in = bgra + stride * static_cast<size_t>(y);
    uint8_t* out = picture.Row(y);
    uint32_t lastColour = 0;
    uint8_t lastIndex = 0;
    bool haveLast = false;
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* p = in + 4 * x;
      if (p[3] == 0) {
        out[x] = transparent;
        continue;
      }
      const uint32_t colour = PixelColour(p);
      if (!haveLast || colour != lastColour) {
        lastColour = colour;
        lastIndex = static_cast<uint8_t>(
            std::lower_bound(colours.begin(), colours.end(), colour) - colours.begin());
        haveLast = true;
      }
      out[x] = lastIndex;
    }
  }
}

PackedDib PictureFromBinaryAlpha(const uint8_t* bgra, size_t stride, int32_t width,
                                 int32_t height, uint32_t preferredKey) {
  if (bgra == nullptr || width < 1 || height < 1) return {};
  ColourSet seen;
  if (!seen.Allocate()) return {};
  std::vector<uint32_t> opaque;
  opaque.reserve(256);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = bgra + stride * static_cast<size_t>(y);
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* p = row + 4 * x;
      if (p[3] == 0) continue;
      const uint32_t colour = PixelColour(p);
      if (seen.Insert(colour) && opaque.size() < 256) opaque.push_back(colour);
    }
  }

  if (opaque.size() <= 255) {
    std::sort(opaque.begin(), opaque.end());
    const uint32_t transparent = static_cast<uint32_t>(opaque.size());
    Rgbq table[256] = {};
    for (uint32_t i = 0; i < transparent; ++i) table[i] = EntryOf(opaque[i]);
    table[transparent] = EntryOf(preferredKey);
    PackedDib picture = NewPicture(width, height, 8, transparent + 1, table);
    if (!picture) return {};
    IndexThroughSortedColours(bgra, stride, width, height, opaque,
                              static_cast<uint8_t>(transparent), picture);
    WriteTransparencyTrailer(picture, static_cast<int32_t>(transparent));
    return picture;
  }

  uint32_t key = preferredKey & 0xFFFFFFu;
  if (seen.Contains(key)) {
    std::optional<uint32_t> free = seen.FirstFree();
    if (!free) return {};
    key = *free;
  }
  PackedDib picture = NewPicture(width, height, 24, 0);
  if (!picture) return {};
  const uint8_t keyBlue = static_cast<uint8_t>(key >> 16);
  const uint8_t keyGreen = static_cast<uint8_t>(key >> 8);
  const uint8_t keyRed = static_cast<uint8_t>(key);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* in = bgra + stride * static_cast<size_t>(y);
    uint8_t* out = picture.Row(y);
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* p = in + 4 * x;
      uint8_t* q = out + 3 * x;
      if (p[3] == 0) {
        q[0] = keyBlue;
        q[1] = keyGreen;
        q[2] = keyRed;
      } else {
        q[0] = p[0];
        q[1] = p[1];
        q[2] = p[2];
      }
    }
  }
  WriteColourKey(picture, key);
  return picture;
}

}  // namespace zel
