// The animation container: the logical screen, the shared palette and the frame records.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "document/packed_dib.h"

namespace zel {

struct Frame {
  PackedDib image;  // null for an empty slot
  int32_t left = 0;
  int32_t top = 0;
  int32_t delay = 0;        // hundredths of a second
  int32_t delayOffset = 0;  // file position of the delay field, as read
  int32_t transparentIndex = 0;
  // (packed >> 3) & 3 of the graphic control extension, as the rest of the program reads it.
  int32_t disposal = 0;
  // GIF89a disposal method, bits 2-4 of the same packed byte; used when frames are composed.
  int32_t disposalMethod = 0;
  std::array<uint8_t, 256> colorMap{};
  int32_t hasLocalPalette = 0;
  // The image block's own size as the GIF file declares it (0 for frames not read from a
  // GIF file); composing leaves it, so it still tells the frame's rectangle afterwards.
  int32_t blockWidth = 0;
  int32_t blockHeight = 0;
};

// How often a viewer plays an animation, as its looping extension says.
constexpr int32_t kLoopForever = 0;     // count 0, and every new or cleared frame set
constexpr int32_t kPlayOnce = -1;       // no looping extension at all
constexpr int32_t kMaxLoopCount = 65535;  // the extension's 16-bit count

// The smallest and largest frame maximum; a setting outside them is replaced.
constexpr int kFrameMaxDefault = 256;
constexpr int kFrameMaxLowest = 16;
constexpr int kFrameMaxHighest = 10000;

// The frame maximum from its setting: below 16 becomes 256, above 10000 becomes 10000.
int ClampFrameMax(int setting);

class FrameSet {
 public:
  // Room for `capacity` frames plus one spare record. Throws std::bad_alloc; Create does not.
  explicit FrameSet(int capacity);
  static std::unique_ptr<FrameSet> Create(int capacity);

  FrameSet(const FrameSet&) = delete;
  FrameSet& operator=(const FrameSet&) = delete;
  FrameSet(FrameSet&&) = default;
  FrameSet& operator=(FrameSet&&) = default;

  int32_t screenWidth = 0;
  int32_t screenHeight = 0;
  int32_t transparentIndex = 0;
  int32_t count = 0;
  int32_t loop = 0;  // 1 when the file read had a looping extension
  // What the writers put in the looping extension: kLoopForever, a count 1..kMaxLoopCount,
  // or kPlayOnce for a file without one.
  int32_t loopCount = kLoopForever;
  std::array<Rgbq, 256> palette{};
  int32_t paletteCount = 0;

  int capacity() const { return capacity_; }
  Frame& frame(int i) { return frames_[static_cast<size_t>(i)]; }
  const Frame& frame(int i) const { return frames_[static_cast<size_t>(i)]; }

  // Frees the images of frames 0..count-1 and sets count to 0.
  void FreeFrames();
  // Clears the header and every record, as a freshly allocated set.
  void Clear();
  // Replaces this set's header and first `source.count` records by the source's (images
  // move; the source keeps count but null images). The source's count must fit.
  void TakeFrom(FrameSet& source);

 private:
  int capacity_;
  std::vector<Frame> frames_;
};

}  // namespace zel
