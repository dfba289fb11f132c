#include "generators/effect_warp.h"

#include <cmath>
#include <cstring>
#include <numbers>

#include "transforms/deformations.h"

namespace zel {

namespace {

// Nearest integer, a fraction of exactly one half going down (so -0.5 < v <= 0 gives 0);
// kFarAway for points that are not finite or lie far outside.
int64_t RoundHalfDown(double v) {
  return TruncateCoordinate(std::ceil(v - 0.5));
}

PackedDib FilledLike(const PackedDib& picture, const Fill& fill) {
  const auto layout = MappableLayoutOf(picture);
  if (!layout) return {};
  PackedDib out = DuplicateBlock(picture);
  if (!out) return out;
  const size_t bytes = static_cast<size_t>(layout->bits / 8);
  for (int32_t y = 0; y < layout->height; ++y) {
    uint8_t* row = out.Pixels() + static_cast<size_t>(y) * layout->stride;
    for (int32_t x = 0; x < layout->width; ++x) fill.PutAt(row + x * bytes, layout->bits);
  }
  return out;
}

}  // namespace

uint8_t SwirlFillIndex(const PackedDib& picture, const Fill& fill) {
  if (fill.transparentIndex >= 0) return fill.Index();
  // Without a transparent index the swirl fills with the index's low 8 bits, 255, when the
  // table has that entry; a smaller table gets entry 0, as the other warps fill.
  return picture.ColorCount() > 255 ? 255 : 0;
}

PackedDib Swirl(const PackedDib& picture, double turn, const Fill& fill) {
  const auto layout = MappableLayoutOf(picture);
  if (!layout || layout->bits != 8) return {};
  PackedDib out = DuplicateBlock(picture);
  if (!out) return out;
  const int32_t w = layout->width;
  const int32_t h = layout->height;
  const size_t stride = layout->stride;
  const int32_t cx = w / 2;
  const int32_t cy = h / 2;
  const double radius = std::sqrt(static_cast<double>(cx) * cx + static_cast<double>(cy) * cy);
  const double theta = turn * std::numbers::pi;
  const uint8_t* src = picture.Pixels();
  const uint8_t outside = SwirlFillIndex(picture, fill);
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* row = out.Pixels() + static_cast<size_t>(y) * stride;
    const double dy = y - cy;
    for (int32_t x = 0; x < w; ++x) {
      const double dx = x - cx;
      const double d = std::sqrt(dx * dx + dy * dy);
      // A one-pixel picture has radius 0: its only pixel stays where it is.
      const double fade = radius > 0 ? 1 - d / radius : 1;
      const double phi = std::atan2(dx, dy) + fade * theta;
      const int64_t sx = RoundHalfDown(std::sin(phi) * d + cx);
      const int64_t sy = RoundHalfDown(std::cos(phi) * d + cy);
      if (sx >= 0 && sx < w && sy >= 0 && sy < h) {
        row[x] = src[static_cast<size_t>(sy) * stride + static_cast<size_t>(sx)];
      } else {
        row[x] = outside;
      }
    }
  }
  return out;
}

PackedDib ShrinkToRect(const PackedDib& picture, double scale, int32_t width, int32_t height,
                       const Fill& fill) {
  if (!MappableLayoutOf(picture)) return {};
  if (!std::isfinite(scale)) return FilledLike(picture, fill);
  // A scale below 0 makes a rectangle whose corners have changed places: the four-corner
  // warp then puts the picture in upside down and mirrored (turned half round), as small
  // as the scale says. A scale of 0 makes a rectangle of no area, which the warp fills.
  const int64_t w = TruncateCoordinate(width * scale);
  const int64_t h = TruncateCoordinate(height * scale);
  const int64_t x0 = (width - w) / 2;
  const int64_t y0 = (height - h) / 2;
  const double left = static_cast<double>(x0), top = static_cast<double>(y0);
  const double right = static_cast<double>(x0 + w), bottom = static_cast<double>(y0 + h);
  QuadCorners corners;
  corners.topLeft = {left, top};
  corners.topRight = {right, top};
  corners.bottomLeft = {left, bottom};
  corners.bottomRight = {right, bottom};
  return QuadWarp(picture, corners, fill);
}

PackedDib ApplyFrameStep(const PackedDib& picture, const FrameStep& step, int32_t rectWidth,
                         int32_t rectHeight, const Fill& fill) {
  switch (step.warp) {
    case WarpKind::kNone:
      return DuplicateBlock(picture);
    case WarpKind::kRotate:
      return Rotate(picture, step.value, fill);
    case WarpKind::kSwirl:
      return Swirl(picture, step.value, fill);
    case WarpKind::kRadial:
      return Fisheye(picture, step.value, fill);
    case WarpKind::kRect:
      return ShrinkToRect(picture, step.value, rectWidth, rectHeight, fill);
  }
  return {};
}

}  // namespace zel
