// Animations whose frames are composed on a canvas of full colour (WebP, animated PNG) become
// documents: canvas-sized 8-bit frames in one shared palette.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "document/frame_set.h"

namespace zel {

enum class ComposedResult : int {
  kOk = 0,
  kCannotRead,  // the file's frames could not be decoded
  kNoMemory,
};

// The frames of an animation as composed on its canvas, decoded again from the start each
// time they are asked for.
class ComposedFrames {
 public:
  virtual ~ComposedFrames() = default;
  // Hands the first `frames` frames in turn to `take`: canvas pixels of blue, green, red,
  // alpha, rows top-down, every alpha 0 or 255 (partial alpha mixed with white, SettleAlpha).
  // The pixels are the source's own copy, which `take` may change. `take` returning false
  // stops with kNoMemory.
  using Take = std::function<bool(int index, uint8_t* bgra)>;
  [[nodiscard]] virtual ComposedResult Run(int frames, const Take& take) = 0;
};

// Mixes one pixel of partial alpha with white and makes it opaque.
void MixWithWhite(uint8_t* bgra);
// Every pixel of partial alpha mixed with white: alpha ends 0 or 255.
void SettleAlpha(uint8_t* bgra, size_t pixels);

// The loop count of a file's count of plays: 0 plays (for ever) is kLoopForever, 1 kPlayOnce,
// n the n - 1 repetitions of the looping extension.
[[nodiscard]] int32_t LoopCountOfPlays(uint32_t plays);

// Hundredths for a frame ending at `endMs` after one ending at `previousMs`, rounded so that
// the sum of the delays up to any frame is its end time rounded.
[[nodiscard]] int32_t HundredthsBetween(int64_t previousMs, int64_t endMs);

// Whether `kept` canvas-sized pictures of `pictureBits` bits plus `workBytesPerPixel` bytes a
// canvas pixel of working memory fit in the memory budget (PictureMemoryBudget).
[[nodiscard]] bool ComposedFramesFit(int32_t width, int32_t height, int kept, int pictureBits,
                                     uint64_t workBytesPerPixel);

// Fills `frames` (empty, with room for `kept`) with the first `kept` frames of `source` on a
// `width` x `height` canvas, each a canvas-sized 8-bit picture in one shared palette: the
// exact colours when all frames together show at most 256 (255 and the transparent entry),
// else a palette built by libimagequant from all frames, where a pixel unchanged from the
// frame before keeps its index. A pixel of alpha 0 is transparent (the set's and every
// frame's transparentIndex). Delays and looping are left to the caller. On failure the
// frames made so far stay in `frames` for the caller to clear.
[[nodiscard]] ComposedResult PaletteFramesFromComposed(ComposedFrames& source, int32_t width,
                                                       int32_t height, int kept,
                                                       FrameSet& frames);

}  // namespace zel
