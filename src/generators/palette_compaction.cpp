#include "generators/palette_compaction.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace zel {
namespace {

bool SameTable(const PackedDib& a, const PackedDib& b) {
  return a.ColorCount() == b.ColorCount() &&
         std::memcmp(a.ColorTable(), b.ColorTable(), 4 * static_cast<size_t>(a.ColorCount())) == 0;
}

bool SameColor(const Rgbq& a, const Rgbq& b) {
  return a.blue == b.blue && a.green == b.green && a.red == b.red;
}

// Which stored indexes the picture's pixels use; false when one lies beyond its table.
bool UsedEntries(const PackedDib& picture, std::array<uint64_t, 256>& counts) {
  const DibHeader h = picture.Header();
  const uint32_t colors = picture.ColorCount();
  std::array<uint64_t, 256> local{};
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* row = picture.Row(y);
    for (int32_t x = 0; x < h.width; ++x) ++local[row[x]];
  }
  for (uint32_t i = colors; i < 256; ++i) {
    if (local[i] != 0) return false;
  }
  for (size_t i = 0; i < 256; ++i) counts[i] += local[i];
  return true;
}

}  // namespace

PackedDib ExpandTo8Bits(const PackedDib& picture) {
  if (!picture || picture.size() < kDibHeaderSize) return {};
  const DibHeader h = picture.Header();
  const int bits = h.bitCount;
  if (bits != 1 && bits != 4 && bits != 8) return {};
  if (h.width <= 0 || h.height <= 0) return {};
  const uint32_t colors = std::min<uint32_t>(picture.ColorCount(), 256);
  PackedDib out = NewPicture(h.width, h.height, 8, colors, picture.ColorTable());
  if (!out) return {};
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* src = picture.Row(y);
    uint8_t* dst = out.Row(y);
    for (int32_t x = 0; x < h.width; ++x) {
      if (bits == 8) {
        dst[x] = src[x];
      } else if (bits == 4) {
        const uint8_t b = src[x / 2];
        dst[x] = (x & 1) ? (b & 0x0F) : (b >> 4);
      } else {
        dst[x] = (src[x / 8] >> (7 - (x & 7))) & 1;
      }
    }
  }
  return out;
}

bool CompactPalette(const std::vector<const PackedDib*>& frames, int32_t transparentIndex,
                    CompactedPalette* out) {
  if (frames.empty() || out == nullptr) return false;
  for (const PackedDib* frame : frames) {
    if (frame == nullptr || !*frame || frame->size() < kDibHeaderSize) return false;
    const DibHeader h = frame->Header();
    if (h.bitCount != 8 || h.width <= 0 || h.height <= 0 || frame->ColorCount() > 256) {
      return false;
    }
  }
  const PackedDib& first = *frames[0];
  const DibHeader firstHeader = first.Header();

  // One table for all frames: frame 0's, plus the colours of frames with another table.
  std::array<Rgbq, 256> table{};
  const int32_t firstColors = static_cast<int32_t>(first.ColorCount());
  int32_t tableCount = firstColors;
  std::copy_n(first.ColorTable(), firstColors, table.begin());
  std::vector<std::array<uint8_t, 256>> toTable(frames.size());
  std::array<uint64_t, 256> counts{};
  for (size_t f = 0; f < frames.size(); ++f) {
    const PackedDib& frame = *frames[f];
    const DibHeader h = frame.Header();
    if (h.width != firstHeader.width || h.height != firstHeader.height) return false;
    std::array<uint64_t, 256> used{};
    if (!UsedEntries(frame, used)) return false;
    std::array<uint8_t, 256>& map = toTable[f];
    std::iota(map.begin(), map.end(), 0);
    if (f > 0 && !SameTable(frame, first)) {
      const Rgbq* own = frame.ColorTable();
      for (uint32_t i = 0; i < frame.ColorCount(); ++i) {
        if (used[i] == 0) continue;
        int32_t found = -1;
        for (int32_t j = 0; j < tableCount; ++j) {
          if (SameColor(table[static_cast<size_t>(j)], own[i])) {
            found = j;
            break;
          }
        }
        if (found < 0) {
          if (tableCount == 256) return false;
          found = tableCount;
          table[static_cast<size_t>(tableCount++)] = own[i];
        }
        map[i] = static_cast<uint8_t>(found);
      }
    }
    for (size_t i = 0; i < 256; ++i) {
      if (used[i] != 0) counts[map[i]] += used[i];
    }
  }

  // Most used first; a stable sort keeps equal counts in table order.
  std::array<uint8_t, 256> order{};
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.begin() + tableCount,
                   [&counts](uint8_t a, uint8_t b) { return counts[a] > counts[b]; });
  std::array<uint8_t, 256> renumber{};
  out->palette.fill(Rgbq{});
  out->count = 0;
  for (int32_t i = 0; i < tableCount; ++i) {
    const uint8_t entry = order[static_cast<size_t>(i)];
    if (counts[entry] == 0) break;
    renumber[entry] = static_cast<uint8_t>(out->count);
    out->palette[static_cast<size_t>(out->count)] = table[entry];
    out->palette[static_cast<size_t>(out->count)].reserved = 0;
    ++out->count;
  }
  out->transparentIndex = -1;
  if (transparentIndex >= 0 && transparentIndex < firstColors && counts[transparentIndex] != 0) {
    out->transparentIndex = renumber[static_cast<size_t>(transparentIndex)];
  }
  out->maps.assign(frames.size(), {});
  for (size_t f = 0; f < frames.size(); ++f) {
    for (size_t i = 0; i < 256; ++i) out->maps[f][i] = renumber[toTable[f][i]];
  }
  return out->count > 0;
}

}  // namespace zel
