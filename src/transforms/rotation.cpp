#include <cmath>
#include <cstring>
#include <numbers>

#include "transforms/deformations.h"
#include "transforms/trig_tables.h"

namespace zel {

namespace {

void CopyPixel(uint8_t* to, const uint8_t* from, int bits) {
  if (bits == 8) {
    *to = *from;
  } else {
    std::memcpy(to, from, 3);
  }
}

}  // namespace

PackedDib Rotate(const PackedDib& picture, double turn, const Fill& fill) {
  const auto layout = MappableLayoutOf(picture);
  if (!layout) return {};
  PackedDib out = DuplicateBlock(picture);
  if (!out) return out;
  const int32_t w = layout->width;
  const int32_t h = layout->height;
  const size_t stride = layout->stride;
  const double theta = turn * std::numbers::pi;
  const int32_t cx = w / 2;
  const int32_t cy = h / 2;
  // With r = |(dx, dy)| and phi = atan2(dx, dy) + theta, sin(phi) r and cos(phi) r are
  // dx cos(theta) + dy sin(theta) and dy cos(theta) - dx sin(theta): the same point
  // without a square root and three trigonometric calls per pixel.
  const double cosTheta = std::cos(theta);
  const double sinTheta = std::sin(theta);
  const uint8_t* src = picture.Pixels();
  uint8_t* dst = out.Pixels();
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* row = dst + static_cast<size_t>(y) * stride;
    const double dy = y - cy;
    for (int32_t x = 0; x < w; ++x) {
      const double dx = x - cx;
      const double s = dx * cosTheta + dy * sinTheta;
      const double c = dy * cosTheta - dx * sinTheta;
      if (layout->bits == 24) {
        SampleBilinear(src, row + 3 * static_cast<size_t>(x), s + cx, c + cy, w, h, stride,
                       &fill.color);
        continue;
      }
      const int64_t sx = TruncateCoordinate(s) + cx;
      const int64_t sy = TruncateCoordinate(c) + cy;
      if (sx >= 0 && sx < w && sy >= 0 && sy < h) {
        row[x] = src[static_cast<size_t>(sy) * stride + static_cast<size_t>(sx)];
      } else {
        row[x] = fill.Index();
      }
    }
  }
  return out;
}

PackedDib RotatePreview(const PackedDib& picture, double turn, const Fill& fill) {
  const auto layout = MappableLayoutOf(picture);
  if (!layout) return {};
  PackedDib out = DuplicateBlock(picture);
  if (!out) return out;
  const int bits = layout->bits;
  const size_t bytes = static_cast<size_t>(bits / 8);
  const int32_t w = layout->width;
  const int32_t h = layout->height;
  const size_t stride = layout->stride;
  const int64_t scaled = TruncateCoordinate(turn * 2048);
  const int32_t theta = static_cast<int32_t>(scaled % 4096);
  const uint8_t* src = picture.Pixels();
  uint8_t* dst = out.Pixels();
  auto at = [&](uint8_t* base, int64_t x, int64_t y) {
    return base + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * bytes;
  };
  for (int32_t y = 0; y < (h + 1) / 2; ++y) {
    const int32_t dy = y - h / 2;
    for (int32_t x = 0; x < w; ++x) {
      const int32_t dx = x - w / 2;
      const int32_t r = static_cast<int32_t>(
          std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
      const int32_t phi = TableAngle(dx, dy, r) + theta;
      const int64_t sx = ((int64_t{TableSine(phi)} * r) >> 10) + w / 2;
      const int64_t sy = ((int64_t{TableCosine(phi)} * r) >> 10) + h / 2;
      uint8_t* p = at(dst, x, y);
      uint8_t* mirror = at(dst, w - 1 - x, h - 1 - y);
      if (sx >= 0 && sx < w && sy >= 0 && sy < h) {
        CopyPixel(p, at(const_cast<uint8_t*>(src), sx, sy), bits);
        CopyPixel(mirror, at(const_cast<uint8_t*>(src), w - 1 - sx, h - 1 - sy), bits);
      } else {
        fill.PutAt(p, bits);
        fill.PutAt(mirror, bits);
      }
    }
  }
  return out;
}

}  // namespace zel
