#include "imagefiles/bmp_file.h"

#include <cerrno>
#include <cstring>
#include <limits>

#include "imagefiles/memory_budget.h"
#include "platform/file_io.h"

namespace zel {
namespace {

constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kV4HeaderSize = 108;
constexpr uint32_t kV5HeaderSize = 124;
constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kRgb = 0;
constexpr uint32_t kBitFields = 3;

bool HasFileHeader(const uint8_t* data, size_t size) {
  return size >= 2 && data[0] == 'B' && data[1] == 'M';
}

bool IsKnownHeaderSize(uint32_t size) {
  return size == kCoreHeaderSize || size == kDibHeaderSize || size == kV4HeaderSize ||
         size == kV5HeaderSize;
}

// The information header of any accepted form, in its 40-byte shape.
struct SourceHeader {
  uint32_t size = 0;  // as stored: 12, 40, 108 or 124
  DibHeader info;
  uint32_t masks[3] = {};  // red, green, blue; only from a 108- or 124-byte header
};

// Reads the header at `base`. -1 when the data ends inside it, -3 for an unknown size.
int ParseHeader(const uint8_t* data, size_t size, size_t base, SourceHeader* out) {
  if (size - base < 4) return kBmpCannotRead;
  const uint8_t* p = data + base;
  uint32_t headerSize = ReadLe32(p);
  if (!IsKnownHeaderSize(headerSize)) return kBmpUnsupported;
  if (size - base < headerSize) return kBmpCannotRead;
  out->size = headerSize;
  DibHeader& h = out->info;
  if (headerSize == kCoreHeaderSize) {
    h.width = ReadLe16(p + 4);
    h.height = ReadLe16(p + 6);
    h.planes = ReadLe16(p + 8);
    h.bitCount = ReadLe16(p + 10);
    return kBmpReadOk;
  }
  h = ParseDibHeader(p);
  if (headerSize > kDibHeaderSize) {
    for (int i = 0; i < 3; ++i) out->masks[i] = ReadLe32(p + 40 + 4 * i);
  }
  return kBmpReadOk;
}

int CountTrailingZeros(uint32_t v) {
  int n = 0;
  while (n < 32 && ((v >> n) & 1) == 0) ++n;
  return n;
}

int TopBit(uint32_t v) {
  int n = 31;
  while (n >= 0 && ((v >> n) & 1) == 0) --n;
  return n;
}

// One colour field of a 16- or 32-bit pixel scaled to 8 bits: the field is moved down to
// bit 0 and then up until its top bit is bit 7, so a 5-bit 31 becomes 248. A field wider
// than 8 bits keeps its top 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;  // trailing zero bits of the mask
  int up = 0;     // left shift after the field is at bit 0
  int down = 0;   // right shift for fields wider than 8 bits

  explicit Channel(uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = CountTrailingZeros(m);
    int width = TopBit(m) - shift + 1;
    if (width <= 8) {
      up = 8 - width;
    } else {
      down = width - 8;
    }
  }
  uint8_t Value(uint32_t pixel) const {
    if (mask == 0) return 0;
    uint32_t v = (pixel & mask) >> shift;
    if (down > 0) return static_cast<uint8_t>(v >> down);
    return static_cast<uint8_t>((v & 255) << up);
  }
};

// 16- and 32-bit rows into the rows of a 24-bit picture, bottom row first.
void ConvertToTrueColor(const uint8_t* pixels, size_t sourceStride, bool topDown, int bits,
                        const uint32_t masks[3], PackedDib& out) {
  DibHeader h = out.Header();
  Channel red(masks[0]), green(masks[1]), blue(masks[2]);
  size_t outStride = out.Stride();
  uint8_t* dst = out.Pixels();
  for (int32_t y = 0; y < h.height; ++y) {
    int32_t sourceRow = topDown ? h.height - 1 - y : y;
    const uint8_t* s = pixels + static_cast<size_t>(sourceRow) * sourceStride;
    uint8_t* d = dst + static_cast<size_t>(y) * outStride;
    for (int32_t x = 0; x < h.width; ++x) {
      uint32_t pixel = bits == 16 ? ReadLe16(s + 2 * static_cast<size_t>(x))
                                  : ReadLe32(s + 4 * static_cast<size_t>(x));
      d[3 * x] = blue.Value(pixel);
      d[3 * x + 1] = green.Value(pixel);
      d[3 * x + 2] = red.Value(pixel);
    }
  }
}

}  // namespace

