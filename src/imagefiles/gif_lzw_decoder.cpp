#include "imagefiles/gif_lzw_decoder.h"

#include <algorithm>
#include <cstring>

#include "imagefiles/gif_decoder.h"

namespace zel {
namespace {

constexpr uint32_t kMaxCodes = 4096;
// Room behind the decoded pixels: a whole string plus the 16-byte chunks that copy it.
constexpr size_t kScratchSlack = kMaxCodes + 64;
constexpr size_t kCodePadding = 8;

inline void Copy16(uint8_t* dst, const uint8_t* src) {
  uint8_t chunk[16];
  std::memcpy(chunk, src, 16);
  std::memcpy(dst, chunk, 16);
}

// Picture row of the r-th decoded row.
uint32_t InterlacedRow(uint32_t r, uint32_t h) {
  uint32_t start2 = (h + 7) / 8;
  uint32_t start3 = start2 + (h + 3) / 8;
  uint32_t start4 = start3 + (h + 1) / 4;
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

uint64_t LzwDataBytes(const uint8_t* data, size_t size, size_t pos) {
  uint64_t total = 0;
  size_t p = pos + 1;
  while (p < size) {
    size_t n = data[p++];
    if (n == 0) break;
    total += n;
    p += n;
  }
  return total;
}

uint32_t LzwStoredRows(uint32_t width, uint32_t height, bool interlaced, uint64_t mostPixels) {
  const uint64_t pixels = uint64_t{width} * height;
  if (width == 0 || pixels <= mostPixels || pixels <= kAlwaysStoredPixels) return height;
  const uint64_t reached = std::max<uint64_t>(1, (mostPixels + width - 1) / width);
  if (reached >= height) return height;
  if (!interlaced) return static_cast<uint32_t>(reached);
  uint32_t last = 0;
  for (uint32_t r = 0; r < reached; ++r) last = std::max(last, InterlacedRow(r, height));
  return last + 1;
}

bool LzwDecoder::GatherSubBlocks(const uint8_t* data, size_t size, size_t* pos) {
  codes_.clear();
  size_t p = *pos;
  while (p < size) {
    size_t n = data[p++];
    if (n == 0) break;
    size_t available = std::min(n, size - p);
    codes_.insert(codes_.end(), data + p, data + p + available);
    // A sub-block cut short by the end of the file reads as zeros.
    codes_.resize(codes_.size() + (n - available), 0);
    p += n;
  }
  *pos = std::min(p, size);
  codes_.resize(codes_.size() + kCodePadding, 0);
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

  uint64_t pixelCount = static_cast<uint64_t>(target.width) * target.height;
  written_ = 0;
  int result;
  try {
    result = DecodeCodes(pixelCount, onClear, target.width);
  } catch (...) {
    return kGifNoMemory;
  }

  // Move the decoded rows into the picture.
  uint64_t done = std::min(written_, pixelCount);
  if (target.width == 0) return result;
  uint64_t fullRows = done / target.width;
  uint32_t partial = static_cast<uint32_t>(done % target.width);
  const uint8_t* src = scratch_.data();
  const uint32_t stored = target.storedRows != 0 ? target.storedRows : target.height;
  for (uint64_t r = 0; r <= fullRows && r < target.height; ++r) {
    uint32_t count = r < fullRows ? target.width : partial;
    if (count == 0) break;
    uint32_t row = target.interlaced ? InterlacedRow(static_cast<uint32_t>(r), target.height)
                                     : static_cast<uint32_t>(r);
    if (row >= stored) continue;
    uint8_t* dst = target.pixels + static_cast<size_t>(stored - 1 - row) * target.stride;
    std::memcpy(dst, src + r * target.width, count);
  }
  if (used != nullptr) {
    // Every byte of every string was first written as a root code, so the roots written
    // are exactly the colours used.
    for (uint32_t v = 0; v < 256; ++v) {
      if (rootWritten_[v]) used[v] = 1;
    }
  }
  return result;
}

int LzwDecoder::DecodeCodes(uint64_t pixelCount, const LzwClearHook& onClear, uint32_t width) {
  const uint32_t clear = 1u << codeSize_;
  const uint32_t end = clear + 1;
  uint32_t nextFree = clear + 2;
  uint32_t codeWidth = codeSize_ + 1;
  uint32_t limit = 1u << codeWidth;
  std::fill(std::begin(length_), std::end(length_), 0);
  std::fill(std::begin(rootWritten_), std::end(rootWritten_), 0);
  std::fill(std::begin(offset_), std::end(offset_), 0);
  for (uint32_t i = 0; i < clear; ++i) length_[i] = 1;

  // The scratch buffer grows as pixels arrive, never beyond the picture plus slack, so a
  // huge declared size with little data costs little.
  size_t capacity = 0;
  auto ensure = [&](uint64_t need) {
    if (need <= capacity) return;
    uint64_t grown = std::max<uint64_t>({need, 2 * static_cast<uint64_t>(capacity), 1u << 16});
    grown = std::min<uint64_t>(grown, pixelCount + kScratchSlack);
    if (grown < need) grown = need;
    if (scratch_.size() < grown) scratch_.resize(static_cast<size_t>(grown));
    capacity = scratch_.size();
  };
  ensure(std::min<uint64_t>(pixelCount + kScratchSlack, 1u << 16));

  const uint8_t* in = codes_.data();
  const uint64_t totalBits = static_cast<uint64_t>(codes_.size() - kCodePadding) * 8;
  uint64_t bitPos = 0;
  bool firstAfterClear = true;
  uint32_t prev = 0;
  uint64_t prevPos = 0;
  uint64_t cur = 0;

  // Writes the string of `code` at `cur`; the caller has ensured room for it.
  auto put = [&](uint32_t code) {
    uint8_t* out = scratch_.data();
    if (code < clear) {
      out[cur++] = static_cast<uint8_t>(code);
      rootWritten_[code & 0xFF] = 1;
      return;
    }
    uint32_t len = length_[code];
    uint8_t* d = out + cur;
    const uint8_t* s = out + offset_[code];
    if (len <= 16) {
      Copy16(d, s);
    } else {
      for (uint32_t i = 0; i < len; i += 16) Copy16(d + i, s + i);
    }
    cur += len;
  };

  while (bitPos + codeWidth <= totalBits) {
    uint64_t word;
    std::memcpy(&word, in + (bitPos >> 3), 8);
    uint32_t code = static_cast<uint32_t>(word >> (bitPos & 7)) & (limit - 1);
    bitPos += codeWidth;

    if (code == clear) {
      nextFree = clear + 2;
      codeWidth = codeSize_ + 1;
      limit = 1u << codeWidth;
      firstAfterClear = true;
      if (onClear && width != 0) {
        onClear(static_cast<uint32_t>(std::min<uint64_t>(cur, pixelCount) / width));
      }
      continue;
    }
    if (code == end) break;

    if (firstAfterClear) {
      if (code > clear) return kGifBadFirstCode;
      ensure(cur + 1 + 16);
      prevPos = cur;
      put(code);
      prev = code;
      firstAfterClear = false;
      if (cur >= pixelCount) break;
      continue;
    }

    uint32_t prevLen = length_[prev];
    if (code < nextFree) {
      ensure(cur + length_[code] + 16);
      uint64_t at = cur;
      put(code);
      if (cur >= pixelCount) break;
      if (nextFree < kMaxCodes) {
        if (prev >= nextFree) return kGifBadPreviousCode;
        offset_[nextFree] = static_cast<uint32_t>(prevPos);
        length_[nextFree] = static_cast<uint16_t>(prevLen + 1);
        if (++nextFree == limit && codeWidth < 12) {
          ++codeWidth;
          limit <<= 1;
        }
      }
      prevPos = at;
    } else {
      // The code not yet in the table: the previous string and its own first byte.
      ensure(cur + prevLen + 1 + 16);
      uint64_t at = cur;
      put(prev);
      scratch_[cur] = scratch_[at];
      ++cur;
      if (cur >= pixelCount) break;
      if (nextFree < kMaxCodes) {
        if (prev >= nextFree) return kGifBadPreviousCodeNew;
        offset_[nextFree] = static_cast<uint32_t>(at);
        length_[nextFree] = static_cast<uint16_t>(prevLen + 1);
        if (++nextFree == limit && codeWidth < 12) {
          ++codeWidth;
          limit <<= 1;
        }
      }
      prevPos = at;
    }
    prev = code;
  }
  written_ = cur;
  return 0;
}

}  // namespace zel
