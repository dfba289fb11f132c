#include "imagefiles/icon_file.h"

#include <cstring>

#include "platform/file_io.h"

namespace zel {
namespace {

constexpr int kIconSide = 32;
constexpr size_t kDirectoryBytes = 6;
constexpr size_t kEntryBytes = 16;
constexpr size_t kImageOffset = kDirectoryBytes + kEntryBytes;  // 22
constexpr size_t kPaletteBytes = 256 * 4;
constexpr size_t kColorBytes = kIconSide * kIconSide;
constexpr size_t kMaskStride = kIconSide / 8;
constexpr size_t kMaskBytes = kMaskStride * kIconSide;
constexpr size_t kImageBytes = kDibHeaderSize + kPaletteBytes + kColorBytes + kMaskBytes;

static_assert(kImageOffset + kImageBytes == kIconFileSize);

}  // namespace

std::vector<uint8_t> BuildIconFile(const PackedDib& image, int32_t transparentIndex) {
  if (!image || image.size() < kDibHeaderSize) return {};
  DibHeader h = image.Header();
  if (h.size != kDibHeaderSize || h.width != kIconSide || h.height != kIconSide ||
      h.bitCount != 8 || h.compression != 0) {
    return {};
  }
  uint32_t colors = image.ColorCount();
  if (colors > 256) return {};
  size_t stride = image.Stride();
  size_t pixelOffset = image.PixelOffset();
  if (pixelOffset > image.size() || (image.size() - pixelOffset) / kIconSide < stride) return {};

  std::vector<uint8_t> file(kIconFileSize, 0);
  uint8_t* p = file.data();
  WriteLe16(p + 2, 1);  // type: icon
  WriteLe16(p + 4, 1);  // one image

  uint8_t* entry = p + kDirectoryBytes;
  entry[0] = kIconSide;
  entry[1] = kIconSide;
  WriteLe16(entry + 4, 1);  // planes
  WriteLe16(entry + 6, 8);  // bits per pixel
  WriteLe32(entry + 8, static_cast<uint32_t>(kImageBytes));
  WriteLe32(entry + 12, static_cast<uint32_t>(kImageOffset));

  // The image header counts colour bits and mask together: twice the height.
  uint8_t* header = p + kImageOffset;
  WriteLe32(header, kDibHeaderSize);
  WriteLe32(header + 4, kIconSide);
  WriteLe32(header + 8, 2 * kIconSide);
  WriteLe16(header + 12, 1);
  WriteLe16(header + 14, 8);
  WriteLe32(header + 20, static_cast<uint32_t>(kColorBytes + kMaskBytes));
  WriteLe32(header + 32, 256);

  uint8_t* palette = header + kDibHeaderSize;
  if (colors > 0) std::memcpy(palette, image.ColorTable(), 4 * static_cast<size_t>(colors));

  uint8_t* colorBits = palette + kPaletteBytes;
  uint8_t* mask = colorBits + kColorBytes;
  const uint8_t* rows = image.Pixels();
  for (size_t y = 0; y < kIconSide; ++y) {
    const uint8_t* row = rows + y * stride;
    std::memcpy(colorBits + y * kIconSide, row, kIconSide);
    for (size_t x = 0; x < kIconSide; ++x) {
      if (static_cast<int32_t>(row[x]) == transparentIndex) {
        mask[y * kMaskStride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      }
    }
  }
  return file;
}

bool WriteIconFile(const PackedDib& image, const std::string& path, int32_t transparentIndex) {
  std::vector<uint8_t> bytes = BuildIconFile(image, transparentIndex);
  if (bytes.empty()) return false;
  return WriteFileAtomically(path, bytes.data(), bytes.size());
}

}  // namespace zel
