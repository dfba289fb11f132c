// The part of the logical screen a frame's picture covers, shared by the composers.
#pragma once

#include <algorithm>
#include <cstdint>

#include "document/frame_set.h"

namespace zel {

struct FrameArea {
  int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool visible = false;
};

inline FrameArea AreaOfFrame(const FrameSet& frames, int f) {
  const Frame& frame = frames.frame(f);
  FrameArea a;
  if (frame.image) {
    DibHeader h = frame.image.Header();
    a.x0 = std::max(frame.left, 0);
    a.y0 = std::max(frame.top, 0);
    a.x1 = static_cast<int32_t>(
        std::min<int64_t>(static_cast<int64_t>(frame.left) + h.width, frames.screenWidth));
    a.y1 = static_cast<int32_t>(
        std::min<int64_t>(static_cast<int64_t>(frame.top) + h.height, frames.screenHeight));
  }
  a.visible = a.x0 < a.x1 && a.y0 < a.y1;
  return a;
}

}  // namespace zel
