#include "imagefiles/gif_file_parts.h"

#include <algorithm>
#include <cstring>

#include "document/frame_set.h"

namespace zel {
namespace {

constexpr uint8_t kCommentBlock[7] = {0x21, 0xFE, 0x03, 'Z', 'E', 'L', 0x00};
// The looping block up to its count, which follows in two bytes, then the terminator.
constexpr uint8_t kLoopingBlock[16] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T',  'S', 'C',
                                       'A',  'P',  'E',  '2', '.', '0', 0x03, 0x01};

}  // namespace

bool ReadImageLayout(const PackedDib& image, ImageLayout* out) {
  if (!image || image.size() < kDibHeaderSize) return false;
  DibHeader h = image.Header();
  if (h.size != kDibHeaderSize || h.planes != 1) return false;
  if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8) return false;
  if (h.width <= 0 || h.height <= 0) return false;
  uint32_t stored = image.ColorCount();
  size_t offset = kDibHeaderSize + 4 * static_cast<size_t>(stored);
  size_t stride = RowStride(h.bitCount, h.width);
  if (offset > image.size() || stride > (image.size() - offset) / static_cast<size_t>(h.height)) {
    return false;
  }
  out->width = h.width;
  out->height = h.height;
  out->bits = h.bitCount;
  out->planes = h.planes;
  out->colors = h.clrUsed != 0 ? h.clrUsed : (1u << h.bitCount);
  out->stride = stride;
  out->pixels = image.data() + offset;
  out->table = image.ColorTable();
  out->tableEntries = std::min<uint32_t>(stored, 256);
  return true;
}

PaletteSizes ComputePaletteSizes(uint32_t colors, int32_t transparentIndex) {
  uint32_t n = colors;
  if (transparentIndex >= 0 && static_cast<uint32_t>(transparentIndex) >= n) {
    n = static_cast<uint32_t>(transparentIndex) + 1;
  }
  int k = 8;
  for (int bits = 2; bits < 8; ++bits) {
    if (n <= (1u << bits)) {
      k = bits;
      break;
    }
  }
  return {k, (k == 2 && colors == 2) ? 1 : k};
}

void UnpackImageRow(const ImageLayout& image, int32_t y, int codeSize, uint8_t* row) {
  const uint8_t* src = image.pixels + static_cast<size_t>(image.height - 1 - y) * image.stride;
  const int32_t width = image.width;
  if (image.bits == 1) {
    for (int32_t x = 0; x < width; ++x) row[x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
  } else if (image.bits == 4) {
    for (int32_t x = 0; x < width; ++x)
      row[x] = (x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4);
  } else {
    std::memcpy(row, src, static_cast<size_t>(width));
  }
  const uint32_t top = 1u << codeSize;
  if (top < 256) {
    for (int32_t x = 0; x < width; ++x) {
      if (row[x] >= top) row[x] = 0;
    }
  }
}

void AppendLe16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void AppendColorTable(std::vector<uint8_t>& out, const Rgbq* table, uint32_t entries,
                      int tableBits) {
  uint32_t count = 1u << tableBits;
  for (uint32_t i = 0; i < count; ++i) {
    if (i < entries) {
      out.push_back(table[i].red);
      out.push_back(table[i].green);
      out.push_back(table[i].blue);
    } else {
      out.insert(out.end(), 3, 0);
    }
  }
}

void AppendFileStart(std::vector<uint8_t>& out, int32_t width, int32_t height, const Rgbq* table,
                     uint32_t entries, int tableBits, int frameCount, int32_t loopCount) {
  const uint8_t header[6] = {'G', 'I', 'F', '8', '9', 'a'};
  out.insert(out.end(), header, header + 6);
  AppendLe16(out, static_cast<uint32_t>(width));
  AppendLe16(out, static_cast<uint32_t>(height));
  out.push_back(table == nullptr ? 0x00 : static_cast<uint8_t>(0xF0 | (tableBits - 1)));
  out.push_back(0);
  out.push_back(0);
  if (table != nullptr) AppendColorTable(out, table, entries, tableBits);
  out.insert(out.end(), kCommentBlock, kCommentBlock + sizeof kCommentBlock);
  if (frameCount >= 2 && loopCount != kPlayOnce) {
    out.insert(out.end(), kLoopingBlock, kLoopingBlock + sizeof kLoopingBlock);
    AppendLe16(out, static_cast<uint32_t>(std::clamp(loopCount, 0, kMaxLoopCount)));
    out.push_back(0x00);
  }
}

void AppendSubBlocks(std::vector<uint8_t>& out, const std::vector<uint8_t>& codes) {
  out.reserve(out.size() + codes.size() + codes.size() / 255 + 2);
  for (size_t at = 0; at < codes.size(); at += 255) {
    size_t n = std::min<size_t>(255, codes.size() - at);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), codes.begin() + static_cast<ptrdiff_t>(at),
               codes.begin() + static_cast<ptrdiff_t>(at + n));
  }
  out.push_back(0x00);
}

}  // namespace zel
