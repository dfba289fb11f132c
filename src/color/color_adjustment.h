// Colour adjustment: gain, contrast and a red-green balance of every pixel (24-bit
// pictures) or of every colour-table entry (8-bit pictures), with an optional turn to gray;
// and the one-slider gamma form that drives the same arithmetic from a table.
#pragma once

#include <cstdint>
#include <optional>

#include "document/packed_dib.h"

namespace zel {

// Each value from -15 to 15; 0 leaves the picture as it is.
struct ColorAdjustment {
  int gain = 0;      // a
  int contrast = 0;  // q
  int balance = 0;   // b
  bool gray = false;
  friend bool operator==(const ColorAdjustment&, const ColorAdjustment&) = default;
};

// The factors in sixteenths: base gain g, red gain, green gain (blue takes g), contrast k.
struct AdjustmentFactors {
  int gain, red, green, contrast;
};
AdjustmentFactors FactorsOf(const ColorAdjustment& adjustment);

// The adjustment of the gamma slider's position s (-15..15, clamped): gain s, contrast and
// balance from the gamma table, no gray.
ColorAdjustment GammaAdjustment(int s);

// A new adjusted picture: 24-bit pixel by pixel, 8-bit entry by entry with the pixels
// kept. In an 8-bit picture the entry `transparentIndex` (when inside the table) shows
// `background` afterwards. Null for other depths or when memory is short.
PackedDib AdjustColors(const PackedDib& picture, const ColorAdjustment& adjustment,
                       int32_t transparentIndex, Rgbq background);

}  // namespace zel
