// Writing the document as a PNG file: a single picture as a plain PNG, an animation as an
// animated PNG (acTL, fcTL and fdAT chunks around the frames, zlib-compressed).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/frame_set.h"
#include "document/packed_dib.h"
#include "imagefiles/picture_pixels.h"
#include "platform/progress.h"

namespace zel {

// A single picture: an 8-bit picture as a palette PNG (its colour table, entries beyond it
// black, `transparentIndex` clear through tRNS), a 24-bit picture as an RGB PNG.
[[nodiscard]] PictureWriteResult BuildPngPicture(const PackedDib& picture,
                                                 int32_t transparentIndex,
                                                 std::vector<uint8_t>& out);

// An animation: every frame of `frames` (one size, 8 or 24 bits), each shown for its delay
// (delay_num/delay_den = hundredths/100), played as PlaysOfLoopCount says. Frames of 8
// bits sharing one colour table make a palette PNG (the frame set's transparent index clear
// through tRNS); others an RGBA PNG (RGB when nothing is clear). The first frame is the
// file's default image; each later frame is stored as the rectangle in which it differs from
// the one before, replacing what is there (dispose none, blend source), so the canvas shows
// exactly each frame in turn. Progress is reported and cancel read once a frame.
[[nodiscard]] PictureWriteResult BuildPngAnimation(const FrameSet& frames,
                                                   ProgressSink* progress,
                                                   std::vector<uint8_t>& out);

// The same written atomically to `path`: on any failure an existing file stays as it was.
[[nodiscard]] PictureWriteResult WritePngPicture(const PackedDib& picture,
                                                 int32_t transparentIndex,
                                                 const std::string& path);
[[nodiscard]] PictureWriteResult WritePngAnimation(const FrameSet& frames,
                                                   const std::string& path,
                                                   ProgressSink* progress);

}  // namespace zel
