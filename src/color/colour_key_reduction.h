// Colour reduction of a 24-bit picture whose transparent pixels carry its key colour
// ("TKEY"): the key pixels become the reduction's transparent index.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "color/index_color.h"

namespace zel {

// A keyed picture split for a reduction: a copy without the trailer whose key pixels carry
// the colour of the pixel before them (stored rows, left to right), so that neither the
// palette nor the error diffusion sees the key, and which pixels they were (stored-row
// order, one byte a pixel).
struct KeyedPicture {
  PackedDib filled;
  std::vector<uint8_t> mask;
};
// Nothing when the picture has no key or no pixel has it; nothing also when memory is short
// (`failed` tells which).
std::optional<KeyedPicture> SeparateColourKey(const PackedDib& picture, bool* failed = nullptr);

// Gives every masked pixel of the 8-bit `reduced` the index `index`.
void MarkKeyPixels(PackedDib& reduced, const std::vector<uint8_t>& mask, int32_t index);

using PictureReduction =
    std::function<std::optional<IndexConversion>(const PackedDib&, const ColorChoices&)>;

// Runs `reduce` on `current`; when `current` has key pixels, on its filled copy, and the key
// pixels then take the transparent index (the transparent entry is placed when the reduction
// gave none). A corner choice whose corner is a key pixel counts as no corner. Nothing is
// returned when `current` has no key pixels: the caller reduces as usual.
std::optional<std::optional<IndexConversion>> ReduceKeyedPicture(const PackedDib& current,
                                                                 const ColorChoices& choices,
                                                                 uint32_t transparentColor,
                                                                 const PictureReduction& reduce);

}  // namespace zel
