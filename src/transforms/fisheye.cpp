#include <algorithm>
#include <cmath>
#include <cstring>

#include "transforms/deformations.h"

namespace zel {

namespace {

// (R - d) (1 - k) / R + d / R: 1 - k at the centre, 1 at distance R. Written as
// 1 - k (R - d) / R so that strength 0 gives exactly 1 and reproduces the picture; R = 0
// gives a point that is not a number, which the callers fill.
double FisheyeFactor(double k, double radius, double d) {
  return 1 - k * ((radius - d) / radius);
}

}  // namespace

PackedDib Fisheye(const PackedDib& picture, double strength, const Fill& fill) {
  const auto layout = MappableLayoutOf(picture);
  if (!layout || std::isnan(strength)) return {};
  PackedDib out = DuplicateBlock(picture);
  if (!out) return out;
  const double k = std::clamp(strength, -1.0, 1.0);
  const int32_t w = layout->width;
  const int32_t h = layout->height;
  const size_t stride = layout->stride;
  const int32_t cx = w / 2;
  const int32_t cy = h / 2;
  const double radius = std::sqrt(static_cast<double>(cx) * cx + static_cast<double>(cy) * cy);
  const uint8_t* src = picture.Pixels();
  uint8_t* dst = out.Pixels();
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* row = dst + static_cast<size_t>(y) * stride;
    const double dy = y - cy;
    for (int32_t x = 0; x < w; ++x) {
      const double dx = x - cx;
      const double d = std::sqrt(dx * dx + dy * dy);
      const double f = FisheyeFactor(k, radius, d);
      if (layout->bits == 24) {
        SampleBilinear(src, row + 3 * static_cast<size_t>(x), dx * f + cx, dy * f + cy, w, h,
                       stride, &fill.color);
        continue;
      }
      const int64_t sx = TruncateCoordinate(dx * f) + cx;
      const int64_t sy = TruncateCoordinate(dy * f) + cy;
      if (sx >= 0 && sx < w && sy >= 0 && sy < h) {
        row[x] = src[static_cast<size_t>(sy) * stride + static_cast<size_t>(sx)];
      } else {
        row[x] = fill.Index();
      }
    }
  }
  return out;
}

PackedDib FisheyePreview(const PackedDib& picture, double strength, const Fill& fill) {
  const auto layout = MappableLayoutOf(picture);
  if (!layout || std::isnan(strength)) return {};
  PackedDib out = DuplicateBlock(picture);
  if (!out) return out;
  const double k = std::clamp(strength, -1.0, 1.0);
  const int bits = layout->bits;
  const size_t bytes = static_cast<size_t>(bits / 8);
  const int32_t w = layout->width;
  const int32_t h = layout->height;
  const size_t stride = layout->stride;
  const int32_t cx = (w - 1) / 2;
  const int32_t cy = (h - 1) / 2;
  const double radius = std::sqrt(static_cast<double>(cx) * cx + static_cast<double>(cy) * cy);
  const uint8_t* src = picture.Pixels();
  uint8_t* dst = out.Pixels();
  auto out_at = [&](int64_t x, int64_t y) {
    return dst + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * bytes;
  };
  auto src_at = [&](int64_t x, int64_t y) {
    return src + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * bytes;
  };
  for (int32_t y = 0; y <= cy; ++y) {
    const double dy = y - cy;
    for (int32_t x = 0; x <= cx; ++x) {
      const double dx = x - cx;
      const double d = std::sqrt(dx * dx + dy * dy);
      const double f = FisheyeFactor(k, radius, d);
      const int64_t sx = TruncateCoordinate(dx * f) + cx;
      const int64_t sy = TruncateCoordinate(dy * f) + cy;
      uint8_t* targets[4] = {out_at(x, y), out_at(w - 1 - x, y), out_at(x, h - 1 - y),
                             out_at(w - 1 - x, h - 1 - y)};
      if (sx >= 0 && sx < w && sy >= 0 && sy < h) {
        const uint8_t* sources[4] = {src_at(sx, sy), src_at(w - 1 - sx, sy), src_at(sx, h - 1 - sy),
                                     src_at(w - 1 - sx, h - 1 - sy)};
        for (int i = 0; i < 4; ++i) std::memcpy(targets[i], sources[i], bytes);
      } else {
        for (uint8_t* t : targets) fill.PutAt(t, bits);
      }
    }
  }
  return out;
}

}  // namespace zel
