// Bringing the frames of a GIF animation into one palette and onto the logical screen.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imagefiles/gif_decoder.h"
#include "imagefiles/memory_budget.h"
#include "platform/parallel.h"

namespace zel {
namespace {

// The pixel rows of all composed frames together.
uint64_t ComposedBytes(const FrameSet& frames) {
  return static_cast<uint64_t>(RowStride(8, frames.screenWidth)) *
         static_cast<uint64_t>(frames.screenHeight) * static_cast<uint64_t>(frames.count);
}

bool SameColor(const Rgbq& a, const Rgbq& b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

}  // namespace

void MergeFramePalettes(FrameSet& frames) {
  int32_t background = frames.transparentIndex;
  if (background < 0 || background > 255) background = 0;
  frames.transparentIndex = background;
  std::array<Rgbq, 256> shared = frames.palette;
  int32_t size = frames.paletteCount < 0 ? 0 : std::min(frames.paletteCount, 256);
  bool taken[256] = {};
  taken[background] = true;

  for (int f = 0; f < frames.count; ++f) {
    Frame& frame = frames.frame(f);
    if (!frame.image) continue;
    const Rgbq* table = frame.image.ColorTable();
    int32_t colors = static_cast<int32_t>(std::min<uint32_t>(frame.image.ColorCount(), 256));
    int32_t transparent = frame.transparentIndex;
    if (transparent >= 0 && transparent < colors) shared[background] = table[transparent];

    for (int32_t i = 0; i < colors; ++i) {
      if (frame.colorMap[i] == 0) continue;
      int32_t target = -1;
      if (i == transparent) {
        target = background;
      } else {
        for (int32_t j = 0; j < size; ++j) {
          if (j != background && SameColor(shared[j], table[i])) {
            target = j;
            break;
          }
        }
      }
      if (target < 0) {
        for (int32_t j = 0; j < size; ++j) {
          if (!taken[j]) {
            target = j;
            break;
          }
        }
        if (target >= 0) {
          shared[target] = table[i];
        } else if (size < 256) {
          int32_t at = size == background ? size + 1 : size;
          if (at < 256) {
            shared[at] = table[i];
            target = at;
            size = at + 1;
          }
        }
        if (target < 0) {
          // All 256 entries in use: the nearest colour by summed channel differences.
          // The background entry is the transparent one: an opaque colour never maps there.
          int best = 768;
          target = background == 0 ? 1 : 0;
          for (int32_t j = 0; j < 256; ++j) {
            if (j == background) continue;
            int d = std::abs(shared[j].blue - table[i].blue) +
                    std::abs(shared[j].green - table[i].green) +
                    std::abs(shared[j].red - table[i].red);
            if (d < best) {
              best = d;
              target = j;
            }
          }
          size = 256;
        }
      }
      frame.colorMap[i] = static_cast<uint8_t>(target);
      taken[target] = true;
    }
  }
  for (auto& entry : shared) entry.reserved = 0;
  frames.palette = shared;
  frames.paletteCount = size;
}

bool ComposeFrames(FrameSet& frames) {
  const int32_t sw = frames.screenWidth;
  const int32_t sh = frames.screenHeight;
  if (sw <= 0 || sh <= 0) return false;
  if (ComposedBytes(frames) > PictureMemoryBudget()) return false;
  const uint8_t background = static_cast<uint8_t>(frames.transparentIndex & 0xFF);
  const uint32_t colors = static_cast<uint32_t>(std::clamp(frames.paletteCount, 1, 256));
  const size_t count = static_cast<size_t>(frames.count);

  // The part of the screen each frame covers.
  struct Area {
    int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool visible = false;
  };
  std::vector<Area> areas;
  std::vector<PackedDib> composed;
  try {
    areas.resize(count);
    composed.resize(count);
  } catch (...) {
    return false;
  }
  for (size_t f = 0; f < count; ++f) {
    const Frame& frame = frames.frame(static_cast<int>(f));
    Area& a = areas[f];
    if (frame.image) {
      DibHeader h = frame.image.Header();
      a.x0 = std::max(frame.left, 0);
      a.y0 = std::max(frame.top, 0);
      a.x1 =
          static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(frame.left) + h.width, sw));
      a.y1 =
          static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(frame.top) + h.height, sh));
    }
    a.visible = a.x0 < a.x1 && a.y0 < a.y1;
  }

  std::atomic<bool> failed{false};
  ParallelFor(count, [&](size_t f) {
    composed[f] = NewPicture(sw, sh, 8, colors, frames.palette.data());
    if (!composed[f]) failed = true;
  });
  if (failed) return false;

  // Each screen row goes through the frames independently of the others, so bands of rows
  // are composed on all cores, each band through every frame in order.
  constexpr int32_t kBandRows = 16;
  const size_t bands = static_cast<size_t>((sh + kBandRows - 1) / kBandRows);
  ParallelFor(bands, [&](size_t band) {
    const int32_t top = static_cast<int32_t>(band) * kBandRows;
    const int32_t bottom = std::min(sh, top + kBandRows);
    std::vector<uint8_t> canvas;
    std::vector<uint8_t> saved;
    try {
      canvas.assign(static_cast<size_t>(bottom - top) * static_cast<size_t>(sw), background);
    } catch (...) {
      failed = true;
      return;
    }
    auto canvasRow = [&](int32_t y) { return canvas.data() + static_cast<size_t>(y - top) * sw; };

    for (size_t f = 0; f < count; ++f) {
      const Frame& frame = frames.frame(static_cast<int>(f));
      const Area& a = areas[f];
      const int32_t y0 = std::max(a.y0, top);
      const int32_t y1 = std::min(a.y1, bottom);
      const int32_t x0 = a.x0;
      const int32_t n = a.x1 - a.x0;
      const bool visible = a.visible && y0 < y1;
      const int method = frame.disposalMethod;

      if (method == 3 && visible) {
        try {
          saved.resize(static_cast<size_t>(n) * static_cast<size_t>(y1 - y0));
        } catch (...) {
          failed = true;
          return;
        }
        for (int32_t y = y0; y < y1; ++y) {
          std::memcpy(saved.data() + static_cast<size_t>(y - y0) * n, canvasRow(y) + x0, n);
        }
      }

      if (visible) {
        const int32_t t = frame.transparentIndex;
        const uint8_t* map = frame.colorMap.data();
        for (int32_t y = y0; y < y1; ++y) {
          const uint8_t* src = frame.image.Row(y - frame.top) + (x0 - frame.left);
          uint8_t* dst = canvasRow(y) + x0;
          if (t < 0) {
            for (int32_t x = 0; x < n; ++x) dst[x] = map[src[x]];
          } else {
            for (int32_t x = 0; x < n; ++x) {
              if (src[x] != t) dst[x] = map[src[x]];
            }
          }
        }
      }

      for (int32_t y = top; y < bottom; ++y) std::memcpy(composed[f].Row(y), canvasRow(y), sw);

      if (visible && method == 2) {
        for (int32_t y = y0; y < y1; ++y) std::memset(canvasRow(y) + x0, background, n);
      } else if (visible && method == 3) {
        for (int32_t y = y0; y < y1; ++y) {
          std::memcpy(canvasRow(y) + x0, saved.data() + static_cast<size_t>(y - y0) * n, n);
        }
      }
    }
  });
  if (failed) return false;

  for (size_t f = 0; f < count; ++f)
    frames.frame(static_cast<int>(f)).image = std::move(composed[f]);
  return true;
}

