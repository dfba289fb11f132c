// Palette compaction for a merge: the entries a picture or a whole animation actually uses,
// most used first, and for every frame the map from its stored indexes to the compacted
// ones. The pictures themselves are only read, so the open document can be compacted
// without a copy of its frames.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "document/packed_dib.h"

namespace zel {

struct CompactedPalette {
  std::array<Rgbq, 256> palette{};
  int32_t count = 0;              // entries in use, at least 1 for a picture with pixels
  int32_t transparentIndex = -1;  // follows its entry; -1 when none or unused
  // For each frame: stored index -> compacted index (entries not in use map to 0).
  std::vector<std::array<uint8_t, 256>> maps;
};

// A copy of a 1-, 4- or 8-bit picture with one byte per pixel and its colour table; null
// for other depths or when memory is short.
PackedDib ExpandTo8Bits(const PackedDib& picture);

// Compacts the palette of `frames` (8-bit pictures of one size; one frame for a single
// picture). Frames whose colour table differs from frame 0's are brought into one table by
// exact colour first. The entries are sorted by the number of pixels that use them, most
// used first, ties by their place in that table; unused entries are dropped.
// `transparentIndex` is an index of frame 0's table (< 0: none). False when a frame is
// missing, not 8-bit, of another size than frame 0, has a pixel beyond its table, or the
// frames' colours do not fit 256 entries.
bool CompactPalette(const std::vector<const PackedDib*>& frames, int32_t transparentIndex,
                    CompactedPalette* out);

}  // namespace zel
