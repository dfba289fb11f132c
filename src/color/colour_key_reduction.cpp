#include "color/colour_key_reduction.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "document/colour_key.h"

namespace zel {
namespace {

// The stored row and column of a corner choice (1 top-left, 2 top-right, 3 bottom-left,
// 4 bottom-right); the top row is the last stored row.
size_t CornerPixel(const DibHeader& h, int corner) {
  const size_t width = static_cast<size_t>(h.width);
  const size_t storedRow = corner <= 2 ? static_cast<size_t>(h.height) - 1 : 0;
  const size_t column = corner == 2 || corner == 4 ? width - 1 : 0;
  return storedRow * width + column;
}

}  // namespace

std::optional<KeyedPicture> SeparateColourKey(const PackedDib& picture, bool* failed) {
  if (failed) *failed = false;
  const std::optional<uint32_t> key = ReadColourKey(picture);
  if (!key) return std::nullopt;
  const DibHeader h = picture.Header();
  const size_t width = static_cast<size_t>(h.width);
  const size_t stride = picture.Stride();
  KeyedPicture keyed;
  keyed.filled = DuplicateBlock(picture);
  if (!keyed.filled) {
    if (failed) *failed = true;
    return std::nullopt;
  }
  ClearColourKey(keyed.filled);
  try {
    keyed.mask.assign(width * static_cast<size_t>(h.height), 0);
  } catch (const std::bad_alloc&) {
    if (failed) *failed = true;
    return std::nullopt;
  }
  uint8_t* pixels = keyed.filled.Pixels();
  // The colour key pixels take: the pixel before them, or the first other pixel at the start.
  uint8_t fill[3] = {0, 0, 0};
  bool found = false;
  for (size_t y = 0; y < static_cast<size_t>(h.height) && !found; ++y) {
    for (size_t x = 0; x < width; ++x) {
      const uint8_t* p = pixels + y * stride + 3 * x;
      if (PixelColour(p) != *key) {
        std::memcpy(fill, p, 3);
        found = true;
        break;
      }
    }
  }
  bool any = false;
  for (size_t y = 0; y < static_cast<size_t>(h.height); ++y) {
    uint8_t* row = pixels + y * stride;
    for (size_t x = 0; x < width; ++x) {
      uint8_t* p = row + 3 * x;
      if (PixelColour(p) == *key) {
        std::memcpy(p, fill, 3);
        keyed.mask[y * width + x] = 1;
        any = true;
      } else {
        std::memcpy(fill, p, 3);
      }
    }
  }
  if (!any) return std::nullopt;
  return keyed;
}

void MarkKeyPixels(PackedDib& reduced, const std::vector<uint8_t>& mask, int32_t index) {
  if (!reduced || index < 0 || index > 255 || reduced.Header().bitCount != 8) return;
  const DibHeader h = reduced.Header();
  const size_t width = static_cast<size_t>(h.width);
  if (mask.size() != width * static_cast<size_t>(h.height)) return;
  uint8_t* pixels = reduced.Pixels();
  const size_t stride = reduced.Stride();
  for (size_t y = 0; y < static_cast<size_t>(h.height); ++y) {
    for (size_t x = 0; x < width; ++x) {
      if (mask[y * width + x] != 0) pixels[y * stride + x] = static_cast<uint8_t>(index);
    }
  }
}

std::optional<std::optional<IndexConversion>> ReduceKeyedPicture(const PackedDib& current,
                                                                 const ColorChoices& choices,
                                                                 uint32_t transparentColor,
                                                                 const PictureReduction& reduce) {
  bool failed = false;
  std::optional<KeyedPicture> keyed = SeparateColourKey(current, &failed);
  if (failed) return std::optional<IndexConversion>();
  if (!keyed) return std::nullopt;
  ColorChoices kept = choices;
  const int corner = std::clamp(choices.transparentCorner, 0, 4);
  if (corner != 0 && keyed->mask[CornerPixel(current.Header(), corner)] != 0) {
    kept.transparentCorner = 0;
  }
  std::optional<IndexConversion> result = reduce(keyed->filled, kept);
  keyed->filled.Reset();
  if (!result || !result->picture) return std::optional<IndexConversion>();
  if (result->transparentIndex < 0) {
    result = AppendTransparentEntry(std::move(result->picture), transparentColor);
    if (!result) return std::optional<IndexConversion>();
  }
  MarkKeyPixels(result->picture, keyed->mask, result->transparentIndex);
  return result;
}

}  // namespace zel
