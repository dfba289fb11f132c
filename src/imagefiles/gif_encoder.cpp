#include "imagefiles/gif_encoder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "imagefiles/gif_lzw_encoder.h"
#include "platform/file_io.h"

namespace zel {
namespace {

constexpr uint8_t kCommentBlock[7] = {0x21, 0xFE, 0x03, 'Z', 'E', 'L', 0x00};
constexpr uint8_t kLoopingBlock[19] = {0x21, 0xFF, 0x0B, 'N', 'E',  'T',  'S',  'C',  'A', 'P',
                                       'E',  '2',  '.',  '0', 0x03, 0x01, 0x00, 0x00, 0x00};

// An image the writer can read: one plane, 1, 4 or 8 bits, rows inside its block.
struct ImageLayout {
  int32_t width = 0;
  int32_t height = 0;
  int bits = 0;
  uint16_t planes = 0;
  uint32_t colors = 0;  // colours used, from the header or the bit depth
  size_t stride = 0;
  const uint8_t* pixels = nullptr;
  const Rgbq* table = nullptr;
  uint32_t tableEntries = 0;  // entries really stored in the block
};

bool ReadLayout(const PackedDib& image, ImageLayout* out) {
  if (!image || image.size() < kDibHeaderSize) return false;
  DibHeader h = image.Header();
  if (h.size != kDibHeaderSize || h.planes != 1) return false;
  if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8) return false;
  if (h.width <= 0 || h.height <= 0) return false;
  uint32_t stored = image.ColorCount();
  size_t offset = kDibHeaderSize + 4 * static_cast<size_t>(stored);
  size_t stride = RowStride(h.bitCount, h.width);
  if (offset > image.size() || stride > (image.size() - offset) / static_cast<size_t>(h.height)) {
    return false;
  }
  out->width = h.width;
  out->height = h.height;
  out->bits = h.bitCount;
  out->planes = h.planes;
  out->colors = h.clrUsed != 0 ? h.clrUsed : (1u << h.bitCount);
  out->stride = stride;
  out->pixels = image.data() + offset;
  out->table = image.ColorTable();
  out->tableEntries = std::min<uint32_t>(stored, 256);
  return true;
}

struct PaletteSizes {
  int codeSize = 0;   // k
  int tableBits = 0;  // t: the colour table holds 2^t entries
};

PaletteSizes ComputePaletteSizes(uint32_t colors, int32_t transparentIndex) {
  uint32_t n = colors;
  if (transparentIndex >= 0 && static_cast<uint32_t>(transparentIndex) >= n) {
    n = static_cast<uint32_t>(transparentIndex) + 1;
  }
  int k = 8;
  for (int bits = 2; bits < 8; ++bits) {
    if (n <= (1u << bits)) {
      k = bits;
      break;
    }
  }
  return {k, (k == 2 && colors == 2) ? 1 : k};
}

void AppendColorTable(std::vector<uint8_t>& out, const ImageLayout& image, int tableBits) {
  uint32_t entries = 1u << tableBits;
  for (uint32_t i = 0; i < entries; ++i) {
    if (i < image.tableEntries) {
      out.push_back(image.table[i].red);
      out.push_back(image.table[i].green);
      out.push_back(image.table[i].blue);
    } else {
      out.insert(out.end(), 3, 0);
    }
  }
}

void AppendLe16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

// Feeds the picture's pixels top row first; values the code size cannot carry become 0.
void EncodeImage(LzwEncoder& encoder, const ImageLayout& image, int codeSize,
                 std::vector<uint8_t>& row) {
  row.resize(static_cast<size_t>(image.width));
  const uint32_t top = 1u << codeSize;
  for (int32_t y = 0; y < image.height; ++y) {
    const uint8_t* src = image.pixels + static_cast<size_t>(image.height - 1 - y) * image.stride;
    const uint8_t* feed = src;
    if (image.bits == 1) {
      for (int32_t x = 0; x < image.width; ++x) row[x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
      feed = row.data();
    } else if (image.bits == 4) {
      for (int32_t x = 0; x < image.width; ++x) {
        row[x] = (x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4);
      }
      feed = row.data();
    }
    if (top < 256) {
      if (feed == src) {
        std::memcpy(row.data(), src, row.size());
        feed = row.data();
      }
      for (int32_t x = 0; x < image.width; ++x) {
        if (row[x] >= top) row[x] = 0;
      }
    }
    encoder.Feed(feed, static_cast<size_t>(image.width));
  }
}

int BuildFile(const FrameSet& frames, bool rawCodes, ProgressSink* progress, bool localPalettes,
              std::vector<uint8_t>& out) {
  out.clear();
  if (frames.count < 1) return kGifWriteBadImage;
  ImageLayout first;
  if (!ReadLayout(frames.frame(0).image, &first)) return kGifWriteBadImage;
  const int32_t transparent = frames.transparentIndex;
  PaletteSizes sizes = ComputePaletteSizes(first.colors, transparent);

  std::unique_ptr<LzwEncoder> encoder(new (std::nothrow) LzwEncoder);
  if (!encoder) return kGifWriteNoMemory;
  std::vector<uint8_t> codes;
  std::vector<uint8_t> row;
  try {
    out.reserve(1024);
    const uint8_t header[6] = {'G', 'I', 'F', '8', '9', 'a'};
    out.insert(out.end(), header, header + 6);
    AppendLe16(out, static_cast<uint32_t>(first.width));
    AppendLe16(out, static_cast<uint32_t>(first.height));
    out.push_back(localPalettes ? 0x00 : static_cast<uint8_t>(0xF0 | (sizes.tableBits - 1)));
    out.push_back(0);
    out.push_back(0);
    if (!localPalettes) AppendColorTable(out, first, sizes.tableBits);
    out.insert(out.end(), kCommentBlock, kCommentBlock + sizeof kCommentBlock);
    if (frames.count >= 2)
      out.insert(out.end(), kLoopingBlock, kLoopingBlock + sizeof kLoopingBlock);

    const uint8_t control = static_cast<uint8_t>(0x08 | (transparent >= 0 ? 1 : 0));
    const uint8_t transparentByte = transparent >= 0 ? static_cast<uint8_t>(transparent) : 0;
    for (int i = 0; i < frames.count; ++i) {
      if (progress != nullptr) {
        progress->ReportProgress(static_cast<int>(static_cast<int64_t>(i) * 100 / frames.count));
        if (progress->TakeCancel()) {
          out.clear();
          return kGifWriteCancelled;
        }
      }
      ImageLayout image;
      if (!ReadLayout(frames.frame(i).image, &image)) {
        out.clear();
        return frames.frame(i).image ? kGifWriteSizeMismatch : kGifWriteBadImage;
      }
      if (image.width != first.width || image.height != first.height ||
          image.planes != first.planes || image.bits != first.bits) {
        out.clear();
        return kGifWriteSizeMismatch;
      }
      PaletteSizes frameSizes =
          localPalettes ? ComputePaletteSizes(image.colors, transparent) : sizes;

      codes.clear();
      codes.reserve(static_cast<size_t>(image.width) * image.height / 2 + 64);
      encoder->Begin(frameSizes.codeSize, rawCodes, &codes, nullptr);
      EncodeImage(*encoder, image, frameSizes.codeSize, row);
      if (!encoder->Finish()) {
        out.clear();
        return kGifWriteBadImage;
      }

      const uint8_t gce[8] = {0x21,
                              0xF9,
                              0x04,
                              control,
                              static_cast<uint8_t>(frames.frame(i).delay),
                              static_cast<uint8_t>(frames.frame(i).delay >> 8),
                              transparentByte,
                              0x00};
      out.insert(out.end(), gce, gce + 8);
      out.push_back(0x2C);
      AppendLe16(out, 0);
      AppendLe16(out, 0);
      AppendLe16(out, static_cast<uint32_t>(image.width));
      AppendLe16(out, static_cast<uint32_t>(image.height));
      out.push_back(localPalettes ? static_cast<uint8_t>(0x80 | (frameSizes.tableBits - 1)) : 0x00);
      if (localPalettes) AppendColorTable(out, image, frameSizes.tableBits);
      out.push_back(static_cast<uint8_t>(frameSizes.codeSize));
      out.reserve(out.size() + codes.size() + codes.size() / 255 + 2);
      for (size_t at = 0; at < codes.size(); at += 255) {
        size_t n = std::min<size_t>(255, codes.size() - at);
        out.push_back(static_cast<uint8_t>(n));
        out.insert(out.end(), codes.begin() + static_cast<ptrdiff_t>(at),
                   codes.begin() + static_cast<ptrdiff_t>(at + n));
      }
      out.push_back(0x00);
    }
    out.push_back(0x3B);
  } catch (const std::bad_alloc&) {
    out.clear();
    return kGifWriteNoMemory;
  }
  return kGifWriteOk;
}

int WriteFile(const FrameSet& frames, const std::string& path, bool rawCodes,
              ProgressSink* progress, bool localPalettes) {
  std::vector<uint8_t> bytes;
  int result = BuildFile(frames, rawCodes, progress, localPalettes, bytes);
  if (result != kGifWriteOk) return result;
  return WriteFileAtomically(path, bytes.data(), bytes.size()) ? kGifWriteOk : kGifWriteFailed;
}

}  // namespace

int BuildGifFile(const FrameSet& frames, bool rawCodes, ProgressSink* progress,
                 std::vector<uint8_t>& out) {
  return BuildFile(frames, rawCodes, progress, frames.paletteCount < 0, out);
}

int BuildGifFileLocalPalettes(const FrameSet& frames, bool rawCodes, ProgressSink* progress,
                              std::vector<uint8_t>& out) {
  return BuildFile(frames, rawCodes, progress, true, out);
}

int WriteGifFile(const FrameSet& frames, const std::string& path, bool rawCodes,
                 ProgressSink* progress) {
  return WriteFile(frames, path, rawCodes, progress, frames.paletteCount < 0);
}

int WriteGifFileLocalPalettes(const FrameSet& frames, const std::string& path, bool rawCodes,
                              ProgressSink* progress) {
  return WriteFile(frames, path, rawCodes, progress, true);
}

}  // namespace zel
