// The first picture of a GIF file, without its animation: what the multiple-picture
// generator reads.
#include <memory>
#include <new>

#include "imagefiles/gif_bytes.h"
#include "imagefiles/gif_decoder.h"
#include "imagefiles/gif_lzw_decoder.h"
#include "imagefiles/memory_budget.h"

namespace zel {
namespace {

constexpr size_t kShortestPicture = 10;

bool HasPictureSignature(const GifBytes& gif) {
  return gif.Matches(0, reinterpret_cast<const uint8_t*>("GIF8"), 4) &&
         (gif.At(4) == '7' || gif.At(4) == '9') && gif.At(5) == 'a';
}

}  // namespace

int64_t ReadGifScreenSize(const std::string& path) {
  size_t size = 0;
  std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path, &size);
  if (!bytes || size <= kShortestPicture) return kGifCannotRead;
  GifBytes gif(bytes->data(), size);
  if (!HasPictureSignature(gif)) return kGifBadSignature;
  return static_cast<int64_t>(gif.Le16(8)) * 65536 + gif.Le16(6);
}

int ReadGifPictureData(PackedDib& out, const uint8_t* data, size_t size,
                       const GifPictureProgress& progress) {
  out.Reset();
  if (size <= kShortestPicture) return kGifCannotRead;
  GifBytes gif(data, size);
  if (!HasPictureSignature(gif)) return kGifBadSignature;
  uint32_t width = gif.Le16(6);
  uint32_t height = gif.Le16(8);

  Rgbq palette[256];
  bool hasTable = false;
  int colorBits = 0;
  size_t pos = 13;
  uint8_t screenFlags = gif.At(10);
  if (screenFlags & 0x80) {
    colorBits = (screenFlags & 7) + 1;
    gif.ReadPalette(pos, 1u << colorBits, palette);
    pos += 3 * (size_t{1} << colorBits);
    hasTable = true;
  }

  bool interlaced = false;
  while (pos < gif.size()) {
    uint8_t introducer = gif.At(pos);
    if (introducer == kGifExtensionIntroducer) {
      pos += 2;
      if (!SkipSubBlocks(gif, &pos)) return kGifPictureExtensionRunsOut;
      continue;
    }
    if (introducer == kGifTrailer) return kGifPictureTrailerFirst;
    if (introducer != kGifImageSeparator) return kGifPictureUnknownBlock;
    width = gif.Le16(pos + 5);
    height = gif.Le16(pos + 7);
    uint8_t packed = gif.At(pos + 9);
    interlaced = (packed & 0x40) != 0;
    pos += 10;
    if (packed & 0x80) {
      colorBits = (packed & 7) + 1;
      gif.ReadPalette(pos, 1u << colorBits, palette);
      pos += 3 * (size_t{1} << colorBits);
      hasTable = true;
    }
    break;
  }
  // Data that ends without an image block is checked with the screen's size and then
  // has no valid code size.
  if (!hasTable) return kGifPictureNoPalette;
  if (colorBits < 1 || colorBits > 8) return kGifPictureBadColorBits;
  if (width == 0) return kGifPictureZeroWidth;
  if (height == 0) return kGifPictureZeroHeight;

  // A picture larger than its data can fill keeps only the rows the data reaches.
  const uint64_t mostPixels =
      LzwMostPixels(LzwDataBytes(data, size, pos), pos < size ? data[pos] : 0);
  const uint32_t rows = LzwStoredRows(width, height, interlaced, mostPixels);
  if (RowStride(8, static_cast<int32_t>(width)) * uint64_t{rows} > PictureMemoryBudget()) {
    return kGifTooLarge;
  }
  PackedDib picture = NewPicture(static_cast<int32_t>(width), static_cast<int32_t>(rows), 8,
                                 1u << colorBits, palette);
  if (!picture) return kGifNoMemory;
  std::unique_ptr<LzwDecoder> decoder(new (std::nothrow) LzwDecoder);
  if (!decoder) return kGifNoMemory;

  LzwClearHook onClear;
  bool reported = false;
  uint64_t lastBucket = 0;
  if (progress && height >= 8) {
    const uint32_t step = height / 8;
    onClear = [&, step](uint64_t rowsDone) {
      const uint64_t bucket = rowsDone / step;
      if (reported && bucket == lastBucket) return;
      reported = true;
      lastBucket = bucket;
      const uint64_t left = rowsDone < height ? height - rowsDone : 0;
      progress(0, (height / step) * 65536 + static_cast<uint32_t>(left / step));
    };
  }
  LzwTarget target{picture.Pixels(), picture.Stride(), width, height, interlaced, rows};
  int result = decoder->Decode(data, size, &pos, target, nullptr, onClear);
  if (result != 0) return result;
  out = std::move(picture);
  return kGifReadOk;
}

int ReadGifPicture(PackedDib& out, const std::string& path, const GifPictureProgress& progress) {
  out.Reset();
  size_t size = 0;
  std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path, &size);
  if (!bytes) return kGifCannotRead;
  return ReadGifPictureData(out, bytes->data(), size, progress);
}

}  // namespace zel
