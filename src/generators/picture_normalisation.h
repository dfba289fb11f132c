// A picture brought to full colour and reduced to fit a square: the size it gets, which of
// its columns and rows are kept (an even spread, no averaging), and the 24-bit result.
#pragma once

#include <cstdint>
#include <vector>

#include "document/packed_dib.h"

namespace zel {

inline constexpr int kSideMin = 16;
inline constexpr int kSideMax = 1280;

struct PictureExtent {
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const PictureExtent&, const PictureExtent&) = default;
};

// The size a `width` x `height` picture gets for the side `side`: unchanged when both fit,
// else both divided by max(width / side, height / side), truncated, and at least 1.
PictureExtent NormalisedExtent(int32_t width, int32_t height, int side);

// The source indexes kept when `from` columns (or rows) become `to` (1 <= to <= from):
// an error term starting at trunc(to / 2) picks an evenly spread subset.
std::vector<int32_t> KeptIndexes(int32_t from, int32_t to);

// The picture as a 24-bit picture fitting the side. Accepts 1-, 4-, 8-, 16-, 24- and 32-bit
// uncompressed pictures (palette pictures through their table; 16 bits as 5-5-5). A 24-bit
// picture that already fits comes back as it is (moved, no copy). Null when the picture is
// damaged (rows missing, a pixel beyond its table, an unknown depth) or memory is short;
// `picture` is then left as it was.
PackedDib NormalisePicture(PackedDib&& picture, int side);

}  // namespace zel
