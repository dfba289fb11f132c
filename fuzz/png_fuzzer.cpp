// The PNG reader and its size query, and the animated PNG reader (with a smaller budget than
// the program's, so each run stays quick; the refusal before decoding is the same check). libpng is not instrumented, so a mutation that only
// breaks a chunk's checksum would look like nothing new; the chunk checksums are set right
// before the reader sees the input, so mutations reach the chunk contents.
#include <zlib.h>

#include <vector>

#include <memory>

#include "fuzz_support.h"
#include "imagefiles/apng_reader.h"
#include "imagefiles/memory_budget.h"
#include "imagefiles/png_reader.h"

namespace {

uint32_t Be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void FixChunkChecksums(std::vector<uint8_t>& file) {
  size_t pos = 8;  // after the signature
  while (pos + 12 <= file.size()) {
    const uint32_t length = Be32(&file[pos]);
    if (length > file.size() - pos - 12) break;
    const uint8_t* typeAndData = &file[pos + 4];
    uint32_t crc = static_cast<uint32_t>(crc32(0, typeAndData, length + 4));
    uint8_t* out = &file[pos + 8 + length];
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    pos += 12 + size_t{length};
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zel;
  std::vector<uint8_t> file(data, data + size);
  FixChunkChecksums(file);
  PictureSize headerSize;
  const int sizeResult = ReadPngDataSize(file.data(), file.size(), &headerSize);
  PackedDib picture;
  int result = ReadPngData(picture, file.data(), file.size(), {});
  fuzz::Require((result == kPngReadOk) == static_cast<bool>(picture),
                "result and picture disagree");
  if (picture && sizeResult == kPngReadOk) {
    const DibHeader h = picture.Header();
    fuzz::Require(h.width == headerSize.width && h.height == headerSize.height,
                  "the size query and the picture disagree");
  }
  fuzz::TouchPicture(picture);

  static const bool budget = (SetPictureMemoryBudget(uint64_t{64} << 20), true);
  (void)budget;
  constexpr int kMaxFrames = 32;
  static std::unique_ptr<FrameSet> frames = FrameSet::Create(kMaxFrames);
  if (!frames) return 0;
  int framesInFile = 0;
  const ApngReadResult animated =
      ReadApngData(file.data(), file.size(), *frames, kMaxFrames, &framesInFile);
  fuzz::Require((animated == ApngReadResult::kOk) == (frames->count > 0),
                "result and frames disagree");
  fuzz::Require(framesInFile >= frames->count, "fewer frames in the file than read");
  for (int i = 0; i < frames->count; ++i) {
    const DibHeader h = frames->frame(i).image.Header();
    fuzz::Require(h.bitCount == 8 && h.width == frames->screenWidth &&
                      h.height == frames->screenHeight,
                  "frame is not a canvas-sized 8-bit picture");
    fuzz::Require(frames->frame(i).delay >= 0, "negative delay");
  }
  fuzz::TouchFrames(*frames);
  frames->Clear();
  return 0;
}
