// The conversions between full colour and index colour, and the transparent entry.
#include <algorithm>
#include <array>
#include <cstring>

#include "color/colour_key_reduction.h"
#include "color/index_color.h"

namespace zel {

namespace {

bool IsDepth(const PackedDib& picture, int bits) {
  return IsWholePicture(picture) && picture.Header().bitCount == bits;
}

Rgbq FromColorRef(uint32_t color) {
  return Rgbq{static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 8),
              static_cast<uint8_t>(color), 0};
}

uint32_t PixelKey(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16);
}

// Stored row and column of a corner choice (1 top-left, 2 top-right, 3 bottom-left,
// 4 bottom-right); the top row is the last stored row.
void CornerPosition(const DibHeader& h, int corner, int32_t* row, int32_t* column) {
  *row = (corner == 1 || corner == 2) ? h.height - 1 : 0;
  *column = (corner == 2 || corner == 4) ? h.width - 1 : 0;
}

// Up to 255 distinct colours in the order met, with a small open-addressing table so that
// every pixel costs one probe or a few.
class DistinctColors {
 public:
  static constexpr int kLimit = 255;
  DistinctColors() { keys_.fill(kEmpty); }
  // Position of `key` in the order met, adding it when new; -1 past the limit.
  int Find(uint32_t key, bool add) {
    uint32_t slot = (key * 2654435761u) >> (32 - kBits);
    while (keys_[slot] != kEmpty) {
      if (keys_[slot] == key) return positions_[slot];
      slot = (slot + 1) & (kSlots - 1);
    }
    if (!add || static_cast<int>(colors_.size()) >= kLimit) return -1;
    keys_[slot] = key;
    positions_[slot] = static_cast<int16_t>(colors_.size());
    colors_.push_back(key);
    return positions_[slot];
  }
  const std::vector<uint32_t>& colors() const { return colors_; }

 private:
  static constexpr int kBits = 10;
  static constexpr uint32_t kSlots = 1u << kBits;
  static constexpr uint32_t kEmpty = 0xFFFFFFFF;
  std::array<uint32_t, kSlots> keys_;
  std::array<int16_t, kSlots> positions_{};
  std::vector<uint32_t> colors_;
};

// Collects the distinct colours of a 24-bit picture; false at a 256th colour.
bool CollectColors(const PackedDib& picture, DistinctColors& colors) {
  DibHeader h = picture.Header();
  size_t stride = picture.Stride();
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* p = picture.Pixels() + stride * y;
    uint32_t last = 0xFFFFFFFF;  // no 24-bit colour
    for (int32_t x = 0; x < h.width; ++x, p += 3) {
      uint32_t key = PixelKey(p);
      if (key == last) continue;
      if (colors.Find(key, true) < 0) return false;
      last = key;
    }
  }
  return true;
}

struct Hsv {
  int h, s, v;
};

Hsv ToHsv(uint32_t key) {
  int b = key & 0xFF, g = (key >> 8) & 0xFF, r = (key >> 16) & 0xFF;
  int max = std::max({r, g, b}), min = std::min({r, g, b});
  int d = max - min;
  Hsv hsv{0, max == 0 ? 0 : d * 100 / max, max};
  if (hsv.s == 0) return hsv;
  int hr = 60 * (max - r) / d, hg = 60 * (max - g) / d, hb = 60 * (max - b) / d;
  if (r == max) {
    hsv.h = hb - hg;
  } else if (g == max) {
    hsv.h = 120 + hr - hb;
  } else {
    hsv.h = 240 + hg - hr;
  }
  if (hsv.h < 0) hsv.h += 360;
  return hsv;
}

}  // namespace

std::optional<IndexConversion> AppendTransparentEntry(PackedDib image, uint32_t transparentColor) {
  if (!IsDepth(image, 8)) return std::nullopt;
  DibHeader h = image.Header();
  uint32_t count = image.ColorCount();
  if (h.clrUsed < 256 && count < 256) {
    PackedDib larger = NewPicture(h.width, h.height, 8, count + 1, image.ColorTable());
    if (!larger) return std::nullopt;
    larger.ColorTable()[count] = FromColorRef(transparentColor);
    std::memcpy(larger.Pixels(), image.Pixels(), image.Stride() * h.height);
    return IndexConversion{std::move(larger), static_cast<int32_t>(count)};
  }
  std::array<bool, 256> used{};
  size_t stride = image.Stride();
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* p = image.Pixels() + stride * y;
    for (int32_t x = 0; x < h.width; ++x) used[p[x]] = true;
  }
  for (uint32_t i = 0; i < count; ++i) {
    if (!used[i]) {
      image.ColorTable()[i] = FromColorRef(transparentColor);
      return IndexConversion{std::move(image), static_cast<int32_t>(i)};
    }
  }
  return std::nullopt;
}

void PlaceCornerTransparency(const PackedDib& source, PackedDib& reduced, int32_t index,
                             uint32_t cornerKey, uint32_t transparentColor, bool cleanUp) {
  reduced.ColorTable()[index] = FromColorRef(transparentColor);
  if (!cleanUp) return;
  // Pixels of the corner colour become transparent; others that the diffusion made
  // transparent take a neighbour's index.
  const DibHeader h = source.Header();
  const size_t inStride = source.Stride(), outStride = reduced.Stride();
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* s = source.Pixels() + inStride * y;
    uint8_t* d = reduced.Pixels() + outStride * y;
    for (int32_t x = 0; x < h.width; ++x) {
      if (PixelKey(s + 3 * x) == cornerKey) {
        d[x] = static_cast<uint8_t>(index);
      } else if (d[x] == index) {
        if (x > 0 && d[x - 1] != index) {
          d[x] = d[x - 1];
        } else if (x < h.width - 1 && d[x + 1] != index) {
          d[x] = d[x + 1];
        }
      }
    }
  }
}

