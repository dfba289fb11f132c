#include "document/packed_dib.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace zel {

uint16_t ReadLe16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void WriteLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void WriteLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void PackedDib::FreeBlock::operator()(uint8_t* p) const {
  std::free(p);
}

namespace {

std::atomic<size_t> allocationCeiling{0};

}  // namespace

void SetAllocationCeilingForTests(size_t bytes) {
  allocationCeiling = bytes;
}

PackedDib PackedDib::Allocate(size_t size) {
  PackedDib dib;
  if (size == 0) return dib;
  const size_t ceiling = allocationCeiling;
  if (ceiling > 0 && size >= ceiling) return dib;
  // calloc: large blocks come as untouched zero pages, so a huge picture declared by a
  // hostile file costs nothing until pixels are really written.
  dib.bytes_.reset(static_cast<uint8_t*>(std::calloc(size, 1)));
  if (dib.bytes_) dib.size_ = size;
  return dib;
}

DibHeader PackedDib::Header() const {
  return ParseDibHeader(bytes_.get());
}

DibHeader ParseDibHeader(const uint8_t* p) {
  DibHeader h;
  h.size = ReadLe32(p);
  h.width = static_cast<int32_t>(ReadLe32(p + 4));
  h.height = static_cast<int32_t>(ReadLe32(p + 8));
  h.planes = ReadLe16(p + 12);
  h.bitCount = ReadLe16(p + 14);
  h.compression = ReadLe32(p + 16);
  h.sizeImage = ReadLe32(p + 20);
  h.xPelsPerMeter = static_cast<int32_t>(ReadLe32(p + 24));
  h.yPelsPerMeter = static_cast<int32_t>(ReadLe32(p + 28));
  h.clrUsed = ReadLe32(p + 32);
  h.clrImportant = ReadLe32(p + 36);
  return h;
}

void PackedDib::SetHeader(const DibHeader& h) {
  uint8_t* p = bytes_.get();
  WriteLe32(p, h.size);
  WriteLe32(p + 4, static_cast<uint32_t>(h.width));
  WriteLe32(p + 8, static_cast<uint32_t>(h.height));
  WriteLe16(p + 12, h.planes);
  WriteLe16(p + 14, h.bitCount);
  WriteLe32(p + 16, h.compression);
  WriteLe32(p + 20, h.sizeImage);
  WriteLe32(p + 24, static_cast<uint32_t>(h.xPelsPerMeter));
  WriteLe32(p + 28, static_cast<uint32_t>(h.yPelsPerMeter));
  WriteLe32(p + 32, h.clrUsed);
  WriteLe32(p + 36, h.clrImportant);
}

uint32_t PackedDib::ColorCount() const {
  return ColorTableSize(bytes_.get());
}

size_t PackedDib::PixelOffset() const {
  return ReadLe32(bytes_.get()) + 4 * static_cast<size_t>(ColorCount());
}

size_t PackedDib::Stride() const {
  const uint8_t* p = bytes_.get();
  return RowStride(ReadLe16(p + 14), static_cast<int32_t>(ReadLe32(p + 4)));
}

uint8_t* PackedDib::Row(int y) {
  int32_t height = static_cast<int32_t>(ReadLe32(bytes_.get() + 8));
  return Pixels() + static_cast<size_t>(height - 1 - y) * Stride();
}

const uint8_t* PackedDib::Row(int y) const {
  int32_t height = static_cast<int32_t>(ReadLe32(bytes_.get() + 8));
  return Pixels() + static_cast<size_t>(height - 1 - y) * Stride();
}

namespace {

size_t RowBytes(int bitCount, int32_t width) {
  size_t w = width < 0 ? 0 : static_cast<size_t>(width);
  switch (bitCount) {
    case 1:
      return (w + 7) / 8;
    case 4:
      return (w + 1) / 2;
    case 8:
      return w;
    case 16:
      return 2 * w;
    case 24:
      return 3 * w;
    case 32:
      return 4 * w;
    default:
      return 0;
  }
}

}  // namespace

uint32_t RowPadding(int bitCount, int32_t width) {
  switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      return static_cast<uint32_t>((4 - RowBytes(bitCount, width) % 4) % 4);
    default:
      return 0;
  }
}

size_t RowStride(int bitCount, int32_t width) {
  return RowBytes(bitCount, width) + RowPadding(bitCount, width);
}

uint32_t ColorTableSize(const uint8_t* header) {
  uint32_t size = ReadLe32(header);
  uint16_t bits;
  if (size == 12) {
    bits = ReadLe16(header + 10);
  } else {
    uint32_t used = ReadLe32(header + 32);
    if (used != 0) return used;
    bits = ReadLe16(header + 14);
  }
  switch (bits) {
    case 1:
      return 2;
    case 4:
      return 16;
    case 8:
      return 256;
    default:
      return 0;
  }
}

bool IsWholePicture(const PackedDib& picture) {
  if (!picture || picture.size() < kDibHeaderSize) return false;
  DibHeader h = picture.Header();
  if (h.size != kDibHeaderSize || h.planes != 1 || h.compression != 0) return false;
  if (h.width <= 0 || h.height <= 0) return false;
  if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 24) return false;
  uint64_t colors = picture.ColorCount();
  if ((h.bitCount <= 8 && (colors == 0 || colors > 256)) || (h.bitCount > 8 && colors != 0)) {
    return false;
  }
  uint64_t rows =
      static_cast<uint64_t>(RowStride(h.bitCount, h.width)) * static_cast<uint64_t>(h.height);
  return kDibHeaderSize + 4 * colors + rows <= picture.size();
}

