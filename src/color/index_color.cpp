// Cells, the palette builders and the two mappers.
#include "color/index_color.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace zel {

namespace {

constexpr int kCellCount = 4096;

// 4-bit cell value of every channel value.
constexpr std::array<uint8_t, 256> MakeValueTable() {
  std::array<uint8_t, 256> table{};
  for (int x = 0; x < 256; ++x)
    table[x] = static_cast<uint8_t>(ColorCell::Value(static_cast<uint8_t>(x)));
  return table;
}
constexpr std::array<uint8_t, 256> kCellValue = MakeValueTable();

// Cell code of a stored 24-bit pixel (blue, green, red).
inline int PixelCell(const uint8_t* p) {
  return kCellValue[p[1]] * 256 + kCellValue[p[2]] * 16 + kCellValue[p[0]];
}

bool IsFullColor(const PackedDib& picture) {
  return IsWholePicture(picture) && picture.Header().bitCount == 24;
}

// One row of a builder's cell table.
struct CellRow {
  int32_t code;
  int32_t delta;
  int32_t sector;
  int64_t count;
};

std::array<CellRow, kCellCount> MakeCellTable() {
  std::array<CellRow, kCellCount> rows;
  for (int code = 0; code < kCellCount; ++code) {
    int g = code >> 8, r = (code >> 4) & 15, b = code & 15;
    int delta = std::max({r, g, b}) - std::min({r, g, b});
    rows[code] = CellRow{code, delta, HueSector(code), 0};
  }
  return rows;
}

// Selection by count: positive counts from the highest down (the lowest row is never
// looked at), then negative counts from the most negative up.
void SelectByCount(std::array<CellRow, kCellCount>& rows, int n, std::vector<Rgbq>& palette) {
  std::stable_sort(rows.begin(), rows.end(),
                   [](const CellRow& a, const CellRow& b) { return a.count < b.count; });
  for (int i = kCellCount - 1; i >= 1 && static_cast<int>(palette.size()) < n; --i) {
    if (rows[i].count == 0) continue;
    if (rows[i].count < 0) break;
    palette.push_back(CellColor(rows[i].code));
    rows[i].count = 0;
  }
  for (int i = 0; i < kCellCount && static_cast<int>(palette.size()) < n; ++i) {
    if (rows[i].count == 0) continue;
    if (rows[i].count > 0) break;
    palette.push_back(CellColor(rows[i].code));
    rows[i].count = 0;
  }
}

void SortByBrightness(std::vector<Rgbq>& palette) {
  std::stable_sort(palette.begin(), palette.end(), [](const Rgbq& a, const Rgbq& b) {
    return a.red + a.green + a.blue < b.red + b.green + b.blue;
  });
}

// The output picture of a mapper: the source size, 8 bits, `colors` as the table.
PackedDib NewIndexPicture(const PackedDib& source, const std::vector<Rgbq>& colors) {
  DibHeader h = source.Header();
  PackedDib out =
      NewPicture(h.width, h.height, 8, static_cast<uint32_t>(colors.size()), colors.data());
  if (out) {
    for (size_t i = 0; i < colors.size(); ++i) out.ColorTable()[i].reserved = 0;
  }
  return out;
}

bool CanMap(const PackedDib& picture, const std::vector<Rgbq>& colors) {
  return IsFullColor(picture) && !colors.empty() && colors.size() <= 256;
}

}  // namespace

Rgbq CellColor(int code) {
  return Rgbq{static_cast<uint8_t>((code & 15) * 16 + 7),
              static_cast<uint8_t>(((code >> 8) & 15) * 16 + 7),
              static_cast<uint8_t>(((code >> 4) & 15) * 16 + 7), 0};
}

Rgbq CellRepresentative(int code) {
  return Rgbq{static_cast<uint8_t>((code & 15) * 16 + 8),
              static_cast<uint8_t>(((code >> 8) & 15) * 16 + 8),
              static_cast<uint8_t>(((code >> 4) & 15) * 16 + 8), 0};
}

int HueSector(int code) {
  int g = (code >> 8) & 15, r = (code >> 4) & 15, b = code & 15;
  int max = std::max({r, g, b});
  int d = max - std::min({r, g, b});
  if (max == 0 || d == 0) return 0;
  int qr = (max - r) / d, qg = (max - g) / d, qb = (max - b) / d;
  int h;
  if (g == max) {
    h = qr - qb + 2;
  } else if (r == max) {
    h = qb - qg;
  } else {
    h = qg - qr + 4;
  }
  if (h < 0) h += 6;
  return std::clamp(h, 0, 5);
}

