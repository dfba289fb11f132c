// BMP files built byte by byte for tests, and pictures turned into plain RGB for comparing.
#pragma once

#include <cstdint>
#include <vector>

#include "document/packed_dib.h"

namespace zel::testing {

// The parts of a BMP file; the builder pads each stored row to 4 bytes.
struct BmpParts {
  bool fileHeader = true;
  uint32_t headerSize = 40;  // 12, 40, 108, 124 or anything else
  int32_t width = 0;
  int32_t height = 0;  // negative: rows stored top row first
  uint16_t bits = 8;
  uint32_t compression = 0;
  uint32_t clrUsed = 0;
  uint32_t sizeImage = 0;
  std::vector<Rgbq> palette;    // 3-byte entries behind a 12-byte header
  std::vector<uint32_t> masks;  // red, green, blue (alpha): in a 108/124 header or behind 40
  std::vector<std::vector<uint8_t>> rows;  // stored order, unpadded
  uint32_t gap = 0;  // bytes between the table and the pixels (file header points past them)
};

inline void PutLe(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline std::vector<uint8_t> BuildBmp(const BmpParts& p) {
  std::vector<uint8_t> info;
  PutLe(info, p.headerSize, 4);
  if (p.headerSize == 12) {
    PutLe(info, static_cast<uint32_t>(p.width), 2);
    PutLe(info, static_cast<uint32_t>(p.height), 2);
    PutLe(info, 1, 2);
    PutLe(info, p.bits, 2);
  } else {
    PutLe(info, static_cast<uint32_t>(p.width), 4);
    PutLe(info, static_cast<uint32_t>(p.height), 4);
    PutLe(info, 1, 2);
    PutLe(info, p.bits, 2);
    PutLe(info, p.compression, 4);
    PutLe(info, p.sizeImage, 4);
    PutLe(info, 2835, 4);
    PutLe(info, 2835, 4);
    PutLe(info, p.clrUsed, 4);
    PutLe(info, 0, 4);
    if (p.headerSize > 40) {
      for (uint32_t m : p.masks) PutLe(info, m, 4);  // red, green, blue, alpha
      info.resize(56, 0);
      PutLe(info, 0x73524742, 4);  // colour space "sRGB"
    }
    info.resize(p.headerSize, 0);
  }
  if (p.headerSize == 40) {
    for (uint32_t m : p.masks) PutLe(info, m, 4);
  }
  for (const Rgbq& q : p.palette) {
    info.push_back(q.blue);
    info.push_back(q.green);
    info.push_back(q.red);
    if (p.headerSize != 12) info.push_back(q.reserved);
  }
  info.resize(info.size() + p.gap, 0xEE);
  std::vector<uint8_t> pixels;
  for (const auto& row : p.rows) {
    pixels.insert(pixels.end(), row.begin(), row.end());
    while (pixels.size() % 4 != 0) pixels.push_back(0);
  }
  std::vector<uint8_t> out;
  if (p.fileHeader) {
    out = {'B', 'M'};
    PutLe(out, static_cast<uint32_t>(14 + info.size() + pixels.size()), 4);
    PutLe(out, 0, 4);
    PutLe(out, static_cast<uint32_t>(14 + info.size()), 4);
  }
  out.insert(out.end(), info.begin(), info.end());
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

struct Color {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Color&, const Color&) = default;
};

// The colours of a 1-, 4-, 8- or 24-bit picture, top row first.
inline std::vector<Color> PictureColors(const PackedDib& picture) {
  DibHeader h = picture.Header();
  std::vector<Color> out;
  for (int y = 0; y < h.height; ++y) {
    const uint8_t* row = picture.Row(y);
    for (int x = 0; x < h.width; ++x) {
      if (h.bitCount == 24) {
        out.push_back({row[3 * x + 2], row[3 * x + 1], row[3 * x]});
        continue;
      }
      int index = h.bitCount == 8   ? row[x]
                  : h.bitCount == 4 ? (x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4)
                                    : (row[x / 8] >> (7 - x % 8)) & 1;
      Rgbq q = picture.ColorTable()[index];
      out.push_back({q.red, q.green, q.blue});
    }
  }
  return out;
}

}  // namespace zel::testing
