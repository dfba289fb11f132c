#include "imagefiles/gif_decoder.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <new>

#include "imagefiles/gif_bytes.h"
#include "imagefiles/gif_lzw_decoder.h"
#include "imagefiles/memory_budget.h"
#include "platform/file_io.h"
#include "platform/parallel.h"

namespace zel {
namespace {

constexpr uint8_t kLoopingExtension[15] = {0xFF, 0x0B, 'N', 'E', 'T', 'S',  'C', 'A',
                                           'P',  'E',  '2', '.', '0', 0x03, 0x01};
// The older name of the same extension, which browsers honour as well.
constexpr uint8_t kOldLoopingExtension[15] = {0xFF, 0x0B, 'A', 'N', 'I', 'M',  'E', 'X',
                                              'T',  'S',  '1', '.', '0', 0x03, 0x01};

// The graphic control extension waiting for the next image block. Without one, an image
// has no transparent colour.
struct PendingControl {
  int32_t delay = 0;
  int32_t delayOffset = 0;
  int32_t transparentIndex = -1;
  int32_t disposal = 0;
  int32_t disposalMethod = 0;
};

enum class BlockOutcome { kFrame, kEndOfData };

// An image whose LZW data has been found but whose picture is not yet made nor decoded.
struct PendingImage {
  int frame = 0;
  size_t dataPos = 0;  // the minimum code size byte
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t rows = 0;  // the picture rows stored
  bool interlaced = false;
  int32_t colors = 0;
  size_t localPalettePos = 0;  // 0: the global palette
};

// Called with each image whose block has been found, in the order of the file.
using ImageFound = std::function<void(const PendingImage&)>;

int ReadImageBlock(const GifBytes& gif, size_t* pos, FrameSet& frames,
                   const PendingControl& control, const ImageFound& found, uint64_t* bytesUsed,
                   BlockOutcome* outcome) {
  size_t p = *pos;
  Frame& frame = frames.frame(frames.count);
  frame.image.Reset();
  frame.left = gif.Le16(p + 1);
  frame.top = gif.Le16(p + 3);
  uint32_t width = gif.Le16(p + 5);
  uint32_t height = gif.Le16(p + 7);
  frame.blockWidth = static_cast<int32_t>(width);
  frame.blockHeight = static_cast<int32_t>(height);
  uint8_t packed = gif.At(p + 9);
  p += 10;

  int32_t colors = frames.paletteCount;
  size_t localPalettePos = 0;
  frame.hasLocalPalette = 0;
  if (packed & 0x80) {
    colors = 1 << ((packed & 7) + 1);
    localPalettePos = p;
    p += 3 * static_cast<size_t>(colors);
    frame.hasLocalPalette = 1;
  }
  // A file cut off before the image's data begins ends like any other end of data.
  if (p >= gif.size()) {
    *outcome = BlockOutcome::kEndOfData;
    return kGifReadOk;
  }
  if (colors <= 0 || width == 0 || height == 0) return kGifBadBlock;

  // An image declared far larger than its data can fill keeps only the rows the data
  // reaches; all frames together stay within the memory budget.
  const bool interlaced = (packed & 0x40) != 0;
  const LzwDataExtent extent = FindLzwData(gif.data(), gif.size(), p);
  const uint64_t mostPixels = LzwMostPixels(extent.bytes, gif.At(p));
  const uint32_t rows = LzwStoredRows(width, height, interlaced, mostPixels);
  *bytesUsed += RowStride(8, static_cast<int32_t>(width)) * uint64_t{rows};
  if (*bytesUsed > PictureMemoryBudget()) return kGifTooLarge;
  frame.colorMap.fill(0);
  const int codeSize = gif.At(p);
  if (codeSize < 2 || codeSize > 11) return kGifBadCodeSize;
  // The picture is made where the image is decoded, on any core.
  frame.delay = control.delay;
  frame.delayOffset = control.delayOffset;
  frame.transparentIndex = control.transparentIndex;
  frame.disposal = control.disposal;
  frame.disposalMethod = control.disposalMethod;
  found({frames.count, p, width, height, rows, interlaced, colors, localPalettePos});
  p = extent.end;
  ++frames.count;
  *pos = p;
  *outcome = BlockOutcome::kFrame;
  return kGifReadOk;
}

// Makes the picture of one found image and decodes its data into it.
int DecodeImage(const GifBytes& gif, const FrameSet& frames, const PendingImage& image,
                LzwDecoder& decoder, Frame& frame) {
  Rgbq local[256];
  const Rgbq* palette = frames.palette.data();
  if (image.localPalettePos != 0) {
    gif.ReadPalette(image.localPalettePos, static_cast<uint32_t>(image.colors), local);
    palette = local;
  }
  PackedDib picture =
      NewPicture(static_cast<int32_t>(image.width), static_cast<int32_t>(image.rows), 8,
                 static_cast<uint32_t>(image.colors), palette);
  if (!picture) return kGifNoMemory;
  LzwTarget target{picture.Pixels(), picture.Stride(), image.width,
                   image.height,     image.interlaced, image.rows};
  size_t p = image.dataPos;
  int result = decoder.Decode(gif.data(), gif.size(), &p, target, frame.colorMap.data());
  frame.image = std::move(picture);
  return result;
}

// Counts the image blocks from `pos` on without decoding them (the frames beyond the
// frame maximum), the way ReadBlocks would meet them.
int CountRemainingImages(const GifBytes& gif, size_t pos) {
  int count = 0;
  while (pos < gif.size()) {
    uint8_t introducer = gif.At(pos);
    if (introducer == kGifExtensionIntroducer) {
      pos += 2;
      if (!SkipSubBlocks(gif, &pos)) break;
      continue;
    }
    if (introducer != kGifImageSeparator) break;
    uint8_t packed = gif.At(pos + 9);
    pos += 10;
    if (packed & 0x80) pos += 3 * (size_t{1} << ((packed & 7) + 1));
    if (pos >= gif.size()) break;
    ++count;
    ++pos;  // the minimum code size
    if (!SkipSubBlocks(gif, &pos)) break;
  }
  return count;
}

int FindImages(const GifBytes& gif, size_t pos, FrameSet& frames, int maxFrames, int* framesInFile,
               const ImageFound& found);

int ReadBlocks(const GifBytes& gif, FrameSet& frames, int maxFrames, int* framesInFile) {
  if (!gif.Matches(0, reinterpret_cast<const uint8_t*>("GIF8"), 4) ||
      !(gif.At(4) == '7' || gif.At(4) == '9') || gif.At(5) != 'a') {
    return kGifBadSignature;
  }
  frames.screenWidth = gif.Le16(6);
  frames.screenHeight = gif.Le16(8);
  frames.transparentIndex = gif.At(11);
  frames.loopCount = kPlayOnce;  // until a looping extension says otherwise
  size_t pos = 13;
  uint8_t screenFlags = gif.At(10);
  if (screenFlags & 0x80) {
    uint32_t colors = 1u << ((screenFlags & 7) + 1);
    gif.ReadPalette(pos, colors, frames.palette.data());
    frames.paletteCount = static_cast<int32_t>(colors);
    pos += 3 * colors;
  } else {
    frames.paletteCount = -1;
    frames.transparentIndex = -1;
  }

  // Each image's LZW data is independent of the others': as soon as its block is found it
  // is decoded on another core while the blocks after it are being found. An image whose
  // data is bad fails the read as it would when met in order: before any later block's
  // fault.
  std::vector<int> decoded;
  try {
    decoded.assign(static_cast<size_t>(std::max(maxFrames, 0)), kGifReadOk);
  } catch (const std::bad_alloc&) {
    return kGifNoMemory;
  }
  // Decoders are reused from image to image (their buffers grow once), one per thread at
  // a time.
  std::mutex poolMutex;
  std::vector<std::unique_ptr<LzwDecoder>> pool;
  auto decode = [&](const PendingImage& image) {
    std::unique_ptr<LzwDecoder> decoder;
    {
      std::lock_guard<std::mutex> lock(poolMutex);
      if (!pool.empty()) {
        decoder = std::move(pool.back());
        pool.pop_back();
      }
    }
    if (!decoder) decoder.reset(new (std::nothrow) LzwDecoder);
    if (!decoder) {
      decoded[static_cast<size_t>(image.frame)] = kGifNoMemory;
      return;
    }
    decoded[static_cast<size_t>(image.frame)] =
        DecodeImage(gif, frames, image, *decoder, frames.frame(image.frame));
    std::lock_guard<std::mutex> lock(poolMutex);
    try {
      pool.push_back(std::move(decoder));
    } catch (const std::bad_alloc&) {
      // The decoder goes; the next image makes its own.
    }
  };
  int parsed;
  {
    ParallelStream stream;
    try {
      parsed = FindImages(
          gif, pos, frames, maxFrames, framesInFile,
          [&](const PendingImage& image) { stream.Add([&decode, image] { decode(image); }); });
    } catch (const std::bad_alloc&) {
      parsed = kGifNoMemory;
    }
    stream.Finish();
  }
  for (int k = 0; k < frames.count; ++k) {
    if (decoded[static_cast<size_t>(k)] != kGifReadOk) return decoded[static_cast<size_t>(k)];
  }
  return parsed;
}

int FindImages(const GifBytes& gif, size_t pos, FrameSet& frames, int maxFrames, int* framesInFile,
               const ImageFound& found) {
  PendingControl control;
  uint64_t bytesUsed = 0;
  if (framesInFile) *framesInFile = 0;
  while (pos < gif.size()) {
    if (frames.count >= maxFrames) {
      if (framesInFile) *framesInFile = frames.count + CountRemainingImages(gif, pos);
      return kGifReadOk;
    }
    uint8_t introducer = gif.At(pos);
    if (introducer == kGifTrailer) break;
    if (introducer == kGifExtensionIntroducer) {
      const bool looping = gif.Matches(pos + 1, kLoopingExtension, sizeof kLoopingExtension);
      if (looping) frames.loop = 1;
      // Sub-block 1 of either name carries the count; the last one in the file holds, as
      // browsers read it.
      if (looping || gif.Matches(pos + 1, kOldLoopingExtension, sizeof kOldLoopingExtension)) {
        frames.loopCount = static_cast<int32_t>(gif.Le16(pos + 16));
      }
      if (gif.At(pos + 1) == kGifGraphicControlLabel && gif.At(pos + 2) == 4) {
        uint8_t packed = gif.At(pos + 3);
        control.disposal = (packed >> 3) & 3;
        control.disposalMethod = (packed >> 2) & 7;
        control.delay = gif.Le16(pos + 4);
        control.delayOffset = static_cast<int32_t>(pos + 4);
        control.transparentIndex = (packed & 1) ? gif.At(pos + 6) : -1;
      }
      pos += 2;
      if (!SkipSubBlocks(gif, &pos)) return kGifBadBlock;
      continue;
    }
    if (introducer != kGifImageSeparator) break;
    BlockOutcome outcome;
    int result = ReadImageBlock(gif, &pos, frames, control, found, &bytesUsed, &outcome);
    if (result != kGifReadOk) return result;
    if (outcome == BlockOutcome::kEndOfData) break;
    control = PendingControl{};
  }
  if (framesInFile) *framesInFile = frames.count;
  return kGifReadOk;
}

}  // namespace

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, size_t* size) {
  // The data goes straight into a buffer that already holds the slack: growing it
  // afterwards would copy the whole file once more.
  std::FILE* file = OpenFileForReading(path);
  if (file == nullptr) return std::nullopt;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(file, &std::fclose);
  struct stat st;
  if (::fstat(::fileno(file), &st) != 0 || st.st_size < 0) return std::nullopt;
  const size_t length = static_cast<size_t>(st.st_size);
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(length + kWholeFileSlack);
  } catch (...) {
    return std::nullopt;
  }
  if (std::fread(bytes.data(), 1, length, file) != length) return std::nullopt;
  *size = length;
  return bytes;
}

int ReadGifData(const uint8_t* data, size_t size, FrameSet& frames, int maxFrames,
                int* framesInFile) {
  frames.count = 0;
  if (maxFrames > frames.capacity()) maxFrames = frames.capacity();
  int result = ReadBlocks(GifBytes(data, size), frames, maxFrames, framesInFile);
  if (result != kGifReadOk) frames.FreeFrames();
  return result;
}

int ReadGifFile(const std::string& path, FrameSet& frames, int maxFrames) {
  frames.count = 0;
  size_t size = 0;
  std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path, &size);
  if (!bytes) return kGifCannotRead;
  return ReadGifData(bytes->data(), size, frames, maxFrames);
}

}  // namespace zel
