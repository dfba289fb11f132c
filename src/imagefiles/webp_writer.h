// Writing the document as a WebP file through libwebp: an animation through its animation
// encoder, a single picture as a still WebP.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/frame_set.h"
#include "document/packed_dib.h"
#include "imagefiles/picture_pixels.h"
#include "platform/progress.h"

namespace zel {

// The largest width and height a WebP file holds.
inline constexpr int32_t kWebpMaxSide = 16383;

struct WebpOptions {
  bool lossy = false;  // lossless unless set
  int quality = 75;    // 0..100, for lossy files (clamped)
};

// An animation: every frame of `frames` (one size, 8 or 24 bits) in order, each shown for
// its delay (hundredths become milliseconds), played as the loop count says
// (PlaysOfLoopCount), pixels of the frame set's transparent index clear. The encoder
// stores each frame as the rectangle that changed; frames that show exactly what the frame
// before them showed become part of that frame, its time lengthened by theirs. Progress is
// reported and cancel read once a frame.
[[nodiscard]] PictureWriteResult BuildWebpAnimation(const FrameSet& frames,
                                                    const WebpOptions& options,
                                                    ProgressSink* progress,
                                                    std::vector<uint8_t>& out);
// A single picture as a still WebP; pixels of `transparentIndex` (8 bits) clear.
[[nodiscard]] PictureWriteResult BuildWebpPicture(const PackedDib& picture,
                                                  int32_t transparentIndex,
                                                  const WebpOptions& options,
                                                  std::vector<uint8_t>& out);

// The same written atomically to `path`: on any failure an existing file stays as it was.
[[nodiscard]] PictureWriteResult WriteWebpAnimation(const FrameSet& frames,
                                                    const std::string& path,
                                                    const WebpOptions& options,
                                                    ProgressSink* progress);
[[nodiscard]] PictureWriteResult WriteWebpPicture(const PackedDib& picture,
                                                  int32_t transparentIndex,
                                                  const std::string& path,
                                                  const WebpOptions& options);

}  // namespace zel