namespace {

// A file without a global colour table keeps its frames as read (each with its own
// palette) when they all cover the screen and none has a transparent colour. With
// transparency the frames are composed like any other animation, so that the transparent
// colour survives as the animation's one transparent index when the file is saved again.
bool KeepFramesAsRead(const FrameSet& frames) {
  for (int f = 0; f < frames.count; ++f) {
    const Frame& frame = frames.frame(f);
    if (!frame.image || frame.transparentIndex >= 0) return false;
    DibHeader h = frame.image.Header();
    if (frame.left != 0 || frame.top != 0 || h.width != frames.screenWidth ||
        h.height != frames.screenHeight) {
      return false;
    }
  }
  return true;
}

// A logical screen of zero width or height is taken to be the area the frames cover.
void FitEmptyScreen(FrameSet& frames) {
  if (frames.screenWidth > 0 && frames.screenHeight > 0) return;
  int32_t w = 0, h = 0;
  for (int f = 0; f < frames.count; ++f) {
    const Frame& frame = frames.frame(f);
    if (!frame.image) continue;
    DibHeader d = frame.image.Header();
    w = std::max(w, frame.left + d.width);
    h = std::max(h, frame.top + d.height);
  }
  if (frames.screenWidth <= 0) frames.screenWidth = std::min(w, 65535);
  if (frames.screenHeight <= 0) frames.screenHeight = std::min(h, 65535);
}

}  // namespace

int LoadGifAnimationData(const uint8_t* data, size_t size, FrameSet& frames, int maxFrames,
                         int* framesInFile) {
  int result = ReadGifData(data, size, frames, maxFrames, framesInFile);
  if (result != kGifReadOk || frames.count < 2) return result;
  FitEmptyScreen(frames);
  if (frames.paletteCount < 0) {
    if (KeepFramesAsRead(frames)) return kGifReadOk;
    frames.palette.fill(Rgbq{});
    frames.paletteCount = 0;
  }
  if (ComposedBytes(frames) > PictureMemoryBudget()) {
    frames.FreeFrames();
    return kGifTooLarge;
  }
  MergeFramePalettes(frames);
  if (!ComposeFrames(frames)) {
    frames.FreeFrames();
    return kGifNoMemory;
  }
  return kGifReadOk;
}

int LoadGifAnimationFile(const std::string& path, FrameSet& frames, int maxFrames,
                         int* framesInFile) {
  frames.count = 0;
  if (framesInFile) *framesInFile = 0;
  size_t size = 0;
  std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path, &size);
  if (!bytes) return kGifCannotRead;
  return LoadGifAnimationData(bytes->data(), size, frames, maxFrames, framesInFile);
}

bool LoadGifAnimation(const std::string& path, FrameSet& frames, int maxFrames) {
  return LoadGifAnimationFile(path, frames, maxFrames) == kGifReadOk;
}

}  // namespace zel
