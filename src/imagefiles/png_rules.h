// What every reader of PNG data (still pictures and the frames of animated PNG files) holds
// to: the size libpng may accept, the bound on what compressed data can inflate to, and the
// gamma rule.
#pragma once

#include <png.h>

#include <cstdint>

namespace zel {

// Width and height libpng accepts at all (its own default, stated here so the build of the
// library does not change it).
inline constexpr uint32_t kPngMaxSide = 1000000;
// Deflate codes a 258-byte match in no less than two bits, so no zlib stream inflates to
// more than 1032 times its length; a picture needing more pixel bytes cannot be complete.
inline constexpr uint64_t kMaxInflateRatio = 1032;
inline constexpr uint64_t kInflateSlack = 64 * 1024;

// Files without a gamma of their own, and those made for a display like ours (gAMA near
// 1/2.2, or sRGB), keep their samples; others are corrected for a display gamma of 2.2.
// Telling libpng both gammas are 1 also makes it mix transparent pixels with the background
// on the stored values. Called once the header is read.
void RequestPngGamma(png_structp png, png_infop info);

}  // namespace zel
