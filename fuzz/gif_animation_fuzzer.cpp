// The GIF animation reader: the raw frames, then palettes merged and frames composed.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "fuzz_support.h"
#include "imagefiles/gif_decoder.h"

namespace {

// Composing costs the logical screen (grown to hold every frame) once per frame. Inputs
// beyond this are left to the reader's memory budget, which refuses them before any
// work; here they would only spend the run's time on a few bytes that claim gigabytes.
constexpr uint64_t kComposeLimit = uint64_t{64} << 20;

uint64_t ComposedBytes(const zel::FrameSet& frames) {
  int64_t width = frames.screenWidth;
  int64_t height = frames.screenHeight;
  for (int i = 0; i < frames.count; ++i) {
    const zel::Frame& frame = frames.frame(i);
    if (!frame.image) continue;
    const zel::DibHeader header = frame.image.Header();
    width = std::max<int64_t>(width, int64_t{frame.left} + header.width);
    height = std::max<int64_t>(height, int64_t{frame.top} + header.height);
  }
  return static_cast<uint64_t>(width) * static_cast<uint64_t>(height) *
         static_cast<uint64_t>(frames.count);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zel;
  static std::unique_ptr<FrameSet> frames = FrameSet::Create(kFrameMaxDefault);
  if (!frames) return 0;

  frames->Clear();
  bool compose = false;
  if (ReadGifData(data, size, *frames, kFrameMaxDefault) == kGifReadOk) {
    fuzz::TouchFrames(*frames);
    compose = ComposedBytes(*frames) <= kComposeLimit;
  }
  frames->FreeFrames();
  if (!compose) return 0;

  frames->Clear();
  if (LoadGifAnimationData(data, size, *frames, kFrameMaxDefault) == kGifReadOk) {
    fuzz::TouchFrames(*frames);
  }
  frames->FreeFrames();
  return 0;
}
