#include "transforms/sampling.h"

#include <cmath>

namespace zel {

Rgbq ColorFromBackground(uint32_t backgroundColor) {
  return {static_cast<uint8_t>((backgroundColor >> 16) & 0xFF),
          static_cast<uint8_t>((backgroundColor >> 8) & 0xFF),
          static_cast<uint8_t>(backgroundColor & 0xFF), 0};
}

namespace {

std::optional<MappableLayout> LayoutOf(const PackedDib& picture, bool anyDepth) {
  if (!picture || picture.size() < kDibHeaderSize) return std::nullopt;
  const DibHeader h = picture.Header();
  if (h.size != kDibHeaderSize || h.compression != 0) return std::nullopt;
  const int b = h.bitCount;
  const bool mapped = b == 8 || b == 24;
  const bool other = b == 1 || b == 4 || b == 16 || b == 32;
  if (!mapped && !(anyDepth && other)) return std::nullopt;
  if (h.width <= 0 || h.height <= 0) return std::nullopt;
  const uint32_t colors = picture.ColorCount();
  if (colors > 256) return std::nullopt;
  const size_t stride = RowStride(h.bitCount, h.width);
  const uint64_t need = uint64_t{kDibHeaderSize} + 4ull * colors +
                        static_cast<uint64_t>(stride) * static_cast<uint64_t>(h.height);
  if (stride == 0 || need > picture.size()) return std::nullopt;
  return MappableLayout{h.bitCount, h.width, h.height, stride};
}

}  // namespace

std::optional<MappableLayout> MappableLayoutOf(const PackedDib& picture) {
  return LayoutOf(picture, false);
}

std::optional<MappableLayout> AnyDepthLayoutOf(const PackedDib& picture) {
  return LayoutOf(picture, true);
}

PackedDib NewPictureLike(const PackedDib& source, int32_t width, int32_t height) {
  const DibHeader sh = source.Header();
  const uint32_t colors = source.ColorCount();
  PackedDib out =
      NewPicture(width, height, sh.bitCount, colors, colors > 0 ? source.ColorTable() : nullptr);
  if (!out) return out;
  DibHeader h = sh;
  const DibHeader made = out.Header();
  h.width = made.width;
  h.height = made.height;
  h.sizeImage = made.sizeImage;
  h.clrUsed = colors;
  out.SetHeader(h);
  return out;
}

int64_t TruncateCoordinate(double v) {
  if (std::isnan(v) || v >= static_cast<double>(kFarAway)) return kFarAway;
  if (v <= -static_cast<double>(kFarAway)) return -kFarAway;
  return static_cast<int64_t>(v);
}

void SampleBilinear(const uint8_t* pixels, uint8_t* out, double x, double y, int32_t width,
                    int32_t height, size_t stride, const Rgbq* fill) {
  const int64_t ix = TruncateCoordinate(x);
  const int64_t iy = TruncateCoordinate(y);
  if (x >= 0 && y >= 0 && ix + 1 < width && iy + 1 < height) {
    const int fx = static_cast<int>((x - static_cast<double>(ix)) * 512);
    const int fy = static_cast<int>((y - static_cast<double>(iy)) * 512);
    const uint8_t* p = pixels + static_cast<size_t>(iy) * stride + static_cast<size_t>(ix) * 3;
    const uint8_t* s = p + stride;
    for (int c = 0; c < 3; ++c) {
      const int a = (p[c] + (((p[c + 3] - p[c]) * fx) >> 9)) & 255;
      const int b = (s[c] + (((s[c + 3] - s[c]) * fx) >> 9)) & 255;
      out[c] = static_cast<uint8_t>(a + (((b - a) * fy) >> 9));
    }
    return;
  }
  int64_t cx = ix;
  int64_t cy = iy;
  if (!(cx >= 0 && cx < width && cy >= 0 && cy < height)) {
    if (fill != nullptr) {
      out[0] = fill->blue;
      out[1] = fill->green;
      out[2] = fill->red;
      return;
    }
    if (std::isnan(x)) cx = 0;
    if (std::isnan(y)) cy = 0;
    cx = cx < 0 ? 0 : cx >= width ? width - 1 : cx;
    cy = cy < 0 ? 0 : cy >= height ? height - 1 : cy;
  }
  const uint8_t* p = pixels + static_cast<size_t>(cy) * stride + static_cast<size_t>(cx) * 3;
  out[0] = p[0];
  out[1] = p[1];
  out[2] = p[2];
}

}  // namespace zel
