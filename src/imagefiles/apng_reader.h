// Reading animated PNG files (acTL, fcTL and fdAT chunks) as animations.
#pragma once

#include <cstddef>
#include <cstdint>

#include "document/frame_set.h"

namespace zel {

// The codes match the PNG reader's (PngReadResult), so that both give the same messages.
enum class ApngReadResult : int {
  kOk = 0,
  // No acTL chunk before the image data (or before a fault in the chunks), or the only frame
  // kept is the default image: the file is read as the still picture it also is
  // (ReadPngData).
  kNotAnimated = 1,
  // Not a PNG file, cut off, a bad chunk checksum or length, chunks of the animation out of
  // their sequence or order, a frame outside the canvas, damaged frame data, or a frame
  // claiming far more pixel bytes than its compressed data can hold.
  kCannotRead = -1,
  kNoMemory = -6,
  // The canvas times the frames kept needs more memory than the budget
  // (PictureMemoryBudget) allows; found before anything is decoded.
  kTooLarge = -7,
};

// Decodes an animated PNG into `frames` (an empty set with room for `maxFrames`): every frame
// is composed on the canvas (dispose none, background or previous; blend source or over),
// and the frames become canvas-sized 8-bit pictures in one shared palette as those of an
// animated WebP file do, alpha 0 transparent, partial alpha mixed with white. A default image
// not part of the animation is not shown. Delays are delay_num/delay_den seconds (delay_den 0
// meaning 100) in hundredths, rounded so that the running total stays true; the count of
// plays becomes the loop count as for WebP (LoopCountOfPlays). The whole chunk sequence is
// checked before anything is decoded; only the first `maxFrames` frames are decoded, and
// `framesInFile` receives the file's count. On any failure `frames` stays empty.
[[nodiscard]] ApngReadResult ReadApngData(const uint8_t* data, size_t size, FrameSet& frames,
                                          int maxFrames, int* framesInFile = nullptr);

}  // namespace zel
