// GIF LZW decoding of one image block's data into its pixel rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace zel {

// Where the decoded pixels of one image go: `rows` picture rows of `width` pixels, stored
// bottom-up with `stride` bytes per row (row 0 of the picture is the last stored row).
// Sizes, positions and row offsets are 64-bit throughout, so a picture past 4 Gi pixels
// (or a row past 4 GiB from the first) lands where it belongs.
struct LzwTarget {
  uint8_t* pixels = nullptr;
  size_t stride = 0;
  uint64_t width = 0;
  uint64_t height = 0;
  bool interlaced = false;
  // Picture rows 0 .. storedRows - 1 are stored (0: all `height` rows); pixels of rows
  // beyond them are decoded but dropped.
  uint64_t storedRows = 0;
};

// One string of the decoder's code table: the position in the decoder's buffer where the
// string first occurs and its length, packed in one word so the table of 4096 strings
// stays small: 48 bits of position, 16 of length (a string is at most 4096 bytes long).
// A picture whose positions would pass kLzwMostPosition is refused.
constexpr uint64_t kLzwMostPosition = (uint64_t{1} << 48) - 1;
constexpr uint64_t LzwStringEntry(uint64_t position, uint32_t length) {
  return position | (uint64_t{length} << 48);
}
constexpr uint64_t LzwStringPosition(uint64_t entry) {
  return entry & kLzwMostPosition;
}
constexpr uint32_t LzwStringLength(uint64_t entry) {
  return static_cast<uint32_t>(entry >> 48);
}

// The most pixels LZW data can produce: `dataBytes` bytes of sub-block contents with the
// minimum code size `codeSize`. After a clear code the k-th code emits at most k pixels
// (each new table entry is one pixel longer than a string already there), never more
// than 4096, and every code takes at least codeSize + 1 bits.
uint64_t LzwMostPixels(uint64_t dataBytes, int codeSize);

// The LZW data of the image whose code-size byte is at `pos`: `bytes` is the sum of the
// declared lengths of its sub-blocks, as the decoder gathers them (a sub-block cut off by
// the end of the data counts whole; its missing bytes read as zeros), and `end` the
// position behind the block terminator (or the end of the data), where decoding leaves off.
struct LzwDataExtent {
  uint64_t bytes = 0;
  size_t end = 0;
};
LzwDataExtent FindLzwData(const uint8_t* data, size_t size, size_t pos);
inline uint64_t LzwDataBytes(const uint8_t* data, size_t size, size_t pos) {
  return FindLzwData(data, size, pos).bytes;
}

// The picture rows worth storing for an image of `width` x `height` whose data yields at
// most `mostPixels` pixels: all rows when the data can fill them or the picture is small
// (up to kAlwaysStoredPixels, so a cut-off file of ordinary size keeps its size with the
// missing rows at colour 0), else only the rows the data can reach (in interlaced order,
// the last of those rows). A few bytes that declare a huge image thus cost little memory.
constexpr uint64_t kAlwaysStoredPixels = uint64_t{1} << 22;
uint32_t LzwStoredRows(uint32_t width, uint32_t height, bool interlaced, uint64_t mostPixels);

// Called at every clear code with the number of complete rows decoded so far.
using LzwClearHook = std::function<void(uint64_t rowsDone)>;

class LzwDecoder {
 public:
  // Decodes the image data that starts at `*pos` (the minimum code size byte, then the
  // sub-blocks) and leaves `*pos` behind the block terminator (or at the end of the data).
  // Pixels never written stay as they were. When `used` is given, used[i] becomes 1 for
  // every colour index written. Returns 0 or a negative GIF reader code (-6, -28..-32);
  // data that ends early or runs past the picture is not an error.
  int Decode(const uint8_t* data, size_t size, size_t* pos, const LzwTarget& target, uint8_t* used,
             const LzwClearHook& onClear = nullptr);

 private:
  bool GatherSubBlocks(const uint8_t* data, size_t size, size_t* pos);
  int DecodeCodes(uint64_t pixelCount, const LzwClearHook& onClear, uint64_t width);

  // The root codes' bytes stand at the start of scratch_, the pixels behind them.
  static constexpr uint32_t kRootArea = 4096;

  std::vector<uint8_t> codes_;    // the sub-blocks' bytes joined, plus zero padding
  size_t codeBytes_ = 0;          // the bytes of codes_ gathered from the sub-blocks
  std::vector<uint8_t> scratch_;  // root bytes, then pixels in decoding order, grown on demand
  uint64_t written_ = 0;          // pixels produced so far (capped at the picture's)
  uint64_t table_[4096];          // per code: LzwStringEntry (position in scratch_, length)
  uint8_t codeSeen_[4096];        // codes written since the start (roots: the colours used)
  int codeSize_ = 0;
};

}  // namespace zel
