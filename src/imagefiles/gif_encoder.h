// Writing a FrameSet as a GIF file: a single picture or a looping animation, with one
// global palette or a palette per frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/frame_set.h"
#include "platform/progress.h"

namespace zel {

enum GifWriteResult : int {
  kGifWriteOk = 0,
  kGifWriteFailed = -1,    // the file cannot be created or written
  kGifWriteBadImage = -4,  // no frames, an image that is not 1, 4 or 8 bits, a frame without pixels
  kGifWriteNoMemory = -6,
  kGifWriteSizeMismatch = -7,  // a frame differs from the first in size or depth
  kGifWriteCancelled = -8,
};

// Builds the file in memory. `rawCodes` skips the string search (larger, faster files).
// A FrameSet whose paletteCount is negative gets a local palette per frame.
int BuildGifFile(const FrameSet& frames, bool rawCodes, ProgressSink* progress,
                 std::vector<uint8_t>& out);
int BuildGifFileLocalPalettes(const FrameSet& frames, bool rawCodes, ProgressSink* progress,
                              std::vector<uint8_t>& out);

// Builds the file and writes it atomically: a failure leaves an existing file untouched.
int WriteGifFile(const FrameSet& frames, const std::string& path, bool rawCodes,
                 ProgressSink* progress);
int WriteGifFileLocalPalettes(const FrameSet& frames, const std::string& path, bool rawCodes,
                              ProgressSink* progress);

// LZW codes of one image, as a list, for checking the encoder against other searches.
struct LzwCodeTrace {
  std::vector<uint16_t> codes;
  std::vector<uint8_t> widths;
};

// Encodes `pixels` (row-major, values below 2^codeSize) into GIF LZW data bytes (no
// sub-block framing). When `trace` is given, every emitted code and its width are recorded.
std::vector<uint8_t> LzwEncodePixels(const uint8_t* pixels, size_t count, int codeSize,
                                     bool rawCodes, LzwCodeTrace* trace = nullptr);

}  // namespace zel
