#include "imagefiles/gif_lzw_decoder.h"

#include <algorithm>
#include <cstring>

#include "imagefiles/gif_decoder.h"

namespace zel {
namespace {

constexpr uint32_t kMaxCodes = 4096;
// Room behind the last pixel for one more string and the 16-byte chunks that copy it.
constexpr uint64_t kStringRoom = kMaxCodes + 32;
constexpr uint64_t kScratchSlack = kStringRoom + 64;
constexpr size_t kCodePadding = 8;

static_assert(LzwStringLength(LzwStringEntry(kLzwMostPosition, kMaxCodes + 1)) == kMaxCodes + 1,
              "a string's length fits beside its position");

inline void Copy16(uint8_t* dst, const uint8_t* src) {
  uint8_t chunk[16];
  std::memcpy(chunk, src, 16);
  std::memcpy(dst, chunk, 16);
}

// Picture row of the r-th decoded row.
uint64_t InterlacedRow(uint64_t r, uint64_t h) {
  const uint64_t start2 = (h + 7) / 8;
  const uint64_t start3 = start2 + (h + 3) / 8;
  const uint64_t start4 = start3 + (h + 1) / 4;
  if (r < start2) return r * 8;
  if (r < start3) return (r - start2) * 8 + 4;
  if (r < start4) return (r - start3) * 4 + 2;
  return (r - start4) * 2 + 1;
}

}  // namespace

uint64_t LzwMostPixels(uint64_t dataBytes, int codeSize) {
  if (codeSize < 2 || codeSize > 11) return 0;
  const uint64_t codes = dataBytes * 8 / static_cast<uint64_t>(codeSize + 1);
  if (codes <= kMaxCodes) return codes * (codes + 1) / 2;
  return uint64_t{kMaxCodes} * (kMaxCodes + 1) / 2 + (codes - kMaxCodes) * kMaxCodes;
}

LzwDataExtent FindLzwData(const uint8_t* data, size_t size, size_t pos) {
  uint64_t total = 0;
  size_t p = pos + 1;
  while (p < size) {
    // Each length byte depends on the one before; sub-blocks are nearly always full
    // (255 bytes), so asking for the memory a few blocks ahead keeps the walk from
    // waiting on every block of a large file.
    __builtin_prefetch(data + p + 8 * 256);
    size_t n = data[p++];
    if (n == 0) break;
    total += n;
    p += n;
  }
  return {total, std::min(p, size)};
}

uint32_t LzwStoredRows(uint32_t width, uint32_t height, bool interlaced, uint64_t mostPixels) {
  const uint64_t pixels = uint64_t{width} * height;
  if (width == 0 || pixels <= mostPixels || pixels <= kAlwaysStoredPixels) return height;
  const uint64_t reached = std::max<uint64_t>(1, (mostPixels + width - 1) / width);
  if (reached >= height) return height;
  if (!interlaced) return static_cast<uint32_t>(reached);
  uint64_t last = 0;
  for (uint64_t r = 0; r < reached; ++r) last = std::max(last, InterlacedRow(r, height));
  return static_cast<uint32_t>(last + 1);
}

bool LzwDecoder::GatherSubBlocks(const uint8_t* data, size_t size, size_t* pos) {
  // The buffer is kept from image to image: it only grows, and `length` counts the bytes
  // gathered.
  size_t length = 0;
  size_t p = *pos;
  while (p < size) {
    size_t n = data[p++];
    if (n == 0) break;
    if (codes_.size() < length + 256 + kCodePadding) {
      codes_.resize(std::max(2 * codes_.size(), length + 256 + kCodePadding + 4096));
    }
    // The next blocks' bytes are asked for ahead of the copy, which would otherwise
    // wait on memory at every block.
    for (size_t ahead = 512; ahead < 1024; ahead += 64) __builtin_prefetch(data + p + ahead);
    uint8_t* dst = codes_.data() + length;
    if (n <= size - p && size - p >= 256) {
      // A whole sub-block, copied as 256 bytes in 16-byte chunks (the bytes behind it are
      // overwritten by the next block or the padding).
      for (size_t i = 0; i < 256; i += 16) Copy16(dst + i, data + p + i);
    } else {
      size_t available = std::min(n, size - p);
      std::memcpy(dst, data + p, available);
      // A sub-block cut short by the end of the file reads as zeros.
      std::memset(dst + available, 0, n - available);
    }
    length += n;
    p += n;
  }
  *pos = std::min(p, size);
  if (codes_.size() < length + kCodePadding) codes_.resize(length + kCodePadding);
  std::memset(codes_.data() + length, 0, kCodePadding);
  codeBytes_ = length;
  return true;
}

int LzwDecoder::Decode(const uint8_t* data, size_t size, size_t* pos, const LzwTarget& target,
                       uint8_t* used, const LzwClearHook& onClear) {
  size_t p = *pos;
  codeSize_ = p < size ? data[p] : 0;
  ++p;
  if (codeSize_ < 2 || codeSize_ > 11) {
    *pos = p;
    return kGifBadCodeSize;
  }
  try {
    GatherSubBlocks(data, size, &p);
  } catch (...) {
    return kGifNoMemory;
  }
  *pos = p;

  // Every position in the buffer, roots and slack included, must fit a table entry.
  const uint64_t positions = kLzwMostPosition - kRootArea - kScratchSlack;
  if (target.width != 0 && target.height > positions / target.width) return kGifTooLarge;
  const uint64_t pixelCount = target.width * target.height;
  written_ = 0;
  int result;
  try {
    result = DecodeCodes(pixelCount, onClear, target.width);
  } catch (...) {
    return kGifNoMemory;
  }

  // Move the decoded rows into the picture.
  const uint64_t done = std::min(written_, pixelCount);
  if (target.width == 0) return result;
  const uint64_t fullRows = done / target.width;
  const uint64_t partial = done % target.width;
  const uint8_t* src = scratch_.data() + kRootArea;
  const uint64_t stored = target.storedRows != 0 ? target.storedRows : target.height;
  for (uint64_t r = 0; r <= fullRows && r < target.height; ++r) {
    const uint64_t count = r < fullRows ? target.width : partial;
    if (count == 0) break;
    const uint64_t row = target.interlaced ? InterlacedRow(r, target.height) : r;
    if (row >= stored) continue;
    uint8_t* dst = target.pixels + static_cast<size_t>(stored - 1 - row) * target.stride;
    std::memcpy(dst, src + r * target.width, static_cast<size_t>(count));
  }
  if (used != nullptr) {
    // Every byte of every string was first written as a root code, so the roots written
    // are exactly the colours used.
    const uint32_t clear = 1u << codeSize_;
    for (uint32_t code = 0; code < clear; ++code) {
      if (codeSeen_[code]) used[code & 0xFF] = 1;
    }
  }
  return result;
}

int LzwDecoder::DecodeCodes(uint64_t pixelCount, const LzwClearHook& onClear, uint64_t width) {
  const uint32_t clear = 1u << codeSize_;
  const uint32_t endCode = clear + 1;
  // Every string, roots included, is a copy of bytes already in the buffer: the roots
  // sit in front of the pixels, so the loop copies without telling roots from strings.
  // Codes never defined point at the first pixel with length 0, as they always have.
  for (uint32_t i = 0; i < kMaxCodes; ++i) {
    table_[i] = i < clear ? LzwStringEntry(i, 1) : LzwStringEntry(kRootArea, 0);
  }
  std::fill(std::begin(codeSeen_), std::end(codeSeen_), 0);

  // The buffer grows as pixels arrive, never beyond the picture plus slack, so a huge
  // declared size with little data costs little.
  const uint64_t most = kRootArea + pixelCount + kScratchSlack;
  if (scratch_.size() < kRootArea + kStringRoom) scratch_.resize(kRootArea + kStringRoom);
  for (uint32_t i = 0; i < kRootArea; ++i) scratch_[i] = static_cast<uint8_t>(i);
  uint8_t* out = scratch_.data();
  // The last position at which one more string and the chunks that copy it still fit.
  uint64_t room = scratch_.size() - kStringRoom;
  auto grow = [&](uint64_t need) {
    uint64_t grown = std::max<uint64_t>({need, 2 * scratch_.size(), kRootArea + (1u << 16)});
    grown = std::max(std::min(grown, most), need);
    scratch_.resize(static_cast<size_t>(grown));
    out = scratch_.data();
    room = scratch_.size() - kStringRoom;
  };

  const uint8_t* in = codes_.data();
  const uint64_t totalBits = static_cast<uint64_t>(codeBytes_) * 8;
  const uint64_t endPos = kRootArea + pixelCount;
  uint64_t* const table = table_;
  uint8_t* const seen = codeSeen_;
  uint64_t bitPos = 0;
  uint32_t codeWidth = codeSize_ + 1;
  uint32_t mask = (1u << codeWidth) - 1;
  // 0 until the first code after a clear code has been read, then the next free code.
  uint32_t nextFree = 0;
  uint32_t prev = 0;
  uint64_t prevPos = 0;
  uint64_t cur = kRootArea;

  while (bitPos + codeWidth <= totalBits) {
    uint64_t word;
    std::memcpy(&word, in + (bitPos >> 3), 8);
    const uint32_t code = static_cast<uint32_t>(word >> (bitPos & 7)) & mask;
    bitPos += codeWidth;
    if (cur > room) [[unlikely]] {
      grow(cur + kStringRoom);
    }

    // A root or a string in the table (not the clear or end code): copy it from where it
    // first appeared.
    if (code < nextFree && code - clear > 1) [[likely]] {
      const uint64_t entry = table[code];
      const uint8_t* s = out + LzwStringPosition(entry);
      const uint32_t len = LzwStringLength(entry);
      uint8_t* d = out + cur;
      seen[code] = 1;
      Copy16(d, s);
      if (len > 16) [[unlikely]] {
        for (uint32_t i = 16; i < len; i += 16) Copy16(d + i, s + i);
      }
      const uint64_t at = cur;
      cur += len;
      if (cur >= endPos) break;
      if (nextFree < kMaxCodes) {
        if (prev >= nextFree) return kGifBadPreviousCode;
        // The previous string plus this one's first byte.
        table[nextFree] = LzwStringEntry(prevPos, static_cast<uint32_t>(at - prevPos) + 1);
        if (++nextFree == mask + 1 && codeWidth < 12) {
          ++codeWidth;
          mask = mask * 2 + 1;
        }
      }
      prevPos = at;
      prev = code;
      continue;
    }

    if (code == clear) {
      nextFree = 0;
      codeWidth = codeSize_ + 1;
      mask = (1u << codeWidth) - 1;
      if (onClear && width != 0) {
        onClear(std::min<uint64_t>(cur - kRootArea, pixelCount) / width);
      }
      continue;
    }
    if (code == endCode) break;

    if (nextFree == 0) {
      // The first code after a clear code: a root.
      if (code > clear) return kGifBadFirstCode;
      seen[code] = 1;
      prevPos = cur;
      out[cur++] = static_cast<uint8_t>(code);
      prev = code;
      nextFree = clear + 2;
      if (cur >= endPos) break;
      continue;
    }

    // The code not yet in the table: the previous string and its own first byte.
    const uint64_t entry = table[prev];
    const uint8_t* s = out + LzwStringPosition(entry);
    const uint32_t prevLen = LzwStringLength(entry);
    uint8_t* d = out + cur;
    Copy16(d, s);
    for (uint32_t i = 16; i < prevLen; i += 16) Copy16(d + i, s + i);
    const uint64_t at = cur;
    cur += prevLen;
    out[cur] = out[at];
    ++cur;
    if (cur >= endPos) break;
    if (nextFree < kMaxCodes) {
      if (prev >= nextFree) return kGifBadPreviousCodeNew;
      table[nextFree] = LzwStringEntry(at, prevLen + 1);
      if (++nextFree == mask + 1 && codeWidth < 12) {
        ++codeWidth;
        mask = mask * 2 + 1;
      }
    }
    prevPos = at;
    prev = code;
  }
  written_ = cur - kRootArea;
  return 0;
}

}  // namespace zel
