// Pictures with see-through pixels a GIF can hold: every pixel either wholly transparent or
// wholly opaque. They become 8-bit pictures with one transparent entry ("TIDX") when their
// opaque pixels use at most 255 colours, else 24-bit pictures with a key colour ("TKEY").
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/packed_dib.h"

namespace zel {

enum class AlphaShape {
  kOpaque,   // every alpha is 255
  kBinary,   // only 0 and 255, at least one 0
  kPartial,  // some alpha strictly between 0 and 255
};

// Rows top-down, `stride` bytes apart, 4 bytes a pixel: blue, green, red, alpha.
AlphaShape ClassifyAlpha(const uint8_t* bgra, size_t stride, int32_t width, int32_t height);

// The picture of such rows with binary alpha: 8-bit with the opaque colours in ascending
// order (blue, green, red as one number) and the transparent entry last, its index in the
// "TIDX" trailer; or, beyond 255 opaque colours, 24-bit with the transparent pixels in a
// colour no opaque pixel has (`preferredKey`, a COLORREF, when it is free) named in the
// "TKEY" trailer. Alpha other than 0 counts as opaque. Null when memory is short or every
// colour is taken.
PackedDib PictureFromBinaryAlpha(const uint8_t* bgra, size_t stride, int32_t width,
                                 int32_t height, uint32_t preferredKey);

// Writes into the 8-bit `picture` (width × height) the index of each pixel's colour in
// `colours` (ascending, as `PixelColour` gives them, holding every opaque colour of the
// rows) and `transparent` for pixels of alpha 0. Runs of one colour are looked up once.
void IndexThroughSortedColours(const uint8_t* bgra, size_t stride, int32_t width,
                               int32_t height, const std::vector<uint32_t>& colours,
                               uint8_t transparent, PackedDib& picture);

}  // namespace zel
