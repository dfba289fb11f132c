// GIF LZW decoding of one image block's data into its pixel rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace zel {

// Where the decoded pixels of one image go: `rows` picture rows of `width` pixels, stored
// bottom-up with `stride` bytes per row (row 0 of the picture is the last stored row).
struct LzwTarget {
  uint8_t* pixels = nullptr;
  size_t stride = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  bool interlaced = false;
};

// Called at every clear code with the number of complete rows decoded so far.
using LzwClearHook = std::function<void(uint32_t rowsDone)>;

class LzwDecoder {
 public:
  // Decodes the image data that starts at `*pos` (the minimum code size byte, then the
  // sub-blocks) and leaves `*pos` behind the block terminator (or at the end of the data).
  // Pixels never written stay as they were. When `used` is given, used[i] becomes 1 for
  // every colour index written. Returns 0 or a negative GIF reader code (-6, -28..-31);
  // data that ends early or runs past the picture is not an error.
  int Decode(const uint8_t* data, size_t size, size_t* pos, const LzwTarget& target, uint8_t* used,
             const LzwClearHook& onClear = nullptr);

 private:
  bool GatherSubBlocks(const uint8_t* data, size_t size, size_t* pos);
  int DecodeCodes(uint64_t pixelCount, const LzwClearHook& onClear, uint32_t width);

  std::vector<uint8_t> codes_;    // the sub-blocks' bytes joined, plus zero padding
  std::vector<uint8_t> scratch_;  // pixels in decoding order, grown on demand
  uint64_t written_ = 0;          // pixels produced so far (capped at the picture's)
  uint32_t offset_[4096];         // where each string first occurs in scratch_
  uint16_t length_[4096];
  uint8_t rootWritten_[256];  // root codes written into the picture (code size up to 8)
  int codeSize_ = 0;
};

}  // namespace zel
