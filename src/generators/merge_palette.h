// The palette of two merged pictures: the base palette, then the overlay colours that no
// base colour is close enough to, with a tolerance that grows until they fit 256 entries.
#pragma once

#include <array>
#include <cstdint>

#include "document/packed_dib.h"

namespace zel {

inline constexpr int kMergeToleranceMax = 16;

struct MergedPalette {
  std::array<Rgbq, 256> palette{};
  int32_t count = 0;
  // For each overlay entry: its index in the merged palette, or -1 (the overlay's
  // transparent entry, never drawn).
  std::array<int16_t, 256> map{};
  int tolerance = 0;  // the tolerance that made it fit
};

// |Δblue| + |Δgreen| + |Δred|.
int ColorDistance(const Rgbq& a, const Rgbq& b);

// Merges for tolerance 0, 1, ... 16: each overlay entry maps to the nearest merged entry
// (the first on ties) when it is at most the tolerance away, else it is appended. The
// base's transparent entry is never a match, so no overlay colour turns see-through. False
// when even tolerance 16 needs more than 256 entries.
bool MergePalettes(const Rgbq* base, int32_t baseCount, int32_t baseTransparent,
                   const Rgbq* overlay, int32_t overlayCount, int32_t overlayTransparent,
                   MergedPalette* out);

}  // namespace zel