PackedDib DuplicateBlock(const PackedDib& source) {
  PackedDib copy = PackedDib::Allocate(source.size());
  if (copy) std::memcpy(copy.data(), source.data(), source.size());
  return copy;
}

PackedDib NewPicture(int32_t width, int32_t height, int bitCount, uint32_t colors,
                     const Rgbq* palette) {
  if (width <= 0 || height <= 0 || colors > 256) return {};
  size_t stride = RowStride(bitCount, width);
  if (stride == 0) return {};
  size_t image = stride * static_cast<size_t>(height);
  if (image / stride != static_cast<size_t>(height) || image > 0xFFFFFFFFu) return {};
  PackedDib dib = PackedDib::Allocate(kDibHeaderSize + 4 * colors + image + kDibSpareBytes);
  if (!dib) return dib;
  DibHeader h;
  h.width = width;
  h.height = height;
  h.bitCount = static_cast<uint16_t>(bitCount);
  h.sizeImage = static_cast<uint32_t>(image);
  h.clrUsed = h.clrImportant = colors;
  dib.SetHeader(h);
  if (palette != nullptr && colors > 0) std::memcpy(dib.ColorTable(), palette, 4 * colors);
  return dib;
}

namespace {

// The picture's bit count, size and table, checked against its block.
struct IndexedLayout {
  int bits = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint32_t colors = 0;
  size_t stride = 0;
  size_t pixelOffset = 0;
};

bool CheckIndexedLayout(const PackedDib& dib, IndexedLayout* out) {
  if (!dib || dib.size() < kDibHeaderSize) return false;
  DibHeader h = dib.Header();
  if (h.size != kDibHeaderSize || h.width <= 0 || h.height <= 0 || h.compression != 0) {
    return false;
  }
  if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8) return false;
  uint32_t colors = dib.ColorCount();
  if (colors > 256) return false;
  size_t stride = RowStride(h.bitCount, h.width);
  size_t offset = kDibHeaderSize + 4 * static_cast<size_t>(colors);
  if (offset > dib.size() || stride > (dib.size() - offset) / static_cast<size_t>(h.height)) {
    return false;
  }
  *out = {h.bitCount, h.width, h.height, colors, stride, offset};
  return true;
}

inline uint8_t IndexAt(const uint8_t* row, int bits, int32_t x) {
  switch (bits) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
      return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    default:
      return row[x];
  }
}

}  // namespace

PackedDib NormalizeIndexedImage(PackedDib& source, uint32_t limit) {
  IndexedLayout in;
  if (!CheckIndexedLayout(source, &in)) return {};
  const uint8_t* src = source.data() + in.pixelOffset;
  const Rgbq* table = source.ColorTable();

  if (in.bits == 1 && in.colors == 2 && limit >= 2) {
    PackedDib out = NewPicture(in.width, in.height, 8, 2, table);
    if (!out) return out;
    size_t outStride = out.Stride();
    uint8_t* dst = out.Pixels();
    for (int32_t y = 0; y < in.height; ++y) {
      const uint8_t* row = src + static_cast<size_t>(y) * in.stride;
      uint8_t* d = dst + static_cast<size_t>(y) * outStride;
      for (int32_t x = 0; x < in.width; ++x) d[x] = IndexAt(row, 1, x);
    }
    source.Reset();
    return out;
  }

  bool used[256] = {};
  for (int32_t y = 0; y < in.height; ++y) {
    const uint8_t* row = src + static_cast<size_t>(y) * in.stride;
    for (int32_t x = 0; x < in.width; ++x) {
      uint8_t index = IndexAt(row, in.bits, x);
      if (index >= in.colors) return {};
      used[index] = true;
    }
  }
  uint8_t renumber[256] = {};
  Rgbq kept[256];
  uint32_t count = 0;
  for (uint32_t i = 0; i < in.colors; ++i) {
    if (!used[i]) continue;
    if (count >= limit) return {};
    renumber[i] = static_cast<uint8_t>(count);
    kept[count++] = table[i];
  }
  PackedDib out = NewPicture(in.width, in.height, 8, count, kept);
  if (!out) return out;
  size_t outStride = out.Stride();
  uint8_t* dst = out.Pixels();
  for (int32_t y = 0; y < in.height; ++y) {
    const uint8_t* row = src + static_cast<size_t>(y) * in.stride;
    uint8_t* d = dst + static_cast<size_t>(y) * outStride;
    for (int32_t x = 0; x < in.width; ++x) d[x] = renumber[IndexAt(row, in.bits, x)];
  }
  source.Reset();
  return out;
}

namespace {

// Offset of the trailer, or 0 when the picture cannot carry one.
size_t TrailerOffset(const PackedDib& picture) {
  if (!picture || picture.size() < kDibHeaderSize) return 0;
  DibHeader h = picture.Header();
  if (h.bitCount != 8 || h.sizeImage == 0) return 0;
  size_t offset = h.size + 4 * static_cast<size_t>(picture.ColorCount()) + h.sizeImage;
  if (h.size < kDibHeaderSize || offset + 8 > picture.size()) return 0;
  return offset;
}

}  // namespace

bool ReadTransparencyTrailer(const PackedDib& picture, int32_t* index) {
  size_t offset = TrailerOffset(picture);
  if (offset == 0 || std::memcmp(picture.data() + offset, "TIDX", 4) != 0) return false;
  *index = static_cast<int32_t>(ReadLe32(picture.data() + offset + 4));
  return true;
}

bool WriteTransparencyTrailer(PackedDib& picture, int32_t index) {
  size_t offset = TrailerOffset(picture);
  if (offset == 0) return false;
  std::memcpy(picture.data() + offset, "TIDX", 4);
  WriteLe32(picture.data() + offset + 4, static_cast<uint32_t>(index));
  return true;
}

}  // namespace zel
