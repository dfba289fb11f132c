#include "generators/picture_normalisation.h"

#include <algorithm>
#include <array>

namespace zel {
namespace {

// What a picture from a reader must be before its pixels are read.
bool IsReadablePicture(const PackedDib& picture) {
  if (!picture || picture.size() < kDibHeaderSize) return false;
  const DibHeader h = picture.Header();
  if (h.size != kDibHeaderSize || h.width <= 0 || h.height <= 0 || h.compression != 0) return false;
  switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
      if (picture.ColorCount() > 256) return false;
      break;
    case 16:
    case 24:
    case 32:
      break;
    default:
      return false;
  }
  const uint64_t offset = picture.PixelOffset();
  const uint64_t rows = static_cast<uint64_t>(picture.Stride()) * static_cast<uint64_t>(h.height);
  return offset + rows <= picture.size();
}

// The blue, green, red of every table entry; entries beyond the table stay marked unusable.
struct Lookup {
  std::array<Rgbq, 256> colors{};
  uint32_t count = 0;
};

// Writes pixel x of a stored row as blue, green, red; false for an index beyond the table.
inline bool ReadPixel(const uint8_t* row, int32_t x, int bits, const Lookup& lookup, uint8_t* out) {
  uint32_t index = 0;
  switch (bits) {
    case 24:
      out[0] = row[3 * x];
      out[1] = row[3 * x + 1];
      out[2] = row[3 * x + 2];
      return true;
    case 32:
      out[0] = row[4 * x];
      out[1] = row[4 * x + 1];
      out[2] = row[4 * x + 2];
      return true;
    case 16: {
      const uint32_t v = row[2 * x] | (row[2 * x + 1] << 8);
      const auto five = [](uint32_t c) { return static_cast<uint8_t>((c << 3) | (c >> 2)); };
      out[0] = five(v & 31);
      out[1] = five((v >> 5) & 31);
      out[2] = five((v >> 10) & 31);
      return true;
    }
    case 8:
      index = row[x];
      break;
    case 4:
      index = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
      break;
    default:
      index = (row[x >> 3] >> (7 - (x & 7))) & 1;
      break;
  }
  if (index >= lookup.count) return false;
  const Rgbq& c = lookup.colors[index];
  out[0] = c.blue;
  out[1] = c.green;
  out[2] = c.red;
  return true;
}

}  // namespace

PictureExtent NormalisedExtent(int32_t width, int32_t height, int side) {
  if (side < 1) side = 1;
  if (width <= side && height <= side) return {width, height};
  // The ratio is the larger side over L; v / ratio is worked as v * L / larger side in
  // integers, so the larger side comes out exactly L (a real division can land one short).
  const int64_t larger = std::max(width, height);
  const auto scaled = [side, larger](int32_t v) {
    return std::max<int32_t>(1, static_cast<int32_t>(static_cast<int64_t>(v) * side / larger));
  };
  return {scaled(width), scaled(height)};
}

std::vector<int32_t> KeptIndexes(int32_t from, int32_t to) {
  std::vector<int32_t> kept;
  if (from <= 0 || to <= 0) return kept;
  kept.reserve(static_cast<size_t>(to));
  int64_t e = to / 2;
  int32_t source = 0;
  for (int32_t i = 0; i < to; ++i) {
    while (e < 0) {
      e += to;
      ++source;
    }
    kept.push_back(std::min(source, from - 1));
    e -= from;
  }
  return kept;
}

PackedDib NormalisePicture(PackedDib&& picture, int side) {
  if (!IsReadablePicture(picture)) return {};
  const DibHeader h = picture.Header();
  const PictureExtent extent = NormalisedExtent(h.width, h.height, side);
  if (h.bitCount == 24 && extent.width == h.width && extent.height == h.height) {
    return std::move(picture);
  }
  Lookup lookup;
  if (h.bitCount <= 8) {
    lookup.count = std::min<uint32_t>(picture.ColorCount(), 256);
    std::copy_n(picture.ColorTable(), lookup.count, lookup.colors.begin());
  }
  PackedDib out = NewPicture(extent.width, extent.height, 24, 0);
  if (!out) return {};
  const std::vector<int32_t> columns = KeptIndexes(h.width, extent.width);
  const std::vector<int32_t> rows = KeptIndexes(h.height, extent.height);
  const size_t inStride = picture.Stride(), outStride = out.Stride();
  const uint8_t* in = picture.Pixels();
  uint8_t* outPixels = out.Pixels();
  for (int32_t y = 0; y < extent.height; ++y) {
    const uint8_t* source = in + inStride * static_cast<size_t>(rows[static_cast<size_t>(y)]);
    uint8_t* target = outPixels + outStride * static_cast<size_t>(y);
    for (int32_t x = 0; x < extent.width; ++x) {
      if (!ReadPixel(source, columns[static_cast<size_t>(x)], h.bitCount, lookup, target + 3 * x)) {
        return {};
      }
    }
  }
  return out;
}

}  // namespace zel
