// The pixel mappings behind the deformation tools. Every mapping is an inverse one: each
// output pixel is read from a point of the source. Each exists twice: a fast preview form
// (nearest pixel; integer tables for rotation, symmetry shortcuts for rotation and fisheye)
// and a full-quality form (bilinear for 24-bit pictures, nearest for 8-bit ones).
//
// Inputs are 8- or 24-bit pictures and are never changed; any other picture gives a null
// result. Coordinates are those of the stored rows: x to the right, y = stored row (0 at
// the bottom). Rotation, fisheye and warp keep the size, header and colour table.
#pragma once

#include <cstdint>

#include "document/packed_dib.h"
#include "transforms/sampling.h"

namespace zel {

// New size from 1 up; the header and colour table are copied with the new size.
// Sample point (x * w / W, y * h / H). Fast: nearest. Smooth: bilinear for 24 bits with
// edge clamping, nearest for 8 bits.
PackedDib ResizeFast(const PackedDib& picture, int32_t newWidth, int32_t newHeight);
PackedDib ResizeSmooth(const PackedDib& picture, int32_t newWidth, int32_t newHeight);

// Rotation by `turn` half turns (the tool passes -angle / 180) about (w / 2, h / 2).
PackedDib RotatePreview(const PackedDib& picture, double turn, const Fill& fill);
PackedDib Rotate(const PackedDib& picture, double turn, const Fill& fill);

// Bulge (k > 0) or pinch (k < 0), k clamped to -1..1; the corners stay in place.
PackedDib FisheyePreview(const PackedDib& picture, double strength, const Fill& fill);
PackedDib Fisheye(const PackedDib& picture, double strength, const Fill& fill);

struct PointD {
  double x = 0;
  double y = 0;
};

// Where the whole source lands in the output, in top-down picture coordinates (x to the
// right, y downward; the untouched picture is (0, 0), (w, 0), (0, h), (w, h)).
struct QuadCorners {
  PointD topLeft;
  PointD topRight;
  PointD bottomLeft;
  PointD bottomRight;
};
QuadCorners UntouchedCorners(int32_t width, int32_t height);

PackedDib QuadWarpPreview(const PackedDib& picture, const QuadCorners& corners, const Fill& fill);
PackedDib QuadWarp(const PackedDib& picture, const QuadCorners& corners, const Fill& fill);

}  // namespace zel
