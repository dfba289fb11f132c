// The source pictures the interop tests start from, made at test time by ImageMagick and
// giflib from pixels generated here (fixed seeds, at most 256 colours per file, widths that
// need row padding).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "interop/interop_helpers.h"

namespace zel::interop {

enum class Source {
  kOpaque,            // 97x61, 5 full opaque frames: a fixed pattern, a moving noisy block, a bar
  kAlpha,             // 97x61, 4 full frames: fixed blocks and a moving sprite on transparency,
                      // each frame disposed to background
  kSprite,            // 97x61 opaque background, then 4 sub-rectangle sprites with holes
  kStill,             // one 97x61 noisy picture of 200 colours
  kLocalOnly,         // giflib: no global table, 3 full opaque frames with their own tables
  kLocalOnlyCleared,  // giflib: as kLocalOnly, with transparency, every frame disposed
  kLocalOnlyMixed     // giflib: no global table, sub-rectangles, transparency, all disposals
};

const char* SourceName(Source source);

// Writes the source as `dir`/<name>.gif and returns the path ("" after a test failure).
std::string MakeSource(Source source, const std::string& dir);

// `count` different opaque colours from a fixed seed.
std::vector<Rgba> DistinctColors(int count, uint32_t seed);

}  // namespace zel::interop
