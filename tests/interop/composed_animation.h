// An animation as a viewer shows it: every frame composed onto the logical screen in RGBA,
// with its delay and the loop count; and the comparison the round-trip tests make between
// two such decodings. The readers that fill it live in giflib_composer, chromium_decoder
// and here (this program's own loader, libpng).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "interop/interop_helpers.h"

namespace zel::interop {

// Loop counts as every decoder reports them: the looping extension's count, with two
// special values.
constexpr int kViewerLoopsForever = -1;  // a looping extension with count 0
constexpr int kViewerPlaysOnce = 0;     // no looping extension (and every still picture)

struct ComposedAnimation {
  int width = 0;
  int height = 0;
  std::vector<RgbaImage> frames;  // each width x height
  std::vector<int> delays;        // hundredths of a second, one per frame
  int loop = kViewerPlaysOnce;
};

// "" when `have` shows what `want` shows: the same frame count and screen size, every pixel
// equal (pixels transparent in both count as equal whatever their colour), the same delays
// and loop count (a still picture has neither to compare). Otherwise a short account:
// differing pixels per frame with the first few, the delays and the loop counts.
std::string DescribeDifference(const ComposedAnimation& want, const ComposedAnimation& have);

// "for ever", "once" or the count.
std::string DescribeLoop(int loop);

// A file as this program opens it: LoadImageFile, the path every way into the document
// takes. Composed animation frames use the shared palette and the frame set's transparent
// index; a single picture (GIF, PNG, ...) is the current picture with the frame set's
// transparent index. That index shows as alpha 0. Nothing (and a test failure) when the
// loader refuses the file.
std::optional<ComposedAnimation> ComposeWithOurReader(const std::string& path);

// A PNG file through libpng's simplified reader as 8-bit RGBA: one still frame.
std::optional<ComposedAnimation> ComposeWithLibpng(const std::string& path);

}  // namespace zel::interop
