#include "document/frame_set.h"

#include <new>
#include <utility>

namespace zel {

int ClampFrameMax(int setting) {
  if (setting < kFrameMaxLowest) return kFrameMaxDefault;
  if (setting > kFrameMaxHighest) return kFrameMaxHighest;
  return setting;
}

FrameSet::FrameSet(int capacity)
    : capacity_(capacity < 0 ? 0 : capacity), frames_(static_cast<size_t>(capacity_) + 1) {}

std::unique_ptr<FrameSet> FrameSet::Create(int capacity) {
  try {
    return std::make_unique<FrameSet>(capacity);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void FrameSet::FreeFrames() {
  for (int i = 0; i < count; ++i) frames_[static_cast<size_t>(i)].image.Reset();
  count = 0;
}

void FrameSet::Clear() {
  for (Frame& f : frames_) f = Frame{};
  screenWidth = screenHeight = transparentIndex = count = loop = paletteCount = 0;
  loopCount = kLoopForever;
  palette.fill(Rgbq{});
}

void FrameSet::TakeFrom(FrameSet& source) {
  FreeFrames();
  int n = source.count;
  if (n > capacity_) n = capacity_;
  screenWidth = source.screenWidth;
  screenHeight = source.screenHeight;
  transparentIndex = source.transparentIndex;
  loop = source.loop;
  loopCount = source.loopCount;
  palette = source.palette;
  paletteCount = source.paletteCount;
  for (int i = 0; i < n; ++i) frames_[static_cast<size_t>(i)] = std::move(source.frame(i));
  count = n;
}

}  // namespace zel
