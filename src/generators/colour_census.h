// The colour census of several pictures and the one palette built from it: 4096 cells (a
// colour at 4 bits per channel), each weighted by how the brightness changes along the runs
// of one hue, and the common palette of black, white, one colour per hue met, the most
// saturated colour per hue, then the heaviest cells.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "document/packed_dib.h"

namespace zel {

inline constexpr int kCensusCellCount = 4096;

struct CensusCell {
  int32_t code = 0;    // (g << 8) | (r << 4) | b of the 4-bit channel values
  int32_t chroma = 0;  // largest minus smallest of the three 4-bit values
  int32_t sector = 0;  // hue sector 0..5 (HueSector)
  // The summed weights. 64 bits: forty large photographs can push a cell beyond 2^31.
  int64_t count = 0;
  // When the cell was first met: pictures in the order counted, pixels in scan order
  // (kNeverSeen when no pixel fell into it). Cells of equal count are taken in this order.
  uint64_t firstSeen = kNeverSeen;
  static constexpr uint64_t kNeverSeen = UINT64_MAX;
};

class ColourCensus {
 public:
  // Every cell with its code, chroma and sector, counts 0.
  ColourCensus();

  // Adds one 24-bit picture: rows in storage order, each from left to right, the running
  // state (previous cell, brightness, sector, accumulator) starting afresh with the
  // picture's first pixel. Other depths add nothing and give false.
  bool Count(const PackedDib& picture);
  // Adds another census's counts cell by cell; its pictures count as met after this one's,
  // so summing per-picture censuses in list order gives what counting them in turn gives.
  void Add(const ColourCensus& other);

  const std::array<CensusCell, kCensusCellCount>& Cells() const { return cells_; }
  std::array<CensusCell, kCensusCellCount>& Cells() { return cells_; }

 private:
  std::array<CensusCell, kCensusCellCount> cells_;
  uint64_t cellsMet_ = 0;  // cells met so far: the next first-seen number
};

// The number of colours the common palette may hold for combo index 0..4 (16 to 256
// colours, one slot kept for transparency): 15, 31, 63, 127, 255. Indexes below 0 count as
// 0, above 4 as 4.
int CommonPaletteLimit(int comboIndex);

// The common palette of at most `limit` entries from the census (the census is not
// changed): black and white, the first cell met of each hue sector from the top code down,
// the most saturated remaining cell of each sector, then the cells by count, positive from
// the largest down and negative from the most negative up; sorted by red + green + blue,
// darkest first. Cells of equal count are taken in the order they were first met, and
// entries of equal brightness keep the order they were made in, so the same files always
// give the same palette.
std::vector<Rgbq> BuildCommonPalette(const ColourCensus& census, int limit);

// A 24-bit picture mapped onto the common palette with error diffusion; null on a bad input
// or when memory is short.
PackedDib MapToCommonPalette(const PackedDib& picture, const std::vector<Rgbq>& palette);

}  // namespace zel
