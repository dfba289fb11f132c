#include "generators/colour_census.h"

#include <algorithm>

#include "color/index_color.h"

namespace zel {
namespace {

constexpr int kBlackCell = 0;
constexpr int kWhiteCell = kCensusCellCount - 1;

inline int Brightness(const uint8_t* bgr) {
  return 3 * bgr[2] + 6 * bgr[1] + bgr[0];
}

inline int CellOf(const uint8_t* bgr) {
  return CellCode(bgr[2], bgr[1], bgr[0]);
}

}  // namespace

ColourCensus::ColourCensus() {
  for (int code = 0; code < kCensusCellCount; ++code) {
    const int g = code >> 8, r = (code >> 4) & 15, b = code & 15;
    cells_[code] = CensusCell{code, std::max({r, g, b}) - std::min({r, g, b}), HueSector(code), 0};
  }
}

bool ColourCensus::Count(const PackedDib& picture) {
  if (!IsWholePicture(picture) || picture.Header().bitCount != 24) return false;
  const DibHeader h = picture.Header();
  const size_t stride = picture.Stride();
  const uint8_t* pixels = picture.Pixels();
  int previous = CellOf(pixels);
  const auto meet = [this](int cell) {
    if (cells_[cell].firstSeen == CensusCell::kNeverSeen) cells_[cell].firstSeen = cellsMet_++;
  };
  meet(previous);
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* p = pixels + stride * static_cast<size_t>(y);
    int sector = cells_[previous].sector;
    int lastBrightness = Brightness(p);
    int64_t accumulator = 0;
    for (int32_t x = 0; x < h.width; ++x, p += 3) {
      const int cell = CellOf(p);
      if (cell == previous) continue;
      meet(cell);
      const int brightness = Brightness(p);
      int64_t weight = 1;
      if (cells_[cell].sector == sector) {
        accumulator += brightness - lastBrightness;
        if (accumulator != 0) weight = (accumulator & 64) ? -accumulator : accumulator;
      } else {
        sector = cells_[cell].sector;
        accumulator = 0;
      }
      cells_[cell].count += weight;
      previous = cell;
      lastBrightness = brightness;
    }
  }
  return true;
}

void ColourCensus::Add(const ColourCensus& other) {
  for (int code = 0; code < kCensusCellCount; ++code) {
    CensusCell& cell = cells_[code];
    const CensusCell& theirs = other.cells_[code];
    cell.count += theirs.count;
    if (cell.firstSeen == CensusCell::kNeverSeen && theirs.firstSeen != CensusCell::kNeverSeen) {
      cell.firstSeen = cellsMet_ + theirs.firstSeen;
    }
  }
  cellsMet_ += other.cellsMet_;
}

int CommonPaletteLimit(int comboIndex) {
  const int index = std::clamp(comboIndex, 0, 4);
  return (16 << index) - 1;
}

std::vector<Rgbq> BuildCommonPalette(const ColourCensus& census, int limit) {
  std::array<CensusCell, kCensusCellCount> cells = census.Cells();
  const size_t most = static_cast<size_t>(std::clamp(limit, 2, 255));
  std::vector<Rgbq> palette;
  palette.reserve(most);
  palette.push_back(Rgbq{0, 0, 0, 0});
  palette.push_back(Rgbq{255, 255, 255, 0});
  cells[kBlackCell].count = 0;
  cells[kWhiteCell].count = 0;

  // One representative per hue sector, from the top code down; the most saturated later
  // cell of each sector is its candidate (the first of equal chroma stays).
  std::array<int, 6> representative, candidate, candidateChroma;
  representative.fill(-1);
  candidate.fill(-1);
  candidateChroma.fill(-1);
  for (int code = kCensusCellCount - 1; code >= 0; --code) {
    CensusCell& cell = cells[code];
    if (cell.count <= 0) continue;
    if (representative[cell.sector] < 0) {
      // A limit below eight leaves no room for every hue.
      if (palette.size() >= most) break;
      representative[cell.sector] = code;
      palette.push_back(CellColor(code));
      cell.count = 0;
    } else if (cell.chroma > candidateChroma[cell.sector]) {
      candidate[cell.sector] = code;
      candidateChroma[cell.sector] = cell.chroma;
    }
  }
  for (int s = 0; s < 6 && palette.size() < most; ++s) {
    if (candidate[s] < 0) continue;
    palette.push_back(CellColor(candidate[s]));
    cells[candidate[s]].count = 0;
  }

  // By count, ascending. Positive cells are taken from the end and negative ones from the
  // start, so equal counts are ordered to put the first met nearest the end it is taken from.
  std::sort(cells.begin(), cells.end(), [](const CensusCell& a, const CensusCell& b) {
    if (a.count != b.count) return a.count < b.count;
    if (a.firstSeen != b.firstSeen) {
      return a.count > 0 ? a.firstSeen > b.firstSeen : a.firstSeen < b.firstSeen;
    }
    return a.code < b.code;
  });
  for (int i = kCensusCellCount - 1; i >= 0 && palette.size() < most && cells[i].count > 0; --i) {
    palette.push_back(CellColor(cells[i].code));
    cells[i].count = 0;
  }
  for (int i = 0; i < kCensusCellCount && palette.size() < most && cells[i].count < 0; ++i) {
    palette.push_back(CellColor(cells[i].code));
    cells[i].count = 0;
  }

  std::stable_sort(palette.begin(), palette.end(), [](const Rgbq& a, const Rgbq& b) {
    return a.red + a.green + a.blue < b.red + b.green + b.blue;
  });
  return palette;
}

PackedDib MapToCommonPalette(const PackedDib& picture, const std::vector<Rgbq>& palette) {
  return MapWithDiffusion(picture, palette);
}

}  // namespace zel
