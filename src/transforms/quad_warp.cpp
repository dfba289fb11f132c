#include <cmath>
#include <cstring>
#include <numbers>

#include "transforms/deformations.h"

namespace zel {

namespace {

constexpr double kPi = std::numbers::pi;

// The edge angles, slopes and meeting points of one warp, computed once per call. The
// vertical position comes from the pencil of lines through the bottom and top edges, the
// horizontal one from the pencil through the left and right edges; parallel edges take a
// linear form instead.
class WarpMapping {
 public:
  WarpMapping(const QuadCorners& q, int32_t w, int32_t h) {
    // Bottom-up y of each corner.
    const PointD bl{q.bottomLeft.x, h - q.bottomLeft.y};
    const PointD br{q.bottomRight.x, h - q.bottomRight.y};
    const PointD tl{q.topLeft.x, h - q.topLeft.y};
    const PointD tr{q.topRight.x, h - q.topRight.y};

    thetaB_ = std::atan2(br.x - bl.x, bl.y - br.y);
    thetaT_ = std::atan2(tr.x - tl.x, tl.y - tr.y);
    parallelV_ = thetaB_ == thetaT_;
    if (parallelV_) {
      m_ = -std::tan(kPi / 2 - thetaB_);
      cB_ = bl.y - bl.x * m_;
      const double cT = tl.y - tl.x * m_;
      vScale_ = (cT - cB_) / h;
    } else {
      const double mB = -std::tan(kPi / 2 - thetaB_);
      const double mT = -std::tan(kPi / 2 - thetaT_);
      const double cB = bl.y - bl.x * mB;
      const double cT = tl.y - tl.x * mT;
      xV_ = (cT - cB) / (mB - mT);
      yV_ = bl.y + (xV_ - bl.x) * mB;
      vScale_ = (thetaB_ - thetaT_) / h;
    }

    thetaL_ = Normalize(std::atan2(tl.x - bl.x, bl.y - tl.y));
    const double thetaR = Normalize(std::atan2(tr.x - br.x, br.y - tr.y));
    parallelU_ = thetaL_ == thetaR;
    if (parallelU_) {
      n_ = std::tan(kPi - thetaL_);
      dL_ = bl.x - bl.y * n_;
      const double dR = br.x - br.y * n_;
      uScale_ = (dR - dL_) / w;
    } else {
      const double nL = std::tan(kPi - thetaL_);
      const double nR = std::tan(kPi - thetaR);
      const double dL = bl.x - bl.y * nL;
      const double dR = br.x - br.y * nR;
      yW_ = (dR - dL) / (nL - nR);
      xW_ = bl.x + (yW_ - bl.y) * nL;
      uScale_ = (thetaL_ - thetaR) / w;
    }
  }

  // Source point of output pixel (c, r), r the stored row.
  PointD SourceOf(int32_t c, int32_t r) const {
    PointD s;
    if (parallelV_) {
      s.y = (r - (c * m_ + cB_)) / vScale_;
    } else {
      double alpha = std::atan2(xV_ - c, r - yV_);
      if (alpha < 0) alpha += kPi;
      s.y = (thetaB_ - alpha) / vScale_;
    }
    if (parallelU_) {
      s.x = (c - (r * n_ + dL_)) / uScale_;
    } else {
      const double beta = Normalize(std::atan2(xW_ - c, r - yW_));
      s.x = (thetaL_ - beta) / uScale_;
    }
    return s;
  }

 private:
  static double Normalize(double a) {
    if (a < -kPi / 2) return a + 2 * kPi;
    if (a < kPi / 2) return a + kPi;
    return a;
  }

  double thetaB_ = 0, thetaT_ = 0, thetaL_ = 0;
  bool parallelV_ = false, parallelU_ = false;
  double m_ = 0, cB_ = 0, vScale_ = 1, xV_ = 0, yV_ = 0;
  double n_ = 0, dL_ = 0, uScale_ = 1, xW_ = 0, yW_ = 0;
};

PackedDib Warp(const PackedDib& picture, const QuadCorners& corners, const Fill& fill,
               bool smooth) {
  const auto layout = MappableLayoutOf(picture);
  if (!layout) return {};
  PackedDib out = DuplicateBlock(picture);
  if (!out) return out;
  const int32_t w = layout->width;
  const int32_t h = layout->height;
  const size_t stride = layout->stride;
  const size_t bytes = static_cast<size_t>(layout->bits / 8);
  const WarpMapping mapping(corners, w, h);
  const uint8_t* src = picture.Pixels();
  uint8_t* dst = out.Pixels();
  for (int32_t r = 0; r < h; ++r) {
    uint8_t* row = dst + static_cast<size_t>(r) * stride;
    for (int32_t c = 0; c < w; ++c) {
      const PointD s = mapping.SourceOf(c, r);
      uint8_t* p = row + static_cast<size_t>(c) * bytes;
      if (smooth && bytes == 3) {
        SampleBilinear(src, p, s.x, s.y, w, h, stride, &fill.color);
        continue;
      }
      const int64_t sx = TruncateCoordinate(s.x);
      const int64_t sy = TruncateCoordinate(s.y);
      if (sx >= 0 && sx < w && sy >= 0 && sy < h) {
        std::memcpy(p, src + static_cast<size_t>(sy) * stride + static_cast<size_t>(sx) * bytes,
                    bytes);
      } else {
        fill.PutAt(p, layout->bits);
      }
    }
  }
  return out;
}

}  // namespace

QuadCorners UntouchedCorners(int32_t width, int32_t height) {
  return {{0, 0},
          {static_cast<double>(width), 0},
          {0, static_cast<double>(height)},
          {static_cast<double>(width), static_cast<double>(height)}};
}

PackedDib QuadWarpPreview(const PackedDib& picture, const QuadCorners& corners, const Fill& fill) {
  return Warp(picture, corners, fill, false);
}

PackedDib QuadWarp(const PackedDib& picture, const QuadCorners& corners, const Fill& fill) {
  return Warp(picture, corners, fill, true);
}

}  // namespace zel
