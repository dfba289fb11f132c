#include "color/color_adjustment.h"

#include <algorithm>

namespace zel {

namespace {

struct GammaRow {
  int contrast, balance;
};

// Rows for s = -15 .. 15.
constexpr GammaRow kGammaTable[31] = {
    {4, -5}, {4, -5}, {3, -4}, {3, -4}, {3, -4}, {3, -3}, {2, -3}, {2, -3},
    {2, -2}, {2, -2}, {1, -2}, {1, -1}, {1, -1}, {1, -1}, {0, 0},  {0, 0},
    {0, 0},  {-1, 1}, {-1, 1}, {-1, 1}, {-1, 2}, {-2, 2}, {-2, 2}, {-2, 3},
    {-2, 3}, {-3, 3}, {-3, 4}, {-3, 4}, {-3, 4}, {-4, 5}, {-4, 5},
};

int Clamp255(int v) {
  return v < 0 ? 0 : v > 255 ? 255 : v;
}

bool WholeDepth(const PackedDib& p, int bits) {
  return p && IsWholePicture(p) && p.Header().bitCount == bits;
}

}  // namespace

AdjustmentFactors FactorsOf(const ColorAdjustment& adjustment) {
  const int g = std::clamp(adjustment.gain + 15, 0, 30) + 1;
  const int b = adjustment.balance;
  return {g, b < 0 ? g - b : g, b > 0 ? g + b : g, std::clamp(adjustment.contrast + 16, 1, 31)};
}

ColorAdjustment GammaAdjustment(int s) {
  s = std::clamp(s, -15, 15);
  const GammaRow row = kGammaTable[s + 15];
  return {s, row.contrast, row.balance, false};
}

PackedDib AdjustColors(const PackedDib& picture, const ColorAdjustment& adjustment,
                       int32_t transparentIndex, Rgbq background) {
  const AdjustmentFactors f = FactorsOf(adjustment);
  if (WholeDepth(picture, 24)) {
    PackedDib out = DuplicateBlock(picture);
    if (!out) return out;
    const DibHeader h = out.Header();
    const size_t stride = out.Stride();
    for (int32_t y = 0; y < h.height; ++y) {
      uint8_t* p = out.Pixels() + static_cast<size_t>(y) * stride;
      for (int32_t x = 0; x < h.width; ++x, p += 3) {
        int c[3] = {(p[0] * f.gain) >> 4, (p[1] * f.green) >> 4, (p[2] * f.red) >> 4};
        for (int& v : c) {
          if (f.contrast != 16) v = (((v - 128) * f.contrast) >> 4) + 128;
          v = Clamp255(v);
        }
        if (adjustment.gray) {
          const int gray = (c[0] + (c[2] + 1) * 3 + (c[1] + 1) * 6) / 10;
          c[0] = c[1] = c[2] = gray;
        }
        p[0] = static_cast<uint8_t>(c[0]);
        p[1] = static_cast<uint8_t>(c[1]);
        p[2] = static_cast<uint8_t>(c[2]);
      }
    }
    return out;
  }
  if (!WholeDepth(picture, 8)) return {};
  PackedDib out = DuplicateBlock(picture);
  if (!out) return out;
  const uint32_t count = std::min<uint32_t>(out.ColorCount(), 256);
  Rgbq* table = out.ColorTable();
  for (uint32_t i = 0; i < count; ++i) {
    Rgbq& e = table[i];
    int c[3] = {std::min((e.blue * f.gain) >> 4, 255), std::min((e.green * f.green) / 16, 255),
                std::min((e.red * f.red) / 16, 255)};
    if (adjustment.contrast != 0) {
      for (int& v : c) v = Clamp255((v - 128) * f.contrast / 16 + 128);
    }
    if (adjustment.gray) {
      const int gray = std::min((c[0] + 3 * c[2] + 6 * c[1] + 9) / 10, 255);
      c[0] = c[1] = c[2] = gray;
    }
    e.blue = static_cast<uint8_t>(c[0]);
    e.green = static_cast<uint8_t>(c[1]);
    e.red = static_cast<uint8_t>(c[2]);
  }
  if (transparentIndex >= 0 && static_cast<uint32_t>(transparentIndex) < count) {
    table[transparentIndex] = {background.blue, background.green, background.red, 0};
  }
  return out;
}

}  // namespace zel
