#include "integration/clipboard_picture.h"

#include <cstring>

#include "document/colour_key.h"

#include "imagefiles/bmp_file.h"
#include "imagefiles/frame_bitmap.h"
#include "imagefiles/png_reader.h"

namespace zel {
namespace {

constexpr size_t kFileHeaderSize = 14;

bool HasFileHeader(const uint8_t* data, size_t size) {
  return size >= 2 && data[0] == 'B' && data[1] == 'M';
}

// The file header and the block behind it.
std::vector<uint8_t> WithFileHeader(const PackedDib& block) {
  std::vector<uint8_t> bytes(kFileHeaderSize + block.size());
  bytes[0] = 'B';
  bytes[1] = 'M';
  WriteLe32(&bytes[2], static_cast<uint32_t>(bytes.size()));
  WriteLe32(&bytes[10], static_cast<uint32_t>(kFileHeaderSize + block.PixelOffset()));
  std::memcpy(&bytes[kFileHeaderSize], block.data(), block.size());
  return bytes;
}

// The value of a trailer (`tag` and a 32-bit value) right behind the rows of BMP bytes of
// `bits` bits per pixel: "TIDX" for 8 bits, "TKEY" for 24.
std::optional<int32_t> FindTrailer(const uint8_t* data, size_t size, int bits, const char* tag) {
  size_t base = 0;
  size_t rowsStart = 0;
  if (HasFileHeader(data, size)) {
    if (size < kFileHeaderSize) return std::nullopt;
    base = kFileHeaderSize;
    rowsStart = ReadLe32(data + 10);
  }
  if (size - base < kDibHeaderSize || ReadLe32(data + base) != kDibHeaderSize) return std::nullopt;
  const DibHeader h = ParseDibHeader(data + base);
  if (h.bitCount != bits || h.compression != 0 || h.width <= 0 || h.height == 0) {
    return std::nullopt;
  }
  const uint64_t colors = h.clrUsed ? h.clrUsed : (bits == 8 ? 256 : 0);
  if (colors > 256) return std::nullopt;
  if (rowsStart == 0) rowsStart = base + kDibHeaderSize + 4 * colors;
  const uint64_t rows = h.height < 0 ? -static_cast<int64_t>(h.height) : h.height;
  const uint64_t imageSize = h.sizeImage ? h.sizeImage : RowStride(bits, h.width) * rows;
  const uint64_t at = static_cast<uint64_t>(rowsStart) + imageSize;
  if (at > size || size - at < 8 || std::memcmp(data + at, tag, 4) != 0) return std::nullopt;
  return static_cast<int32_t>(ReadLe32(data + at + 4));
}

}  // namespace

std::optional<std::vector<uint8_t>> BuildClipboardBmp(DocumentState& doc) {
  std::vector<uint8_t> file;
  const bool animation = IsAnimation(doc.kind);
  if (animation) {
    DocumentBusyScope busy(doc);
    if (!BuildFrameBitmapFile(*doc.frameSet, doc.backgroundColor, file).done()) return std::nullopt;
  } else {
    if (doc.kind == ImageKind::kNone || !doc.currentPicture) return std::nullopt;
    file = BuildBmpFile(doc.currentPicture);
    if (file.empty()) return std::nullopt;
  }
  // The block as the BMP reader gives it back, which fills in the image size.
  PackedDib block;
  if (ReadBmpData(block, file.data(), file.size()) != kBmpReadOk || !block) return std::nullopt;
  const int32_t transparent = doc.frameSet ? doc.frameSet->transparentIndex : -1;
  if (!animation && block.Header().bitCount == 8 && block.Header().sizeImage > 0 &&
      transparent >= 0) {
    WriteTransparencyTrailer(block, transparent);
  }
  // A full-colour picture's transparent pixels are those of its key colour.
  if (!animation && block.Header().bitCount == 24) {
    if (std::optional<uint32_t> key = ReadColourKey(doc.currentPicture)) WriteColourKey(block, *key);
  }
  return WithFileHeader(block);
}

PackedDib PictureFromClipboardBmp(const uint8_t* data, size_t size) {
  if (data == nullptr || size == 0) return {};
  PackedDib picture;
  if (ReadBmpData(picture, data, size) != kBmpReadOk || !picture) return {};
  if (!IsWholePicture(picture)) return {};
  if (picture.Header().bitCount == 8) {
    if (std::optional<int32_t> index = FindTrailer(data, size, 8, "TIDX")) {
      WriteTransparencyTrailer(picture, *index);
    }
  } else if (picture.Header().bitCount == 24) {
    if (std::optional<int32_t> key = FindTrailer(data, size, 24, "TKEY")) {
      WriteColourKey(picture, static_cast<uint32_t>(*key));
    }
  }
  return picture;
}

PackedDib PictureFromClipboardPng(const uint8_t* data, size_t size) {
  if (data == nullptr || size == 0) return {};
  PackedDib picture;
  if (ReadPngData(picture, data, size, {}) != kPngReadOk || !picture) return {};
  return IsWholePicture(picture) ? std::move(picture) : PackedDib();
}

}  // namespace zel
