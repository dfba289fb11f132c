// The one-step geometric operations on one picture: crop, square margin, quarter turns and
// mirrors. Each takes its input by reference, leaves it as it was and gives a new picture,
// or null when the picture does not qualify or memory is short.
#pragma once

#include <cstdint>

#include "document/packed_dib.h"

namespace zel {

// The rectangle (x1, y1)-(x2, y2) in top-down picture coordinates, right and bottom edges
// exclusive. Reversed corners are swapped, the rectangle is cut to the picture; an empty
// result, or a depth other than 8 and 24, gives null.
PackedDib CropImage(const PackedDib& picture, int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// The side of the square canvas of a margin: the truncated diagonal.
int64_t MarginSide(int32_t width, int32_t height);

// The picture centred on a square canvas as wide as its diagonal, so that a later rotation
// loses no corner. 8 or 24 bits, width and height at least 8. The canvas is
// `transparentColor` (24 bits) or the index `transparentIndex` (8 bits). An 8-bit picture
// without a transparent index (negative) gets one more table entry holding the colour,
// and `transparentIndex` becomes its index; a full table then gives null. An index beyond
// the picture's table grows the table up to it.
PackedDib AddMargin(const PackedDib& picture, Rgbq transparentColor, int32_t& transparentIndex);

// Counterclockwise and clockwise quarter turns of 1-, 4-, 8-, 16-, 24- and 32-bit pictures.
PackedDib TurnLeft90(const PackedDib& picture);
PackedDib TurnRight90(const PackedDib& picture);

// Left-right and top-bottom mirrors of 8- and 24-bit pictures.
PackedDib MirrorHorizontal(const PackedDib& picture);
PackedDib MirrorVertical(const PackedDib& picture);

}  // namespace zel
