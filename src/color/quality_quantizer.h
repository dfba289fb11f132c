// The high-quality colour reduction: libimagequant builds the palette and maps the pixels,
// for one picture or for several frames that share one palette.
//
// Only the palette builder and the mapper differ from ConvertToIndexColor; the rest of the
// conversion keeps its meaning: the colour count of the choice, 255 colours when 256 leave no
// entry for the transparent colour, at least 16 colours with error diffusion, no error
// diffusion when the choice says so, the transparent corner with its clean-up, and the extra
// transparent entry when no corner is chosen.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "color/index_color.h"
#include "document/packed_dib.h"

namespace zel {

// Strength of libimagequant's error diffusion when diffusion is chosen (0 when it is not).
// Half strength keeps gradients free of bands with less grain than full strength, so the
// result stays closer to the source pixel by pixel.
inline constexpr float kQualityDitherLevel = 0.5f;

// The number of colours the palette builder is asked for (2..256): the colour-count choice,
// 255 for 256 without a transparent corner, and at least 16 with error diffusion.
int QualityColorCount(const ColorChoices& choices);

// Reduces `current` (24-bit) with the choices and places `transparentColor` (COLORREF
// 0x00BBGGRR). Nullopt on failure; `current` is never changed.
std::optional<IndexConversion> QualityConvertToIndexColor(const PackedDib& current,
                                                          const ColorChoices& choices,
                                                          uint32_t transparentColor);

// Several frames reduced to one palette: every picture has the same colour table and the
// frames share one transparent index.
struct IndexedFrames {
  std::vector<PackedDib> pictures;
  int32_t transparentIndex = -1;
};

// Reduces 24-bit `frames` to one palette built from all of them. A pixel whose source colour
// equals the source pixel at the same place in the frame before (of the same size) keeps that
// frame's index, so still areas do not shimmer; only what changed is diffused. The transparent
// corner is read in the first frame, and its colour is made transparent in every frame.
// `colorLimit` (2..256), when given, replaces the colour count of the choices.
// Nullopt on failure (no frame, a frame not 24-bit, memory short).
std::optional<IndexedFrames> QualityConvertFrames(const std::vector<PackedDib>& frames,
                                                  const ColorChoices& choices,
                                                  uint32_t transparentColor, int colorLimit = 0);

// A palette for frames that share one: libimagequant's choice of at most `colors` (2..256)
// entries from a histogram of the 24-bit pictures' colours. `thorough` searches as the
// high-quality reduction does; otherwise at libimagequant's fastest. Nullopt on failure.
std::optional<std::vector<Rgbq>> QualitySharedPalette(const std::vector<const PackedDib*>& pictures,
                                                      int colors, bool thorough);

// A 24-bit picture mapped onto `palette`, whose entries stay as they are, with error
// diffusion when `diffuse` (`thorough`: libimagequant's speed 6, else its fastest). An 8-bit picture with the palette as its table, or null.
// The same picture and palette always give the same result, on any thread.
PackedDib QualityMapOntoPalette(const PackedDib& picture, const std::vector<Rgbq>& palette,
                                bool diffuse, bool thorough);

// Moves every entry of the table the `reduced` frames share to the mean of the source
// colours of its pixels over all frames (`sources[i]` is the 24-bit picture `reduced[i]`
// was mapped from), so that the error against the sources can only fall.
void MoveSharedEntriesToMeans(const std::vector<const PackedDib*>& sources,
                              std::vector<PackedDib>& reduced);

}  // namespace zel
