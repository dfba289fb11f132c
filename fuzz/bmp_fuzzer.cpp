// BMP files, and frame bitmaps read from them (8-bit ones as stored, 24-bit ones after
// being indexed again, as the loader does).
#include <memory>

#include "fuzz_support.h"
#include "imagefiles/bmp_file.h"
#include "imagefiles/frame_bitmap.h"

namespace {

void ReadAsFrameBitmap(const zel::PackedDib& image) {
  using namespace zel;
  static std::unique_ptr<FrameSet> frames = FrameSet::Create(kFrameMaxHighest);
  if (!frames || !IsFrameBitmap(image)) return;
  frames->Clear();
  if (ReadFrameBitmap(image, *frames).done()) fuzz::TouchFrames(*frames);
  frames->FreeFrames();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zel;
  static fuzz::MemoryFile file;
  file.Write(data, size);
  ReadBmpFileSize(file.path());

  PackedDib picture;
  int result = ReadBmpData(picture, data, size);
  fuzz::Require((result == kBmpReadOk) == static_cast<bool>(picture),
                "result and picture disagree");
  if (!picture) return 0;
  fuzz::TouchPicture(picture);
  ReadAsFrameBitmap(picture);
  PackedDib indexed = IndexTrueColorImage(picture);
  fuzz::TouchPicture(indexed);
  if (indexed) ReadAsFrameBitmap(indexed);
  return 0;
}