int ReadBmpData(PackedDib& out, const uint8_t* data, size_t size) {
  out.Reset();
  if (data == nullptr) return kBmpCannotRead;

  // Optional file header; without it the data is a bare bitmap with its pixels right
  // behind the colour table.
  size_t base = 0;
  size_t pixelOffset = 0;
  if (HasFileHeader(data, size)) {
    if (size < kFileHeaderSize) return kBmpCannotRead;
    base = kFileHeaderSize;
    pixelOffset = ReadLe32(data + 10);
  }

  SourceHeader source;
  if (int rc = ParseHeader(data, size, base, &source); rc != kBmpReadOk) return rc;
  DibHeader h = source.info;
  const int bits = h.bitCount;

  bool supported = false;
  switch (bits) {
    case 1:
    case 4:
    case 8:
    case 24:
      supported = h.compression == kRgb;
      break;
    case 16:
    case 32:
      supported = h.compression == kRgb || h.compression == kBitFields;
      break;
    default:
      break;
  }
  if (!supported) return kBmpUnsupported;

  // A negative height marks rows stored top row first.
  bool topDown = h.height < 0;
  if (topDown) {
    if (h.height == std::numeric_limits<int32_t>::min()) return kBmpUnsupported;
    h.height = -h.height;
  }
  if (h.width <= 0 || h.height <= 0) return kBmpUnsupported;

  // Colour table: 3-byte entries behind a core header, 4-byte ones otherwise. Only
  // indexed pictures keep theirs; the optional table of a true-colour file is skipped.
  const bool core = source.size == kCoreHeaderSize;
  uint32_t colors = h.clrUsed;
  if (core || colors == 0) colors = bits <= 8 ? (1u << bits) : 0;
  if (bits <= 8 && colors > 256) return kBmpUnsupported;
  const size_t entryBytes = core ? 3 : 4;
  size_t tableOffset = base + source.size;
  uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (bits == 32) {
    masks[0] = 0xFF0000;
    masks[1] = 0xFF00;
    masks[2] = 0xFF;
  }
  if (h.compression == kBitFields) {
    if (source.size == kDibHeaderSize) {
      // Red, green and blue masks follow a 40-byte header.
      if (size - tableOffset < 12) return kBmpCannotRead;
      for (int i = 0; i < 3; ++i) masks[i] = ReadLe32(data + tableOffset + 4 * i);
      tableOffset += 12;
    } else {
      for (int i = 0; i < 3; ++i) masks[i] = source.masks[i];
    }
  }
  size_t tableBytes = entryBytes * colors;
  if (size - tableOffset < tableBytes) return kBmpCannotRead;
  if (pixelOffset == 0) pixelOffset = tableOffset + tableBytes;
  if (pixelOffset > size) return kBmpCannotRead;

  // The rows the header promises must all be in the data.
  size_t sourceStride = RowStride(bits, h.width);
  size_t rows = static_cast<size_t>(h.height);
  if (sourceStride == 0 || sourceStride > (size - pixelOffset) / rows) return kBmpCannotRead;
  size_t sourceImage = sourceStride * rows;
  const uint8_t* pixels = data + pixelOffset;

  const bool indexed = bits <= 8;
  const int outBits = (bits == 16 || bits == 32) ? 24 : bits;
  size_t outStride = RowStride(outBits, h.width);
  size_t outImage = outStride * rows;
  if (outImage > std::numeric_limits<uint32_t>::max()) return kBmpUnsupported;
  if (outImage > PictureMemoryBudget()) return kBmpTooLarge;
  uint32_t outColors = indexed ? colors : 0;

  PackedDib dib = PackedDib::Allocate(kDibHeaderSize + 4 * static_cast<size_t>(outColors) +
                                      outImage + kBmpSpareBytes);
  if (!dib) return kBmpNoMemory;

  DibHeader outHeader;
  outHeader.width = h.width;
  outHeader.height = h.height;
  outHeader.planes = 1;
  outHeader.bitCount = static_cast<uint16_t>(outBits);
  outHeader.compression = kRgb;
  outHeader.sizeImage = static_cast<uint32_t>(outImage);
  if (!core) {
    outHeader.xPelsPerMeter = h.xPelsPerMeter;
    outHeader.yPelsPerMeter = h.yPelsPerMeter;
  }
  outHeader.clrUsed = outColors;
  outHeader.clrImportant = (core || h.clrImportant > outColors) ? outColors : h.clrImportant;
  dib.SetHeader(outHeader);

  if (indexed) {
    Rgbq* table = dib.ColorTable();
    const uint8_t* entry = data + tableOffset;
    for (uint32_t i = 0; i < colors; ++i, entry += entryBytes) {
      table[i] = Rgbq{entry[0], entry[1], entry[2], core ? uint8_t{0} : entry[3]};
    }
  }

  if (outBits == bits) {
    uint8_t* dst = dib.Pixels();
    if (topDown) {
      for (size_t y = 0; y < rows; ++y) {
        std::memcpy(dst + y * outStride, pixels + (rows - 1 - y) * sourceStride, outStride);
      }
    } else {
      std::memcpy(dst, pixels, sourceImage);
    }
  } else {
    ConvertToTrueColor(pixels, sourceStride, topDown, bits, masks, dib);
  }
  out = std::move(dib);
  return kBmpReadOk;
}

