// One picture in the packed device-independent bitmap layout: a 40-byte information
// header, a colour table of (blue, green, red, 0) entries, bottom-up rows padded to
// 4 bytes, then any spare bytes. The block is owned by exactly one PackedDib at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zel {

constexpr uint32_t kDibHeaderSize = 40;
// Spare bytes behind the rows of every picture the program allocates: room for the
// "TIDX" transparency trailer.
constexpr size_t kDibSpareBytes = 16;

struct Rgbq {
  uint8_t blue = 0;
  uint8_t green = 0;
  uint8_t red = 0;
  uint8_t reserved = 0;
  friend bool operator==(const Rgbq&, const Rgbq&) = default;
};

struct DibHeader {
  uint32_t size = kDibHeaderSize;
  int32_t width = 0;
  int32_t height = 0;
  uint16_t planes = 1;
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t sizeImage = 0;
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;
  uint32_t clrUsed = 0;
  uint32_t clrImportant = 0;
};

// The 40-byte information header stored at `p`.
DibHeader ParseDibHeader(const uint8_t* p);

uint16_t ReadLe16(const uint8_t* p);
uint32_t ReadLe32(const uint8_t* p);
void WriteLe16(uint8_t* p, uint16_t v);
void WriteLe32(uint8_t* p, uint32_t v);

class PackedDib {
 public:
  PackedDib() = default;
  PackedDib(PackedDib&& other) noexcept : bytes_(std::move(other.bytes_)), size_(other.size_) {
    other.size_ = 0;
  }
  PackedDib& operator=(PackedDib&& other) noexcept {
    bytes_ = std::move(other.bytes_);
    size_ = other.size_;
    other.size_ = 0;
    return *this;
  }
  PackedDib(const PackedDib&) = delete;
  PackedDib& operator=(const PackedDib&) = delete;

  // A zero-filled block of `size` bytes; a null PackedDib when size is 0 or memory is short.
  static PackedDib Allocate(size_t size);

  explicit operator bool() const { return bytes_ != nullptr; }
  uint8_t* data() { return bytes_.get(); }
  const uint8_t* data() const { return bytes_.get(); }
  size_t size() const { return size_; }
  void Reset() {
    bytes_.reset();
    size_ = 0;
  }

  // The information header. The block must hold at least 40 bytes.
  DibHeader Header() const;
  void SetHeader(const DibHeader& header);
  // Entry count of the colour table (see ColorTableSize).
  uint32_t ColorCount() const;
  Rgbq* ColorTable() { return reinterpret_cast<Rgbq*>(bytes_.get() + kDibHeaderSize); }
  const Rgbq* ColorTable() const {
    return reinterpret_cast<const Rgbq*>(bytes_.get() + kDibHeaderSize);
  }
  // Offset of the first stored (bottom) row.
  size_t PixelOffset() const;
  uint8_t* Pixels() { return bytes_.get() + PixelOffset(); }
  const uint8_t* Pixels() const { return bytes_.get() + PixelOffset(); }
  // Bytes per stored row, padding included.
  size_t Stride() const;
  // Start of picture row y, counted from the top.
  uint8_t* Row(int y);
  const uint8_t* Row(int y) const;

 private:
  struct FreeBlock {
    void operator()(uint8_t* p) const;
  };
  std::unique_ptr<uint8_t[], FreeBlock> bytes_;
  size_t size_ = 0;
};

static_assert(sizeof(Rgbq) == 4);

// Fault injection for tests of the out-of-memory paths: while `bytes` is above 0,
// PackedDib::Allocate refuses every block of at least that many bytes, as an exhausted heap
// would. 0, the default, turns it off.
void SetAllocationCeilingForTests(size_t bytes);

// Padding bytes (0..3) after a row of `width` pixels; 0 for unknown bit counts.
uint32_t RowPadding(int bitCount, int32_t width);
// Bytes per row, padding included.
size_t RowStride(int bitCount, int32_t width);
// Colour-table entries of a header: clrUsed when set, else 2, 16, 256 for 1, 4, 8 bits,
// else 0. A 12-byte core header counts from its bit count alone.
uint32_t ColorTableSize(const uint8_t* header);

// True when the block holds a whole uncompressed bottom-up picture of 1, 4, 8 or 24 bits
// with a 40-byte header, a colour table of at most 256 entries (none above 8 bits) and all
// its rows: what a picture from outside (clipboard, another program) must be before the
// program draws or edits it.
bool IsWholePicture(const PackedDib& picture);

// A copy of the whole block, spare bytes included; null when `source` is null.
PackedDib DuplicateBlock(const PackedDib& source);

// A new zero-filled picture: header, `colors` table entries (copied from `palette` when
// given), rows and the 16 spare bytes. Null when memory is short or a size is invalid.
PackedDib NewPicture(int32_t width, int32_t height, int bitCount, uint32_t colors,
                     const Rgbq* palette = nullptr);

// Turns a 1-, 4- or 8-bit picture into an 8-bit one whose table holds only the entries
// its pixels use (in their stored order). Succeeds with the new picture and frees the
// source; fails (null, source untouched) for other depths, for more than `limit` used
// entries or for a pixel beyond the table.
PackedDib NormalizeIndexedImage(PackedDib& source, uint32_t limit);

// The transparency trailer behind the rows of an 8-bit picture: "TIDX" and a 32-bit index.
bool ReadTransparencyTrailer(const PackedDib& picture, int32_t* index);
bool WriteTransparencyTrailer(PackedDib& picture, int32_t index);

}  // namespace zel
