#include "imagefiles/gif_encoder.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <new>

#include "imagefiles/gif_file_parts.h"
#include "imagefiles/gif_lzw_encoder.h"
#include "platform/atomic_file.h"
#include "platform/parallel.h"

namespace zel {
namespace {

// One frame's LZW stream, encoded on whichever thread got to it first.
struct EncodedFrame {
  int result = kGifWriteOk;
  PaletteSizes sizes;
  ImageLayout image;
  std::vector<uint8_t> codes;
};

void EncodeFrame(const FrameSet& frames, int i, const ImageLayout& first, bool rawCodes,
                 bool localPalettes, const PaletteSizes& globalSizes, EncodedFrame& frame) {
  ImageLayout& image = frame.image;
  if (!ReadImageLayout(frames.frame(i).image, &image)) {
    frame.result = frames.frame(i).image ? kGifWriteSizeMismatch : kGifWriteBadImage;
    return;
  }
  if (image.width != first.width || image.height != first.height || image.planes != first.planes ||
      image.bits != first.bits) {
    frame.result = kGifWriteSizeMismatch;
    return;
  }
  frame.sizes =
      localPalettes ? ComputePaletteSizes(image.colors, frames.transparentIndex) : globalSizes;
  try {
    std::unique_ptr<LzwEncoder> encoder = std::make_unique<LzwEncoder>();
    std::vector<uint8_t> row(static_cast<size_t>(image.width));
    frame.codes.reserve(static_cast<size_t>(image.width) * image.height / 2 + 64);
    encoder->Begin(frame.sizes.codeSize, rawCodes, &frame.codes, nullptr);
    for (int32_t y = 0; y < image.height; ++y) {
      UnpackImageRow(image, y, frame.sizes.codeSize, row.data());
      encoder->Feed(row.data(), row.size());
    }
    if (!encoder->Finish()) frame.result = kGifWriteBadImage;
  } catch (const std::bad_alloc&) {
    frame.codes = {};
    frame.result = kGifWriteNoMemory;
  }
}

// Where the built file goes: appended to a buffer, or written as it is built.
using FileSink = std::function<bool(const std::vector<uint8_t>&)>;

// Every frame's LZW stream is independent, so the frames are encoded on all cores into
// their own buffers and joined here in order: the bytes do not depend on the thread count.
// Progress and cancel stay per frame, in order, on the calling thread. With `waitForAll`
// every frame is encoded before anything goes to the sink (and `reserve` learns the
// file's size); without, each frame goes to the sink as soon as it and those before it
// are done, and its codes are freed. False from the sink gives kGifWriteFailed.
int BuildFile(const FrameSet& frames, bool rawCodes, ProgressSink* progress, bool localPalettes,
              bool waitForAll, const std::function<void(size_t)>& reserve, const FileSink& sink) {
  if (frames.count < 1) return kGifWriteBadImage;
  ImageLayout first;
  if (!ReadImageLayout(frames.frame(0).image, &first)) return kGifWriteBadImage;
  const int32_t transparent = frames.transparentIndex;
  const PaletteSizes sizes = ComputePaletteSizes(first.colors, transparent);

  try {
    std::vector<EncodedFrame> encoded(static_cast<size_t>(frames.count));
    ParallelJobs jobs(encoded.size(), [&](size_t i) {
      EncodeFrame(frames, static_cast<int>(i), first, rawCodes, localPalettes, sizes, encoded[i]);
    });
    // Progress and cancel come per frame, before the frame is waited for.
    auto waitFor = [&](int i) {
      if (progress != nullptr) {
        progress->ReportProgress(static_cast<int>(static_cast<int64_t>(i) * 100 / frames.count));
        if (progress->TakeCancel()) return static_cast<int>(kGifWriteCancelled);
      }
      jobs.Wait(static_cast<size_t>(i));
      return encoded[static_cast<size_t>(i)].result;
    };

    if (waitForAll) {
      // The file's exact size is known first, so that its buffer is allocated once:
      // growing it frame by frame would hold up to twice the file, plus the copy, next to
      // the encoded frames.
      size_t total = 1024;
      for (int i = 0; i < frames.count; ++i) {
        if (int result = waitFor(i); result != kGifWriteOk) return result;
        const EncodedFrame& frame = encoded[static_cast<size_t>(i)];
        // Descriptor, colour table and the sub-block lengths and terminator.
        total += 32 + 3u * 256 + frame.codes.size() + frame.codes.size() / 255 + 2;
      }
      reserve(total);
    }

    std::vector<uint8_t> chunk;
    AppendFileStart(chunk, first.width, first.height, localPalettes ? nullptr : first.table,
                    first.tableEntries, sizes.tableBits, frames.count, frames.loopCount);
    if (!sink(chunk)) return kGifWriteFailed;

    const uint8_t control = static_cast<uint8_t>(0x08 | (transparent >= 0 ? 1 : 0));
    const uint8_t transparentByte = transparent >= 0 ? static_cast<uint8_t>(transparent) : 0;
    for (int i = 0; i < frames.count; ++i) {
      if (!waitForAll) {
        if (int result = waitFor(i); result != kGifWriteOk) return result;
      }
      EncodedFrame& frame = encoded[static_cast<size_t>(i)];
      const uint8_t gce[8] = {0x21,
                              0xF9,
                              0x04,
                              control,
                              static_cast<uint8_t>(frames.frame(i).delay),
                              static_cast<uint8_t>(frames.frame(i).delay >> 8),
                              transparentByte,
                              0x00};
      chunk.assign(gce, gce + 8);
      chunk.push_back(0x2C);
      AppendLe16(chunk, 0);
      AppendLe16(chunk, 0);
      AppendLe16(chunk, static_cast<uint32_t>(frame.image.width));
      AppendLe16(chunk, static_cast<uint32_t>(frame.image.height));
      chunk.push_back(localPalettes ? static_cast<uint8_t>(0x80 | (frame.sizes.tableBits - 1))
                                    : 0x00);
      if (localPalettes) {
        AppendColorTable(chunk, frame.image.table, frame.image.tableEntries, frame.sizes.tableBits);
      }
      chunk.push_back(static_cast<uint8_t>(frame.sizes.codeSize));
      AppendSubBlocks(chunk, frame.codes);
      frame.codes = {};
      if (i == frames.count - 1) chunk.push_back(0x3B);
      if (!sink(chunk)) return kGifWriteFailed;
    }
  } catch (const std::bad_alloc&) {
    return kGifWriteNoMemory;
  }
  return kGifWriteOk;
}

int BuildInMemory(const FrameSet& frames, bool rawCodes, ProgressSink* progress, bool localPalettes,
                  std::vector<uint8_t>& out) {
  out.clear();
  const int result = BuildFile(
      frames, rawCodes, progress, localPalettes, true, [&](size_t total) { out.reserve(total); },
      [&](const std::vector<uint8_t>& chunk) {
        out.insert(out.end(), chunk.begin(), chunk.end());
        return true;
      });
  if (result != kGifWriteOk) out.clear();
  return result;
}

// The file is written while the frames are encoded, never held whole in memory; it
// replaces the target only once complete.
int WriteFile(const FrameSet& frames, const std::string& path, bool rawCodes,
              ProgressSink* progress, bool localPalettes) {
  // A file that cannot be built is refused before anything is made on the disk.
  if (frames.count < 1) return kGifWriteBadImage;
  ImageLayout first;
  if (!ReadImageLayout(frames.frame(0).image, &first)) return kGifWriteBadImage;
  AtomicFileWriter file;
  if (!file.Open(path)) return kGifWriteFailed;
  const int result = BuildFile(
      frames, rawCodes, progress, localPalettes, false, [](size_t) {},
      [&](const std::vector<uint8_t>& chunk) { return file.Write(chunk.data(), chunk.size()); });
  if (result != kGifWriteOk) return result;
  return file.Commit() ? kGifWriteOk : kGifWriteFailed;
}

}  // namespace

int BuildGifFile(const FrameSet& frames, bool rawCodes, ProgressSink* progress,
                 std::vector<uint8_t>& out) {
  return BuildInMemory(frames, rawCodes, progress, frames.paletteCount < 0, out);
}

int BuildGifFileLocalPalettes(const FrameSet& frames, bool rawCodes, ProgressSink* progress,
                              std::vector<uint8_t>& out) {
  return BuildInMemory(frames, rawCodes, progress, true, out);
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
