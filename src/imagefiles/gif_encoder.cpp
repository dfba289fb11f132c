#include "imagefiles/gif_encoder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "imagefiles/gif_file_parts.h"
#include "imagefiles/gif_lzw_encoder.h"
#include "platform/file_io.h"
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

// Every frame's LZW stream is independent, so the frames are encoded on all cores into
// their own buffers and joined here in order: the bytes do not depend on the thread count.
// Progress and cancel stay per frame, in order, on the calling thread.
int BuildFile(const FrameSet& frames, bool rawCodes, ProgressSink* progress, bool localPalettes,
              std::vector<uint8_t>& out) {
  out.clear();
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

    // Every frame is waited for in order first (progress and cancel per frame), so that the
    // file's exact size is known and its buffer is allocated once: growing it frame by frame
    // would hold up to twice the file, plus the copy, next to the encoded frames.
    size_t total = 1024;
    for (int i = 0; i < frames.count; ++i) {
      if (progress != nullptr) {
        progress->ReportProgress(static_cast<int>(static_cast<int64_t>(i) * 100 / frames.count));
        if (progress->TakeCancel()) return kGifWriteCancelled;
      }
      jobs.Wait(static_cast<size_t>(i));
      const EncodedFrame& frame = encoded[static_cast<size_t>(i)];
      if (frame.result != kGifWriteOk) return frame.result;
      // Descriptor, colour table and the sub-block lengths and terminator.
      total += 32 + 3u * 256 + frame.codes.size() + frame.codes.size() / 255 + 2;
    }
    out.reserve(total);
    AppendFileStart(out, first.width, first.height, localPalettes ? nullptr : first.table,
                    first.tableEntries, sizes.tableBits, frames.count, frames.loopCount);

    const uint8_t control = static_cast<uint8_t>(0x08 | (transparent >= 0 ? 1 : 0));
    const uint8_t transparentByte = transparent >= 0 ? static_cast<uint8_t>(transparent) : 0;
    for (int i = 0; i < frames.count; ++i) {
      EncodedFrame& frame = encoded[static_cast<size_t>(i)];
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
      AppendLe16(out, static_cast<uint32_t>(frame.image.width));
      AppendLe16(out, static_cast<uint32_t>(frame.image.height));
      out.push_back(localPalettes ? static_cast<uint8_t>(0x80 | (frame.sizes.tableBits - 1))
                                  : 0x00);
      if (localPalettes) {
        AppendColorTable(out, frame.image.table, frame.image.tableEntries, frame.sizes.tableBits);
      }
      out.push_back(static_cast<uint8_t>(frame.sizes.codeSize));
      AppendSubBlocks(out, frame.codes);
      frame.codes = {};
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