std::optional<IndexConversion> ConvertToIndexColor(const PackedDib& current,
                                                   const ColorChoices& choices,
                                                   uint32_t transparentColor) {
  if (!IsDepth(current, 24)) return std::nullopt;
  // Key pixels (a picture with transparent pixels) become the transparent entry.
  if (auto keyed = ReduceKeyedPicture(
          current, choices, transparentColor,
          [transparentColor](const PackedDib& filled, const ColorChoices& kept) {
            return ConvertToIndexColor(filled, kept, transparentColor);
          })) {
    return std::move(*keyed);
  }
  const int corner = std::clamp(choices.transparentCorner, 0, 4);
  int n = 2 << std::clamp(choices.colorCountIndex, 0, 7);
  if (n == 256 && corner == 0) n = 255;
  const DibHeader h = current.Header();
  int32_t cornerRow = 0, cornerColumn = 0;
  if (corner != 0) CornerPosition(h, corner, &cornerRow, &cornerColumn);

  PackedDib result = choices.noDiffusion ? QuantizeNearest(current, n)
                                         : QuantizeDiffused(current, std::max(n, 16));
  if (!result) return std::nullopt;
  if (corner == 0) return AppendTransparentEntry(std::move(result), transparentColor);

  const int32_t t = result.Pixels()[result.Stride() * cornerRow + cornerColumn];
  const uint32_t key = PixelKey(current.Pixels() + current.Stride() * cornerRow + 3 * cornerColumn);
  PlaceCornerTransparency(current, result, t, key, transparentColor, !choices.noDiffusion);
  return IndexConversion{std::move(result), t};
}

bool IsPureIndexPossible(const PackedDib& current) {
  if (!IsDepth(current, 24)) return false;
  DistinctColors colors;
  return CollectColors(current, colors);
}

std::optional<IndexConversion> ConvertToPureIndex(const PackedDib& current, int transparentCorner,
                                                  uint32_t transparentColor) {
  if (!IsDepth(current, 24) || transparentCorner < 0 || transparentCorner > 4) return std::nullopt;
  ColorChoices choices;
  choices.transparentCorner = transparentCorner;
  if (auto keyed = ReduceKeyedPicture(
          current, choices, transparentColor,
          [transparentColor](const PackedDib& filled, const ColorChoices& kept) {
            return ConvertToPureIndex(filled, kept.transparentCorner, transparentColor);
          })) {
    return std::move(*keyed);
  }
  DistinctColors colors;
  if (!CollectColors(current, colors)) return std::nullopt;
  const std::vector<uint32_t>& met = colors.colors();
  const int k = static_cast<int>(met.size());

  // Table order: hue, value, saturation, all descending.
  std::vector<int> order(k);
  std::vector<Hsv> hsv(k);
  for (int i = 0; i < k; ++i) {
    order[i] = i;
    hsv[i] = ToHsv(met[i]);
  }
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    if (hsv[a].h != hsv[b].h) return hsv[a].h > hsv[b].h;
    if (hsv[a].v != hsv[b].v) return hsv[a].v > hsv[b].v;
    return hsv[a].s > hsv[b].s;
  });
  std::vector<Rgbq> table(k);
  std::array<uint8_t, 256> position{};
  for (int i = 0; i < k; ++i) {
    uint32_t key = met[order[i]];
    table[i] = Rgbq{static_cast<uint8_t>(key), static_cast<uint8_t>(key >> 8),
                    static_cast<uint8_t>(key >> 16), 0};
    position[order[i]] = static_cast<uint8_t>(i);
  }

  const DibHeader h = current.Header();
  PackedDib result = NewPicture(h.width, h.height, 8, static_cast<uint32_t>(k), table.data());
  if (!result) return std::nullopt;
  const size_t inStride = current.Stride(), outStride = result.Stride();
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* s = current.Pixels() + inStride * y;
    uint8_t* d = result.Pixels() + outStride * y;
    for (int32_t x = 0; x < h.width; ++x, s += 3) {
      d[x] = position[colors.Find(PixelKey(s), false)];
    }
  }
  int32_t t = -1;
  if (transparentCorner != 0) {
    int32_t row = 0, column = 0;
    CornerPosition(h, transparentCorner, &row, &column);
    t = result.Pixels()[outStride * row + column];
    result.ColorTable()[t] = FromColorRef(transparentColor);
  }
  return IndexConversion{std::move(result), t};
}

PackedDib ConvertToFullColor(const PackedDib& picture) {
  if (IsDepth(picture, 24)) return DuplicateBlock(picture);
  if (!IsDepth(picture, 8)) return {};
  const DibHeader h = picture.Header();
  PackedDib out = NewPicture(h.width, h.height, 24, 0);
  if (!out) return out;
  const uint32_t count = picture.ColorCount();
  std::array<Rgbq, 256> table{};  // indices beyond the table read black
  std::memcpy(table.data(), picture.ColorTable(), 4 * count);
  const size_t inStride = picture.Stride(), outStride = out.Stride();
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* s = picture.Pixels() + inStride * y;
    uint8_t* d = out.Pixels() + outStride * y;
    for (int32_t x = 0; x < h.width; ++x, d += 3) {
      const Rgbq& c = table[s[x]];
      d[0] = c.blue;
      d[1] = c.green;
      d[2] = c.red;
    }
  }
  return out;
}

}  // namespace zel