uint32_t PaletteMatchDistance(Rgbq p, Rgbq q) {
  uint32_t sum = static_cast<uint32_t>(std::abs(p.red - q.red) + std::abs(p.green - q.green) +
                                       std::abs(p.blue - q.blue));
  uint32_t flags = 0;
  auto pair = [&](uint32_t bit, uint8_t pa, uint8_t pb, uint8_t qa, uint8_t qb) {
    if (!(pa > pb && qa > qb)) flags |= bit;
  };
  pair(0x2000, p.red, p.green, q.red, q.green);
  pair(0x1000, p.red, p.blue, q.red, q.blue);
  pair(0x800, p.green, p.red, q.green, q.red);
  pair(0x400, p.green, p.blue, q.green, q.blue);
  pair(0x200, p.blue, p.red, q.blue, q.red);
  pair(0x100, p.blue, p.green, q.blue, q.green);
  int chromaP = std::max({p.red, p.green, p.blue}) - std::min({p.red, p.green, p.blue});
  int chromaQ = std::max({q.red, q.green, q.blue}) - std::min({q.red, q.green, q.blue});
  return (sum << 16) | flags | static_cast<uint32_t>(std::abs(chromaP - chromaQ));
}

std::vector<Rgbq> BuildPresetPalette(const PackedDib& picture, int n) {
  if (!IsFullColor(picture) || n < 16 || n > 256) return {};
  std::vector<Rgbq> palette;
  palette.reserve(n);
  palette.push_back(Rgbq{0, 0, 0, 0});
  palette.push_back(Rgbq{255, 255, 255, 0});
  std::array<CellRow, kCellCount> rows = MakeCellTable();

  // Runs of each cell; the first run of the picture is not counted.
  DibHeader h = picture.Header();
  size_t stride = picture.Stride();
  const uint8_t* pixels = picture.Pixels();
  int previous = PixelCell(pixels);
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* p = pixels + stride * y;
    for (int32_t x = 0; x < h.width; ++x, p += 3) {
      int cell = PixelCell(p);
      if (cell != previous) {
        previous = cell;
        ++rows[cell].count;
      }
    }
  }
  rows[0].count = 0;
  rows[kCellCount - 1].count = 0;

  // One colour for each hue sector met, then the most saturated cell of each sector.
  std::array<int, 6> first, best, bestDelta;
  first.fill(-1);
  best.fill(-1);
  bestDelta.fill(-1);
  for (int code = kCellCount - 1; code >= 0; --code) {
    CellRow& row = rows[code];
    if (row.count <= 0) continue;
    if (first[row.sector] < 0) {
      first[row.sector] = code;
      palette.push_back(CellColor(code));
      row.count = 0;
    } else if (row.delta > bestDelta[row.sector]) {
      best[row.sector] = code;
      bestDelta[row.sector] = row.delta;
    }
  }
  for (int s = 0; s < 6 && static_cast<int>(palette.size()) < n; ++s) {
    if (best[s] < 0) continue;
    palette.push_back(CellColor(best[s]));
    rows[best[s]].count = 0;
  }
  SelectByCount(rows, n, palette);
  SortByBrightness(palette);
  return palette;
}

std::vector<Rgbq> BuildWeightedPalette(const PackedDib& picture, int n) {
  if (!IsFullColor(picture) || n < 2 || n > 256) return {};
  std::vector<Rgbq> palette;
  palette.reserve(n);
  std::array<CellRow, kCellCount> rows = MakeCellTable();

  // Runs weighted by the luminance change along runs of one hue sector.
  DibHeader h = picture.Header();
  size_t stride = picture.Stride();
  const uint8_t* pixels = picture.Pixels();
  auto luminance = [](const uint8_t* p) { return 3 * p[2] + 6 * p[1] + p[0]; };
  int previous = PixelCell(pixels);
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* p = pixels + stride * y;
    int previousSector = rows[previous].sector;
    int64_t accumulator = 0;
    int lastLuminance = luminance(p);
    for (int32_t x = 0; x < h.width; ++x, p += 3) {
      int cell = PixelCell(p);
      if (cell == previous) continue;
      previous = cell;
      int l = luminance(p);
      int64_t weight;
      if (rows[cell].sector == previousSector) {
        accumulator += l - lastLuminance;
        if (accumulator == 0) {
          weight = 1;
        } else {
          weight = (accumulator & 64) ? -accumulator : accumulator;
        }
      } else {
        previousSector = rows[cell].sector;
        accumulator = 0;
        weight = 1;
      }
      rows[cell].count += weight;
      lastLuminance = l;
    }
  }
  SelectByCount(rows, n, palette);
  SortByBrightness(palette);
  return palette;
}

