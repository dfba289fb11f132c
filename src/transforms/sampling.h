// What every pixel mapping shares: the check that a picture can be mapped, the fill for
// uncovered areas, truncation that refuses points which are not finite, and the bilinear
// sample of full-colour pictures with 9-bit fractions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "document/packed_dib.h"

namespace zel {

// What the mappings write where the source point lies outside the picture: `color` in
// full-colour pictures, `transparentIndex` in 8-bit ones (index 0 when it is negative).
struct Fill {
  Rgbq color{0xC0, 0xC0, 0xC0, 0};
  int32_t transparentIndex = -1;
  uint8_t Index() const {
    return transparentIndex < 0 || transparentIndex > 255 ? 0
                                                          : static_cast<uint8_t>(transparentIndex);
  }
  // Writes the fill to one pixel of a picture of `bits` (8 or 24) bits.
  void PutAt(uint8_t* p, int bits) const {
    if (bits == 8) {
      *p = Index();
    } else {
      p[0] = color.blue;
      p[1] = color.green;
      p[2] = color.red;
    }
  }
};

// The fill colour made from a COLORREF-style background colour 0x00BBGGRR.
Rgbq ColorFromBackground(uint32_t backgroundColor);

// The layout of an uncompressed 8- or 24-bit picture whose rows all lie inside its block;
// nullopt for anything else.
struct MappableLayout {
  int bits = 0;
  int32_t width = 0;
  int32_t height = 0;
  size_t stride = 0;
};
std::optional<MappableLayout> MappableLayoutOf(const PackedDib& picture);
// The same check for any uncompressed depth of 1, 4, 8, 16, 24 or 32 bits.
std::optional<MappableLayout> AnyDepthLayoutOf(const PackedDib& picture);

// A zero-filled picture of a new size with `source`'s header fields (resolution, bit
// count) and colour table; the image size is recomputed. Null when memory is short.
PackedDib NewPictureLike(const PackedDib& source, int32_t width, int32_t height);

// Truncation toward zero of a sample coordinate. Points that are not a number, or so far
// away that no picture reaches them, come back as +-kFarAway, outside every picture.
constexpr int64_t kFarAway = int64_t{1} << 40;
int64_t TruncateCoordinate(double v);

// Bilinear sample of a 24-bit picture at (x, y) in stored-row coordinates: 9-bit
// fractions inside, the pixel itself on the last column and row, `fill` outside, or the
// nearest edge pixel when no fill is given. Writes three bytes to `out`.
void SampleBilinear(const uint8_t* pixels, uint8_t* out, double x, double y, int32_t width,
                    int32_t height, size_t stride, const Rgbq* fill);

}  // namespace zel
