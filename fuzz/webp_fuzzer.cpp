// The WebP reader, still and animated: the whole read as the loader asks for it, and the
// first picture alone as a listed picture is read. A smaller budget than the program's
// keeps each run quick; the refusal before decoding is the same check.
#include <cstdint>
#include <memory>

#include "fuzz_support.h"
#include "imagefiles/memory_budget.h"
#include "imagefiles/webp_reader.h"

namespace {

constexpr int kMaxFrames = 32;

void CheckFrames(const zel::FrameSet& frames, zel::WebpReadResult result, int framesInFile) {
  using namespace zel;
  fuzz::Require((result == WebpReadResult::kOk) == (frames.count > 0),
                "result and frames disagree");
  fuzz::TouchFrames(frames);
  if (frames.count == 0) return;
  fuzz::Require(framesInFile >= frames.count, "fewer frames in the file than read");
  if (frames.count == 1) return;  // a still picture
  fuzz::Require(frames.paletteCount >= 2 && frames.paletteCount <= 256, "palette size");
  fuzz::Require(frames.transparentIndex < frames.paletteCount, "transparent entry outside");
  for (int i = 0; i < frames.count; ++i) {
    const PackedDib& picture = frames.frame(i).image;
    const DibHeader h = picture.Header();
    fuzz::Require(
        h.bitCount == 8 && h.width == frames.screenWidth && h.height == frames.screenHeight,
        "frame is not a canvas-sized 8-bit picture");
    fuzz::Require(frames.frame(i).delay >= 0, "negative delay");
    for (int32_t y = 0; y < h.height; ++y) {
      const uint8_t* row = picture.Row(y);
      for (int32_t x = 0; x < h.width; ++x) {
        fuzz::Require(row[x] < frames.paletteCount, "pixel beyond the palette");
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zel;
  static const bool budget = (SetPictureMemoryBudget(uint64_t{64} << 20), true);
  (void)budget;
  static std::unique_ptr<FrameSet> frames = FrameSet::Create(kMaxFrames);
  if (!frames) return 0;
  int framesInFile = 0;
  WebpReadResult result = ReadWebpData(data, size, *frames, kMaxFrames, &framesInFile);
  CheckFrames(*frames, result, framesInFile);
  frames->Clear();
  result = ReadWebpData(data, size, *frames, 1, &framesInFile);
  CheckFrames(*frames, result, framesInFile);
  fuzz::Require(frames->count <= 1, "more than the one frame asked for");
  frames->Clear();
  return 0;
}