PackedDib MapWithDiffusion(const PackedDib& picture, const std::vector<Rgbq>& colors) {
  if (!CanMap(picture, colors)) return {};
  PackedDib out = NewIndexPicture(picture, colors);
  if (!out) return out;
  DibHeader h = picture.Header();
  const int32_t width = h.width;
  const size_t inStride = picture.Stride(), outStride = out.Stride();
  const uint8_t* in = picture.Pixels();
  uint8_t* outPixels = out.Pixels();
  const int k = static_cast<int>(colors.size());

  std::array<int16_t, kCellCount> cache;
  cache.fill(-1);
  // Error handed down per column (blue, green, red), and the error carried along the row.
  std::vector<int16_t> rowError(static_cast<size_t>(width) * 3, 0);
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* src = in + inStride * y;
    uint8_t* dst = outPixels + outStride * y;
    int carried[3] = {0, 0, 0};
    const bool forward = (y & 1) == 0;
    for (int32_t i = 0; i < width; ++i) {
      const int32_t x = forward ? i : width - 1 - i;
      const uint8_t* s = src + 3 * static_cast<size_t>(x);
      int16_t* below = rowError.data() + 3 * static_cast<size_t>(x);
      int v[3];
      uint8_t u[3];
      for (int c = 0; c < 3; ++c) {
        v[c] = static_cast<int16_t>(s[c] + below[c] + carried[c]);
        u[c] = static_cast<uint8_t>(std::clamp(v[c], 0, 255));
      }
      const int cell = PixelCell(u);
      int index = cache[cell];
      if (index < 0) {
        const Rgbq representative = CellRepresentative(cell);
        uint32_t bestDistance = UINT32_MAX;
        index = 0;
        for (int j = 0; j < k; ++j) {
          uint32_t d = PaletteMatchDistance(colors[j], representative);
          if (d < bestDistance) {
            bestDistance = d;
            index = j;
          }
        }
        cache[cell] = static_cast<int16_t>(index);
      }
      dst[x] = static_cast<uint8_t>(index);
      const Rgbq& chosen = colors[index];
      const int e[3] = {v[0] - chosen.blue, v[1] - chosen.green, v[2] - chosen.red};
      const bool small = std::abs(e[0]) <= 128 && std::abs(e[1]) <= 128 && std::abs(e[2]) <= 128;
      const int shift = small ? 1 : 2;
      for (int c = 0; c < 3; ++c) {
        const int passed = e[c] >> shift;
        carried[c] = passed;
        below[c] = static_cast<int16_t>(passed);
      }
    }
  }
  return out;
}

PackedDib MapNearest(const PackedDib& picture, const std::vector<Rgbq>& colors) {
  if (!CanMap(picture, colors)) return {};
  PackedDib out = NewIndexPicture(picture, colors);
  if (!out) return out;
  DibHeader h = picture.Header();
  const size_t inStride = picture.Stride(), outStride = out.Stride();
  const int k = static_cast<int>(colors.size());
  std::array<int16_t, kCellCount> cache;
  cache.fill(-1);
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* s = picture.Pixels() + inStride * y;
    uint8_t* dst = out.Pixels() + outStride * y;
    for (int32_t x = 0; x < h.width; ++x, s += 3) {
      const int cell = PixelCell(s);
      int index = cache[cell];
      if (index < 0) {
        const Rgbq q = CellRepresentative(cell);
        int bestDistance = INT32_MAX;
        index = 0;
        for (int j = 0; j < k; ++j) {
          const Rgbq& p = colors[j];
          int d = std::abs(p.red - q.red) + std::abs(p.green - q.green) + std::abs(p.blue - q.blue);
          if (d < bestDistance) {
            bestDistance = d;
            index = j;
          }
        }
        cache[cell] = static_cast<int16_t>(index);
      }
      dst[x] = static_cast<uint8_t>(index);
    }
  }
  return out;
}

PackedDib QuantizeDiffused(const PackedDib& picture, int n) {
  std::vector<Rgbq> palette = BuildPresetPalette(picture, n);
  if (palette.empty()) return {};
  return MapWithDiffusion(picture, palette);
}

PackedDib QuantizeNearest(const PackedDib& picture, int n) {
  std::vector<Rgbq> palette = BuildWeightedPalette(picture, n);
  if (palette.empty()) return {};
  return MapNearest(picture, palette);
}

PackedDib ReduceForPaletteDisplay(const PackedDib& picture) {
  return QuantizeDiffused(picture, 236);
}

}  // namespace zel