int ReadBmpFile(PackedDib& out, const std::string& path) {
  out.Reset();
  std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(path);
  if (!bytes) return kBmpCannotRead;
  return ReadBmpData(out, bytes->data(), bytes->size());
}

std::optional<PictureSize> ReadBmpFileSize(const std::string& path) {
  std::optional<std::vector<uint8_t>> bytes = ReadFileHead(path, kFileHeaderSize + kDibHeaderSize);
  if (!bytes) return std::nullopt;
  const uint8_t* head = bytes->data();
  const size_t got = bytes->size();
  size_t base = HasFileHeader(head, got) ? kFileHeaderSize : 0;
  if (got < base + 4) return std::nullopt;
  const uint8_t* p = head + base;
  uint32_t headerSize = ReadLe32(p);
  int64_t width = 0;
  int64_t height = 0;
  if (headerSize == kCoreHeaderSize) {
    if (got - base < kCoreHeaderSize) return std::nullopt;
    width = ReadLe16(p + 4);
    height = ReadLe16(p + 6);
  } else if (IsKnownHeaderSize(headerSize)) {
    // Width and height lie in the first 40 bytes of every larger header.
    if (got - base < kDibHeaderSize) return std::nullopt;
    width = static_cast<int32_t>(ReadLe32(p + 4));
    height = static_cast<int32_t>(ReadLe32(p + 8));
  } else {
    return std::nullopt;
  }
  if (height < 0) height = -height;
  if (width <= 0 || height <= 0 || height > INT32_MAX) return std::nullopt;
  return PictureSize{static_cast<int32_t>(width), static_cast<int32_t>(height)};
}

std::vector<uint8_t> BuildBmpFile(const PackedDib& image) {
  if (!image || image.size() < kDibHeaderSize) return {};
  uint32_t headerSize = ReadLe32(image.data());
  size_t tableBytes = 4 * static_cast<size_t>(image.ColorCount());
  size_t fileSize = kFileHeaderSize + image.size();
  if (fileSize > std::numeric_limits<uint32_t>::max() ||
      kFileHeaderSize + headerSize + tableBytes > std::numeric_limits<uint32_t>::max()) {
    return {};
  }
  std::vector<uint8_t> bytes(fileSize);
  uint8_t* p = bytes.data();
  p[0] = 'B';
  p[1] = 'M';
  WriteLe32(p + 2, static_cast<uint32_t>(fileSize));
  WriteLe32(p + 10, static_cast<uint32_t>(kFileHeaderSize + headerSize + tableBytes));
  std::memcpy(p + kFileHeaderSize, image.data(), image.size());
  WriteLe32(p + kFileHeaderSize + 20, 0);  // image size: left to the reader
  return bytes;
}

bool WriteBmpFile(const PackedDib& image, const std::string& path) {
  std::vector<uint8_t> bytes = BuildBmpFile(image);
  if (bytes.empty()) return false;
  return WriteFileAtomically(path, bytes.data(), bytes.size());
}

}  // namespace zel
