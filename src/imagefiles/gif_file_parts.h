// Pieces the GIF writers share: reading a frame's picture, the palette sizes, and the
// blocks every written file is made of.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/packed_dib.h"

namespace zel {

// A picture the writers can read: one plane, 1, 4 or 8 bits, rows inside its block.
struct ImageLayout {
  int32_t width = 0;
  int32_t height = 0;
  int bits = 0;
  uint16_t planes = 0;
  uint32_t colors = 0;  // colours used, from the header or the bit depth
  size_t stride = 0;
  const uint8_t* pixels = nullptr;
  const Rgbq* table = nullptr;
  uint32_t tableEntries = 0;  // entries really stored in the block
};

bool ReadImageLayout(const PackedDib& image, ImageLayout* out);

struct PaletteSizes {
  int codeSize = 0;   // k
  int tableBits = 0;  // t: the colour table holds 2^t entries
};

// The code size and table size for `colors` colours and a transparent index (or -1).
PaletteSizes ComputePaletteSizes(uint32_t colors, int32_t transparentIndex);

// One row of the picture, top row first (y = 0), as one byte per pixel; values the code
// size cannot carry become 0. `row` holds at least width bytes.
void UnpackImageRow(const ImageLayout& image, int32_t y, int codeSize, uint8_t* row);

void AppendLe16(std::vector<uint8_t>& out, uint32_t v);
// 2^tableBits entries of R, G, B from `table` (zeros past `entries`).
void AppendColorTable(std::vector<uint8_t>& out, const Rgbq* table, uint32_t entries,
                      int tableBits);
// The header, logical screen descriptor, global table (when `table` is given), comment and,
// for two frames or more, the looping block with `loopCount` (a FrameSet's; none for
// kPlayOnce).
void AppendFileStart(std::vector<uint8_t>& out, int32_t width, int32_t height, const Rgbq* table,
                     uint32_t entries, int tableBits, int frameCount, int32_t loopCount);
// LZW data as sub-blocks of at most 255 bytes, then the terminator.
void AppendSubBlocks(std::vector<uint8_t>& out, const std::vector<uint8_t>& codes);

}  // namespace zel
