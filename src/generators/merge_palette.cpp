#include "generators/merge_palette.h"

#include <algorithm>
#include <cstdlib>

namespace zel {

int ColorDistance(const Rgbq& a, const Rgbq& b) {
  return std::abs(a.blue - b.blue) + std::abs(a.green - b.green) + std::abs(a.red - b.red);
}

bool MergePalettes(const Rgbq* base, int32_t baseCount, int32_t baseTransparent,
                   const Rgbq* overlay, int32_t overlayCount, int32_t overlayTransparent,
                   MergedPalette* out) {
  if (out == nullptr || baseCount < 0 || baseCount > 256 || overlayCount < 0 ||
      overlayCount > 256) {
    return false;
  }
  for (int t = 0; t <= kMergeToleranceMax; ++t) {
    out->palette.fill(Rgbq{});
    std::copy_n(base, baseCount, out->palette.begin());
    out->count = baseCount;
    out->map.fill(-1);
    bool fits = true;
    for (int32_t i = 0; i < overlayCount && fits; ++i) {
      int best = -1;
      int bestDistance = 0;
      for (int32_t j = 0; j < out->count; ++j) {
        if (j == baseTransparent) continue;
        const int d = ColorDistance(out->palette[static_cast<size_t>(j)], overlay[i]);
        if (best < 0 || d < bestDistance) {
          best = j;
          bestDistance = d;
        }
      }
      if (best >= 0 && bestDistance <= t) {
        out->map[static_cast<size_t>(i)] = static_cast<int16_t>(best);
      } else if (out->count < 256) {
        out->palette[static_cast<size_t>(out->count)] = overlay[i];
        out->palette[static_cast<size_t>(out->count)].reserved = 0;
        out->map[static_cast<size_t>(i)] = static_cast<int16_t>(out->count++);
      } else {
        fits = false;
      }
    }
    if (!fits) continue;
    if (overlayTransparent >= 0 && overlayTransparent < overlayCount) {
      out->map[static_cast<size_t>(overlayTransparent)] = -1;
    }
    out->tolerance = t;
    return true;
  }
  return false;
}

}  // namespace zel
