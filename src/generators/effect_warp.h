// The warps of the effects: rotation, the fisheye bulge, the centred shrinking rectangle,
// and the swirl, which turns the centre of a picture and leaves its corners in place.
#pragma once

#include <cstdint>

#include "document/packed_dib.h"
#include "generators/effect_schedule.h"
#include "transforms/sampling.h"

namespace zel {

// The swirl of an 8-bit picture by `turn` half turns at the centre, fading to nothing at
// the corners (nearest pixel; points outside the picture, or not finite, get
// SwirlFillIndex). Any other depth gives a null result.
PackedDib Swirl(const PackedDib& picture, double turn, const Fill& fill);
// What the swirl writes outside the picture: the transparent index; without one (below 0),
// its low 8 bits, index 255, where the picture's table has 256 entries, else index 0.
uint8_t SwirlFillIndex(const PackedDib& picture, const Fill& fill);

// The picture shrunk to the centred rectangle of `scale` times `width` x `height` (the
// document's picture size, which a frame of another size is measured by), through the
// four-corner warp. Below 0 the rectangle's corners change places and the picture comes
// out turned half round; a rectangle of no width or height, or a scale that is not
// finite, gives a picture of the fill only.
PackedDib ShrinkToRect(const PackedDib& picture, double scale, int32_t width, int32_t height,
                       const Fill& fill);

// One frame of an effect: a copy for kNone, else the warp with the step's value. Null when
// the warp cannot handle the picture or memory is short.
PackedDib ApplyFrameStep(const PackedDib& picture, const FrameStep& step, int32_t rectWidth,
                         int32_t rectHeight, const Fill& fill);

}  // namespace zel
