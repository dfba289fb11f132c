#include "transforms/one_step.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "transforms/sampling.h"

namespace zel {

PackedDib CropImage(const PackedDib& picture, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const auto layout = MappableLayoutOf(picture);
  if (!layout) return {};
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  x1 = std::max(x1, 0);
  y1 = std::max(y1, 0);
  x2 = std::min(x2, layout->width);
  y2 = std::min(y2, layout->height);
  if (x2 - x1 <= 0 || y2 - y1 <= 0) return {};
  const int32_t w = x2 - x1;
  const int32_t h = y2 - y1;
  PackedDib out = NewPictureLike(picture, w, h);
  if (!out) return out;
  const size_t bytes = static_cast<size_t>(layout->bits / 8);
  for (int32_t y = 0; y < h; ++y) {
    std::memcpy(out.Row(y), picture.Row(y1 + y) + static_cast<size_t>(x1) * bytes,
                static_cast<size_t>(w) * bytes);
  }
  return out;
}

int64_t MarginSide(int32_t width, int32_t height) {
  const double w = width;
  const double h = height;
  return static_cast<int64_t>(std::sqrt(w * w + h * h));
}

PackedDib AddMargin(const PackedDib& picture, Rgbq transparentColor, int32_t& transparentIndex) {
  const auto layout = MappableLayoutOf(picture);
  if (!layout || layout->width < 8 || layout->height < 8) return {};
  const int64_t side = MarginSide(layout->width, layout->height);
  if (side > INT32_MAX) return {};
  const int32_t s = static_cast<int32_t>(side);
  const int32_t left = (s - layout->width) / 2;
  const int32_t top = (s - layout->height) / 2;

  int32_t index = transparentIndex;
  PackedDib out;
  if (layout->bits == 8) {
    const uint32_t count = picture.ColorCount();
    if (index < 0) {
      if (count >= 256) return {};
      index = static_cast<int32_t>(count);
    }
    if (index > 255) return {};
    // The table grows to hold the index; new entries are the transparent colour.
    const uint32_t colors = std::max(count, static_cast<uint32_t>(index) + 1);
    std::vector<Rgbq> table(colors, transparentColor);
    std::memcpy(table.data(), picture.ColorTable(), 4 * static_cast<size_t>(count));
    out = NewPictureLike(picture, s, s);
    if (!out) return out;
    if (colors != count) {
      PackedDib grown = NewPicture(s, s, 8, colors, table.data());
      if (!grown) return grown;
      DibHeader h = out.Header();
      h.clrUsed = h.clrImportant = colors;
      h.sizeImage = grown.Header().sizeImage;
      grown.SetHeader(h);
      out = std::move(grown);
    }
    for (int32_t y = 0; y < s; ++y) std::memset(out.Row(y), index, static_cast<size_t>(s));
  } else {
    out = NewPictureLike(picture, s, s);
    if (!out) return out;
    for (int32_t y = 0; y < s; ++y) {
      uint8_t* row = out.Row(y);
      for (int32_t x = 0; x < s; ++x) {
        row[3 * x] = transparentColor.blue;
        row[3 * x + 1] = transparentColor.green;
        row[3 * x + 2] = transparentColor.red;
      }
    }
  }
  const size_t bytes = static_cast<size_t>(layout->bits / 8);
  for (int32_t y = 0; y < layout->height; ++y) {
    std::memcpy(out.Row(top + y) + static_cast<size_t>(left) * bytes, picture.Row(y),
                static_cast<size_t>(layout->width) * bytes);
  }
  if (layout->bits == 8) transparentIndex = index;
  return out;
}

namespace {

// Reads and writes pixel i of a stored row for any supported depth, as an opaque value.
uint32_t GetPixel(const uint8_t* row, int bits, int64_t i) {
  switch (bits) {
    case 1:
      return (row[i >> 3] >> (7 - (i & 7))) & 1;
    case 4:
      return (row[i >> 1] >> ((i & 1) ? 0 : 4)) & 0xF;
    default: {
      const size_t bytes = static_cast<size_t>(bits / 8);
      uint32_t v = 0;
      std::memcpy(&v, row + static_cast<size_t>(i) * bytes, bytes);
      return v;
    }
  }
}

void SetPixel(uint8_t* row, int bits, int64_t i, uint32_t v) {
  switch (bits) {
    case 1: {
      const int shift = 7 - static_cast<int>(i & 7);
      row[i >> 3] = static_cast<uint8_t>((row[i >> 3] & ~(1 << shift)) | ((v & 1) << shift));
      break;
    }
    case 4: {
      const int shift = (i & 1) ? 0 : 4;
      row[i >> 1] = static_cast<uint8_t>((row[i >> 1] & ~(0xF << shift)) | ((v & 0xF) << shift));
      break;
    }
    default:
      std::memcpy(row + static_cast<size_t>(i) * static_cast<size_t>(bits / 8), &v,
                  static_cast<size_t>(bits / 8));
  }
}

PackedDib Turn(const PackedDib& picture, bool left) {
  const auto layout = AnyDepthLayoutOf(picture);
  if (!layout) return {};
  const int32_t w = layout->width;
  const int32_t h = layout->height;
  PackedDib out = NewPictureLike(picture, h, w);
  if (!out) return out;
  const int bits = layout->bits;
  const uint8_t* src = picture.Pixels();
  uint8_t* dst = out.Pixels();
  const size_t outStride = out.Stride();
  for (int32_t j = 0; j < h; ++j) {
    const uint8_t* srcRow = src + static_cast<size_t>(j) * layout->stride;
    for (int32_t i = 0; i < w; ++i) {
      // Stored column i, stored row j goes to (h - 1 - j, i) turning left, (j, w - 1 - i)
      // turning right.
      const int64_t col = left ? h - 1 - j : j;
      const int64_t row = left ? i : w - 1 - i;
      SetPixel(dst + static_cast<size_t>(row) * outStride, bits, col, GetPixel(srcRow, bits, i));
    }
  }
  return out;
}

}  // namespace

PackedDib TurnLeft90(const PackedDib& picture) {
  return Turn(picture, true);
}

PackedDib TurnRight90(const PackedDib& picture) {
  return Turn(picture, false);
}

PackedDib MirrorHorizontal(const PackedDib& picture) {
  const auto layout = MappableLayoutOf(picture);
  if (!layout) return {};
  PackedDib out = NewPictureLike(picture, layout->width, layout->height);
  if (!out) return out;
  const size_t bytes = static_cast<size_t>(layout->bits / 8);
  const int32_t w = layout->width;
  for (int32_t y = 0; y < layout->height; ++y) {
    const uint8_t* from = picture.Row(y);
    uint8_t* to = out.Row(y);
    for (int32_t x = 0; x < w; ++x) {
      std::memcpy(to + static_cast<size_t>(w - 1 - x) * bytes,
                  from + static_cast<size_t>(x) * bytes, bytes);
    }
  }
  return out;
}

PackedDib MirrorVertical(const PackedDib& picture) {
  const auto layout = MappableLayoutOf(picture);
  if (!layout) return {};
  PackedDib out = NewPictureLike(picture, layout->width, layout->height);
  if (!out) return out;
  const int32_t h = layout->height;
  const size_t rowBytes =
      static_cast<size_t>(layout->width) * static_cast<size_t>(layout->bits / 8);
  for (int32_t y = 0; y < h; ++y) std::memcpy(out.Row(h - 1 - y), picture.Row(y), rowBytes);
  return out;
}

}  // namespace zel
