// Reading WebP files, still and animated, through libwebp's animation decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "document/frame_set.h"

namespace zel {

enum class WebpReadResult : int {
  kOk = 0,
  // Cannot open or read the file, not a WebP file, cut off, or damaged anywhere (libwebp
  // refused its chunks or the data of a frame).
  kCannotRead = -1,
  kNoMemory = -6,
  // The canvas, or the canvas times the frames kept, needs more memory than the budget
  // (PictureMemoryBudget) allows; found from the headers, before anything is decoded.
  kTooLarge = -7,
};

// The first twelve bytes of every WebP file: "RIFF", a size, "WEBP".
[[nodiscard]] bool HasWebpSignature(const uint8_t* data, size_t size);

// Decodes a WebP file into `frames` (an empty set with room for `maxFrames`):
// - a still picture (or the first frame alone) comes in as a PNG file with the same pixels
//   does: opaque, a 24-bit picture; alpha of only 0 and 255, an 8-bit picture with a "TIDX"
//   transparent entry (or a 24-bit one with a "TKEY" colour beyond 255 colours); any
//   partial alpha, every pixel mixed with white, 24-bit;
// - an animation gives its frames as composed on the canvas, each a canvas-sized 8-bit
//   picture in one shared palette: the exact colours when all frames together show at most
//   256 (255 and the transparent entry), else a palette built by libimagequant from all
//   frames, where a pixel unchanged from the frame before keeps its index. A pixel of
//   alpha 0 is transparent (the set's and every frame's transparentIndex, the last entry),
//   partial alpha is mixed with white;
// - delays are the frames' milliseconds in hundredths, rounded so that the running total
//   stays true; the loop count follows the GIF convention (WebP's count of plays 0 is
//   kLoopForever, 1 kPlayOnce, n the n - 1 repetitions of the looping extension).
// Only the first `maxFrames` frames are decoded; `framesInFile` receives the file's count.
// On failure `frames` stays empty.
[[nodiscard]] WebpReadResult ReadWebpData(const uint8_t* data, size_t size, FrameSet& frames,
                                          int maxFrames, int* framesInFile = nullptr);
[[nodiscard]] WebpReadResult ReadWebpFile(const std::string& path, FrameSet& frames, int maxFrames,
                                          int* framesInFile = nullptr);

}  // namespace zel
