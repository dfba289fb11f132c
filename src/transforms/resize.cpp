#include <cstring>

#include "transforms/deformations.h"

namespace zel {

namespace {

int64_t ClampIndex(int64_t v, int32_t size) {
  return v < 0 ? 0 : v >= size ? size - 1 : v;
}

PackedDib Resize(const PackedDib& picture, int32_t newWidth, int32_t newHeight, bool smooth) {
  const auto layout = MappableLayoutOf(picture);
  if (!layout || newWidth < 1 || newHeight < 1) return {};
  PackedDib out = NewPictureLike(picture, newWidth, newHeight);
  if (!out) return out;

  const int32_t w = layout->width;
  const int32_t hgt = layout->height;
  const double stepX = static_cast<double>(w) / newWidth;
  const double stepY = static_cast<double>(hgt) / newHeight;
  const uint8_t* src = picture.Pixels();
  uint8_t* dst = out.Pixels();
  const size_t outStride = out.Stride();
  for (int32_t y = 0; y < newHeight; ++y) {
    uint8_t* row = dst + static_cast<size_t>(y) * outStride;
    const double sy = y * stepY;
    const int64_t iy = ClampIndex(TruncateCoordinate(sy), hgt);
    const uint8_t* srcRow = src + static_cast<size_t>(iy) * layout->stride;
    for (int32_t x = 0; x < newWidth; ++x) {
      const double sx = x * stepX;
      if (layout->bits == 24 && smooth) {
        SampleBilinear(src, row + 3 * static_cast<size_t>(x), sx, sy, w, hgt, layout->stride,
                       nullptr);
        continue;
      }
      const int64_t ix = ClampIndex(TruncateCoordinate(sx), w);
      if (layout->bits == 8) {
        row[x] = srcRow[ix];
      } else {
        std::memcpy(row + 3 * static_cast<size_t>(x), srcRow + 3 * ix, 3);
      }
    }
  }
  return out;
}

}  // namespace

PackedDib ResizeFast(const PackedDib& picture, int32_t newWidth, int32_t newHeight) {
  return Resize(picture, newWidth, newHeight, false);
}

PackedDib ResizeSmooth(const PackedDib& picture, int32_t newWidth, int32_t newHeight) {
  return Resize(picture, newWidth, newHeight, true);
}

}  // namespace zel
