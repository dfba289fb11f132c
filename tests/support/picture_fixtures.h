// Small pictures for the transform tests, with pixels given by a function of the picture
// position (x from the left, y = stored row from the bottom).
#pragma once

#include <cstring>
#include <functional>
#include <vector>

#include "document/packed_dib.h"

namespace zel::testing {

inline std::vector<Rgbq> GrayTable(int count) {
  std::vector<Rgbq> table(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    table[static_cast<size_t>(i)] = {uint8_t(i), uint8_t(i), uint8_t(255 - i), 0};
  }
  return table;
}

inline PackedDib Make8(int w, int h, const std::function<uint8_t(int, int)>& pixel,
                       int colors = 256) {
  const auto table = GrayTable(colors);
  PackedDib p = NewPicture(w, h, 8, static_cast<uint32_t>(colors), table.data());
  for (int y = 0; y < h; ++y) {
    uint8_t* row = p.Pixels() + static_cast<size_t>(y) * p.Stride();
    for (int x = 0; x < w; ++x) row[x] = pixel(x, y);
  }
  return p;
}

inline PackedDib Make24(int w, int h, const std::function<Rgbq(int, int)>& pixel) {
  PackedDib p = NewPicture(w, h, 24, 0);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = p.Pixels() + static_cast<size_t>(y) * p.Stride();
    for (int x = 0; x < w; ++x) {
      const Rgbq c = pixel(x, y);
      row[3 * x] = c.blue;
      row[3 * x + 1] = c.green;
      row[3 * x + 2] = c.red;
    }
  }
  return p;
}

inline uint8_t At8(const PackedDib& p, int x, int y) {
  return p.Pixels()[static_cast<size_t>(y) * p.Stride() + static_cast<size_t>(x)];
}

inline Rgbq At24(const PackedDib& p, int x, int y) {
  const uint8_t* q = p.Pixels() + static_cast<size_t>(y) * p.Stride() + 3 * static_cast<size_t>(x);
  return {q[0], q[1], q[2], 0};
}

// Same size, bit count, table and pixels (padding ignored).
inline bool SamePicture(const PackedDib& a, const PackedDib& b) {
  if (!a || !b) return false;
  const DibHeader ha = a.Header();
  const DibHeader hb = b.Header();
  if (ha.width != hb.width || ha.height != hb.height || ha.bitCount != hb.bitCount) return false;
  if (a.ColorCount() != b.ColorCount() ||
      std::memcmp(a.ColorTable(), b.ColorTable(), 4 * a.ColorCount()) != 0) {
    return false;
  }
  const size_t rowBytes = static_cast<size_t>(ha.width) * ha.bitCount / 8;
  for (int y = 0; y < ha.height; ++y) {
    if (std::memcmp(a.Pixels() + y * a.Stride(), b.Pixels() + y * b.Stride(), rowBytes) != 0) {
      return false;
    }
  }
  return true;
}

}  // namespace zel::testing
