// The document's pictures as straight 8-bit RGBA, top row first: what the WebP and PNG
// writers start from, and the checks and results both writers share.
#pragma once

#include <cstdint>
#include <vector>

#include "document/frame_set.h"
#include "document/packed_dib.h"

namespace zel {

// What a WebP or PNG writer came to.
enum class PictureWriteResult {
  kOk,
  kCannotWrite,     // the file could not be made or written; an existing one is untouched
  kBadPicture,      // no picture or frame, a block too short for its header, a depth other
                    // than 8 or 24 bits, or a compressed or multi-plane picture
  kFramesDiffer,    // an animation's frames differ in width or height
  kTooLarge,        // larger than the format holds (WebP: 16383 x 16383)
  kNoMemory,        // memory ran out, in the program or the encoder
  kEncoderFailed,   // the encoder refused the picture for another reason
  kCancelled,       // the progress sink cancelled the write
};

// An 8- or 24-bit picture's layout, checked against its block.
struct PictureLayout {
  int bits = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint32_t colors = 0;  // colour-table entries (0 for 24 bits)
};
// kOk with `layout` filled, or kBadPicture.
[[nodiscard]] PictureWriteResult CheckPictureLayout(const PackedDib& picture,
                                                    PictureLayout* layout);

// The picture as width x height x 4 bytes (red, green, blue, alpha), top row first. An 8-bit
// pixel takes its colour-table entry (black beyond the table) and alpha 0 when it is
// `transparentIndex`, else 255; 24-bit pixels are opaque. `out` is resized. The picture
// must have passed CheckPictureLayout. Throws std::bad_alloc.
void PictureToRgba(const PackedDib& picture, const PictureLayout& layout,
                   int32_t transparentIndex, std::vector<uint8_t>& out);

// The layout of every frame of an animation (frames 0..count-1), checked to be of one size:
// kOk, kBadPicture (no frames, a frame unusable) or kFramesDiffer.
[[nodiscard]] PictureWriteResult CheckAnimationFrames(const FrameSet& frames,
                                                      std::vector<PictureLayout>* layouts);

// The loop count as "plays": how many times a viewer shows the animation, 0 for ever. A
// GIF's looping count n repeats the animation n times after the first showing (n + 1
// plays); without the extension it plays once. Capped at 65535.
[[nodiscard]] uint32_t PlaysOfLoopCount(int32_t loopCount);

}  // namespace zel
