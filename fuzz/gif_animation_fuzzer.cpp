// The GIF animation reader: the raw frames, then palettes merged and frames composed.
#include <memory>

#include "fuzz_support.h"
#include "imagefiles/gif_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zel;
  static std::unique_ptr<FrameSet> frames = FrameSet::Create(kFrameMaxDefault);
  if (!frames) return 0;

  frames->Clear();
  if (ReadGifData(data, size, *frames, kFrameMaxDefault) == kGifReadOk) fuzz::TouchFrames(*frames);
  frames->FreeFrames();

  frames->Clear();
  if (LoadGifAnimationData(data, size, *frames, kFrameMaxDefault) == kGifReadOk) {
    fuzz::TouchFrames(*frames);
  }
  frames->FreeFrames();
  return 0;
}
