// Bringing the frames of a GIF animation into one palette and onto the logical screen.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "imagefiles/gif_decoder.h"
#include "imagefiles/gif_frame_area.h"
#include "imagefiles/memory_budget.h"
#include "platform/parallel.h"

namespace zel {
namespace {

// The pixel rows of all composed frames together.
uint64_t ComposedBytes(const FrameSet& frames) {
  return static_cast<uint64_t>(RowStride(8, frames.screenWidth)) *
         static_cast<uint64_t>(frames.screenHeight) * static_cast<uint64_t>(frames.count);
}

}  // namespace

bool CanvasEverUncovered(const FrameSet& frames) {
  const int32_t sw = frames.screenWidth;
  const int32_t sh = frames.screenHeight;
  if (frames.count < 1 || sw <= 0 || sh <= 0) return true;
  // The usual case needs no mask: the first frame covers the screen, no frame lets
  // anything through and no disposal ever takes anything away.
  const FrameArea first = AreaOfFrame(frames, 0);
  bool maskNeeded = frames.frame(0).transparentIndex >= 0;
  for (int f = 0; f < frames.count && !maskNeeded; ++f) {
    const int method = frames.frame(f).disposalMethod;
    maskNeeded = method == 2 || method == 3 || frames.frame(f).transparentIndex >= 0;
  }
  const bool firstCovers =
      first.visible && first.x0 == 0 && first.y0 == 0 && first.x1 == sw && first.y1 == sh;
  if (!firstCovers) return true;
  if (!maskNeeded) return false;

  // Otherwise a mask of the screen follows the frames as they are shown, with the number
  // of pixels nothing covers.
  std::vector<uint8_t> covered;
  std::vector<uint8_t> saved;
  try {
    covered.assign(static_cast<size_t>(sw) * static_cast<size_t>(sh), 0);
  } catch (const std::bad_alloc&) {
    return true;  // without the answer, the screen stays transparent where it may show
  }
  uint64_t uncovered = static_cast<uint64_t>(sw) * static_cast<uint64_t>(sh);
  auto row = [&](int32_t y) { return covered.data() + static_cast<size_t>(y) * sw; };
  // Once the whole screen is covered, only a later disposal can uncover any of it again:
  // transparent pixels leave what lies under them.
  int lastDisposing = -1;
  for (int f = 0; f < frames.count; ++f) {
    const int method = frames.frame(f).disposalMethod;
    if (method == 2 || method == 3) lastDisposing = f;
  }
  for (int f = 0; f < frames.count; ++f) {
    const FrameArea a = AreaOfFrame(frames, f);
    const int method = frames.frame(f).disposalMethod;
    const size_t n = a.visible ? static_cast<size_t>(a.x1 - a.x0) : 0;
    if (a.visible) {
      if (method == 3) {
        try {
          saved.resize(n * static_cast<size_t>(a.y1 - a.y0));
        } catch (const std::bad_alloc&) {
          return true;
        }
        for (int32_t y = a.y0; y < a.y1; ++y) {
          std::memcpy(saved.data() + static_cast<size_t>(y - a.y0) * n, row(y) + a.x0, n);
        }
      }
      // A transparent pixel leaves what lies under it.
      const Frame& frame = frames.frame(f);
      const int32_t t = frame.transparentIndex;
      for (int32_t y = a.y0; y < a.y1; ++y) {
        uint8_t* cells = row(y) + a.x0;
        if (t < 0) {
          for (size_t x = 0; x < n; ++x) uncovered -= cells[x] ^ 1u;
          std::memset(cells, 1, n);
          continue;
        }
        const uint8_t* src = frame.image.Row(y - frame.top) + (a.x0 - frame.left);
        for (size_t x = 0; x < n; ++x) {
          if (src[x] != t && cells[x] == 0) {
            cells[x] = 1;
            --uncovered;
          }
        }
      }
    }
    if (uncovered > 0) return true;  // this frame is shown with canvas around it
    if (!a.visible) continue;
    if (method == 2) {
      for (int32_t y = a.y0; y < a.y1; ++y) {
        std::memset(row(y) + a.x0, 0, n);
        uncovered += n;
      }
    } else if (method == 3) {
      for (int32_t y = a.y0; y < a.y1; ++y) {
        uint8_t* cells = row(y) + a.x0;
        const uint8_t* before = saved.data() + static_cast<size_t>(y - a.y0) * n;
        for (size_t x = 0; x < n; ++x) uncovered += before[x] ^ 1u;
        std::memcpy(cells, before, n);
      }
    }
    if (uncovered == 0 && f >= lastDisposing) return false;
  }
  return false;
}

namespace {

// The palette the frames share while it is being built.
struct SharedPalette {
  std::array<Rgbq, 256> colors;
  int32_t size = 0;
  int32_t background = 0;
  bool taken[256] = {};

  // An entry of the same colour, or -1: the lowest one. The background entry is the
  // transparent one and never matches. Looked up in an index of the colours, made again
  // after the entries or the size changed (Changed), which happens once per colour added.
  int32_t Find(const Rgbq& c) const {
    uint32_t slot = Slot(Key(c));
    while (slots_[slot] != 0) {
      if ((slots_[slot] >> 8) == Key(c)) return static_cast<int32_t>(slots_[slot] & 0xFF);
      slot = (slot + 1) & (kSlots - 1);
    }
    return -1;
  }
  int32_t Find(const Rgbq& c) {
    if (stale_) Index();
    return static_cast<const SharedPalette&>(*this).Find(c);
  }
  // An entry other than the background one, or the size, changed.
  void Changed() { stale_ = true; }
  void Index() {
    std::fill(std::begin(slots_), std::end(slots_), uint64_t{0});
    for (int32_t j = 0; j < size; ++j) {
      if (j == background) continue;
      uint32_t slot = Slot(Key(colors[j]));
      while (slots_[slot] != 0 && (slots_[slot] >> 8) != Key(colors[j])) {
        slot = (slot + 1) & (kSlots - 1);
      }
      if (slots_[slot] == 0)
        slots_[slot] = (uint64_t{Key(colors[j])} << 8) | static_cast<uint64_t>(j);
    }
    stale_ = false;
  }

  // All 256 entries in use: the nearest colour by summed channel differences. An opaque
  // colour never maps to the background entry.
  int32_t Nearest(const Rgbq& c) const {
    int best = 768;
    int32_t target = background == 0 ? 1 : 0;
    for (int32_t j = 0; j < 256; ++j) {
      if (j == background) continue;
      int d = std::abs(colors[j].blue - c.blue) + std::abs(colors[j].green - c.green) +
              std::abs(colors[j].red - c.red);
      if (d < best) {
        best = d;
        target = j;
      }
    }
    return target;
  }

  // True when no colour can be added any more: every entry is taken and there is no room
  // behind them. From then on a frame's colours change nothing but their own map.
  bool Full() const {
    if (size < 256 && !(size == 255 && background == 255)) return false;
    for (int32_t j = 0; j < size; ++j) {
      if (!taken[j]) return false;
    }
    return true;
  }

 private:
  static constexpr uint32_t kSlots = 1024;
  // The colour with a bit set above it, so that no key is 0 (an empty slot).
  static uint32_t Key(const Rgbq& c) {
    return 0x1000000u | (uint32_t{c.red} << 16) | (uint32_t{c.green} << 8) | c.blue;
  }
  static uint32_t Slot(uint32_t key) { return (key * 0x9E3779B1u) >> 22; }
  uint64_t slots_[kSlots] = {};  // key << 8 | entry, 0 when empty
  bool stale_ = true;
};

// Maps the colours of one frame into the shared palette, adding those it lacks. Returns
// true when one of its colours went to the nearest entry.
bool MergeFrame(SharedPalette& shared, Frame& frame) {
  const Rgbq* table = frame.image.ColorTable();
  int32_t colors = static_cast<int32_t>(std::min<uint32_t>(frame.image.ColorCount(), 256));
  int32_t transparent = frame.transparentIndex;
  const int32_t background = shared.background;
  if (background >= 0 && transparent >= 0 && transparent < colors) {
    shared.colors[background] = table[transparent];
  }

  bool nearest = false;
  for (int32_t i = 0; i < colors; ++i) {
    if (frame.colorMap[i] == 0) continue;
    // Without a transparent entry, a transparent colour is never drawn: it takes no entry.
    if (i == transparent && background < 0) continue;
    int32_t target = i == transparent ? background : shared.Find(table[i]);
    if (target < 0) {
      for (int32_t j = 0; j < shared.size; ++j) {
        if (!shared.taken[j]) {
          target = j;
          break;
        }
      }
      if (target >= 0) {
        shared.colors[target] = table[i];
        shared.Changed();
      } else if (shared.size < 256) {
        int32_t at = shared.size == background ? shared.size + 1 : shared.size;
        if (at < 256) {
          shared.colors[at] = table[i];
          target = at;
          shared.size = at + 1;
          shared.Changed();
        }
      }
      if (target < 0) {
        target = shared.Nearest(table[i]);
        shared.size = 256;
        shared.Changed();
        nearest = true;
      }
    }
    frame.colorMap[i] = static_cast<uint8_t>(target);
    shared.taken[target] = true;
  }
  return nearest;
}

// The same for a frame met once the shared palette is full: it only reads the palette.
// Returns true when one of its colours went to the nearest entry.
bool MapFrameIntoFull(const SharedPalette& shared, Frame& frame) {
  const Rgbq* table = frame.image.ColorTable();
  int32_t colors = static_cast<int32_t>(std::min<uint32_t>(frame.image.ColorCount(), 256));
  int32_t transparent = frame.transparentIndex;
  bool nearest = false;
  for (int32_t i = 0; i < colors; ++i) {
    if (frame.colorMap[i] == 0) continue;
    if (i == transparent && shared.background < 0) continue;
    int32_t target = i == transparent ? shared.background : shared.Find(table[i]);
    if (target < 0) {
      target = shared.Nearest(table[i]);
      nearest = true;
    }
    frame.colorMap[i] = static_cast<uint8_t>(target);
  }
  return nearest;
}

}  // namespace

bool MergeFramePalettes(FrameSet& frames) {
  // -1: no frame is transparent anywhere, so no entry is kept for it.
  int32_t background = frames.transparentIndex;
  if (background > 255) background = 0;
  frames.transparentIndex = background;
  SharedPalette shared;
  shared.colors = frames.palette;
  shared.size = frames.paletteCount < 0 ? 0 : std::min(frames.paletteCount, 256);
  shared.background = background;
  if (background >= 0) shared.taken[background] = true;

  // Frames are merged in order until the palette is full; after that each frame only looks
  // colours up, so the rest are mapped on all cores.
  bool lossy = false;
  int f = 0;
  for (; f < frames.count && !shared.Full(); ++f) {
    Frame& frame = frames.frame(f);
    if (frame.image) lossy |= MergeFrame(shared, frame);
  }
  std::vector<char> nearest;
  try {
    nearest.assign(static_cast<size_t>(frames.count - f), 0);
  } catch (const std::bad_alloc&) {
    // Short of memory: the rest in order as well.
    for (; f < frames.count; ++f) {
      Frame& frame = frames.frame(f);
      if (frame.image) lossy |= MergeFrame(shared, frame);
    }
  }
  if (f < frames.count) {
    const int first = f;
    shared.Index();
    ParallelFor(nearest.size(), [&](size_t k) {
      Frame& frame = frames.frame(first + static_cast<int>(k));
      if (frame.image) nearest[k] = MapFrameIntoFull(shared, frame) ? 1 : 0;
    });
    // What those frames change in the palette itself, in their order: the background
    // entry takes the last transparent colour, and a nearest-colour match uses up the
    // room left behind a background at the end.
    for (int k = first; k < frames.count; ++k) {
      const Frame& frame = frames.frame(k);
      if (!frame.image) continue;
      int32_t colors = static_cast<int32_t>(std::min<uint32_t>(frame.image.ColorCount(), 256));
      int32_t transparent = frame.transparentIndex;
      if (background >= 0 && transparent >= 0 && transparent < colors) {
        shared.colors[background] = frame.image.ColorTable()[transparent];
      }
      if (nearest[static_cast<size_t>(k - first)]) {
        shared.size = 256;
        lossy = true;
      }
    }
  }
  for (auto& entry : shared.colors) entry.reserved = 0;
  frames.palette = shared.colors;
  frames.paletteCount = shared.size;
  return lossy;
}

namespace {

// Draws `n` pixels of a frame row over the canvas: those equal to the transparent index `t`
// (none when t < 0) leave the canvas, the others go through the frame's colour map. A map
// that keeps every colour where it is (`identity`) needs no look-up, so those rows are
// drawn 16 pixels at a time.
void DrawRow(const uint8_t* src, uint8_t* dst, int32_t n, int32_t t, const uint8_t* map,
             bool identity) {
  int32_t x = 0;
  if (identity) {
    if (t < 0) {
      std::memcpy(dst, src, static_cast<size_t>(n));
      return;
    }
#ifdef __SSE2__
    const __m128i key = _mm_set1_epi8(static_cast<char>(t));
    for (; x + 16 <= n; x += 16) {
      const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
      const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + x));
      const __m128i keep = _mm_cmpeq_epi8(s, key);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x),
                       _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, s)));
    }
#endif
    for (; x < n; ++x) {
      if (src[x] != t) dst[x] = src[x];
    }
    return;
  }
  if (t < 0) {
    for (; x < n; ++x) dst[x] = map[src[x]];
  } else {
    for (; x < n; ++x) {
      if (src[x] != t) dst[x] = map[src[x]];
    }
  }
}

}  // namespace

bool ComposeFrames(FrameSet& frames, const std::vector<char>* identityMaps) {
  const int32_t sw = frames.screenWidth;
  const int32_t sh = frames.screenHeight;
  if (sw <= 0 || sh <= 0 || ComposedBytes(frames) > PictureMemoryBudget()) {
    frames.FreeFrames();
    return false;
  }
  // Without a transparent index nothing of the canvas is ever shown; 0 fills it.
  const uint8_t background =
      static_cast<uint8_t>(frames.transparentIndex < 0 ? 0 : frames.transparentIndex & 0xFF);
  const uint32_t colors = static_cast<uint32_t>(std::clamp(frames.paletteCount, 1, 256));
  const size_t count = static_cast<size_t>(frames.count);
  const size_t sharedBands = static_cast<size_t>(std::max(1, ParallelWorkers()));
  const size_t bands = std::min(sharedBands, static_cast<size_t>(sh));

  // Every composed picture is written once, straight from the canvas, and each frame as
  // read is freed as soon as every band has drawn it: the read and the composed frames
  // together never take much more than the composed ones alone.
  std::vector<FrameArea> areas;
  std::vector<PackedDib> composed;
  std::unique_ptr<std::once_flag[]> made;
  std::unique_ptr<std::atomic<size_t>[]> pending;
  try {
    areas.resize(count);
    composed.resize(count);
    made.reset(new std::once_flag[count]);
    pending.reset(new std::atomic<size_t>[count]);
  } catch (...) {
    frames.FreeFrames();
    return false;
  }
  for (size_t f = 0; f < count; ++f) {
    areas[f] = AreaOfFrame(frames, static_cast<int>(f));
    pending[f] = bands;
  }

  // The screen is cut into one band of rows per thread; each band goes through every frame
  // in order on its own canvas. The bands move through the frames side by side, so the
  // frames between the slowest and the fastest band are all that is held twice.
  std::atomic<bool> failed{false};
  ParallelFor(bands, [&](size_t band) {
    const int32_t top = static_cast<int32_t>(static_cast<int64_t>(sh) * band / bands);
    const int32_t bottom = static_cast<int32_t>(static_cast<int64_t>(sh) * (band + 1) / bands);
    std::vector<uint8_t> canvas;
    std::vector<uint8_t> saved;
    try {
      canvas.assign(static_cast<size_t>(bottom - top) * static_cast<size_t>(sw), background);
    } catch (...) {
      failed = true;
    }
    auto canvasRow = [&](int32_t y) { return canvas.data() + static_cast<size_t>(y - top) * sw; };

    for (size_t f = 0; f < count; ++f) {
      Frame& frame = frames.frame(static_cast<int>(f));
      if (!failed) {
        std::call_once(made[f], [&] {
          composed[f] = NewPicture(sw, sh, 8, colors, frames.palette.data());
          if (!composed[f]) failed = true;
        });
      }
      if (!failed) {
        const FrameArea& a = areas[f];
        const int32_t y0 = std::max(a.y0, top);
        const int32_t y1 = std::min(a.y1, bottom);
        const int32_t x0 = a.x0;
        const int32_t n = a.x1 - a.x0;
        const bool visible = a.visible && y0 < y1;
        const int method = frame.disposalMethod;

        if (method == 3 && visible) {
          try {
            saved.resize(static_cast<size_t>(n) * static_cast<size_t>(y1 - y0));
            for (int32_t y = y0; y < y1; ++y) {
              std::memcpy(saved.data() + static_cast<size_t>(y - y0) * n, canvasRow(y) + x0, n);
            }
          } catch (...) {
            failed = true;
          }
        }
        if (visible && !failed) {
          const bool identity = identityMaps != nullptr && (*identityMaps)[f] != 0;
          for (int32_t y = y0; y < y1; ++y) {
            DrawRow(frame.image.Row(y - frame.top) + (x0 - frame.left), canvasRow(y) + x0, n,
                    frame.transparentIndex, frame.colorMap.data(), identity);
          }
        }
        if (!failed) {
          for (int32_t y = top; y < bottom; ++y) {
            std::memcpy(composed[f].Row(y), canvasRow(y), static_cast<size_t>(sw));
          }
        }
        if (visible && method == 2) {
          for (int32_t y = y0; y < y1; ++y) std::memset(canvasRow(y) + x0, background, n);
        } else if (visible && method == 3 && !failed) {
          for (int32_t y = y0; y < y1; ++y) {
            std::memcpy(canvasRow(y) + x0, saved.data() + static_cast<size_t>(y - y0) * n, n);
          }
        }
      }
      // The last band to leave a frame puts its composed picture in place of the one read.
      if (pending[f].fetch_sub(1) == 1 && !failed) frame.image = std::move(composed[f]);
    }
  });
  if (failed) {
    frames.FreeFrames();
    return false;
  }
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

namespace {

// Whether each frame's colour map, after merging, leaves every colour the frame draws where
// it was (`used` holds the maps from before the merge: 1 for each colour used). The
// transparent colour is never drawn through the map.
std::vector<char> IdentityMaps(const FrameSet& frames,
                               const std::vector<std::array<uint8_t, 256>>& used) {
  std::vector<char> identity(used.size(), 0);
  for (size_t f = 0; f < used.size(); ++f) {
    const Frame& frame = frames.frame(static_cast<int>(f));
    bool same = static_cast<bool>(frame.image);
    for (int i = 0; i < 256 && same; ++i) {
      same = used[f][i] == 0 || i == frame.transparentIndex || frame.colorMap[i] == i;
    }
    identity[f] = same ? 1 : 0;
  }
  return identity;
}

// Reads the frames and decides everything loading decides about them: the shared palette
// or a palette per frame, and the transparent entry. With `compose` the frames are then
// brought onto the logical screen; without, frames in the shared palette stay as read.
int ReadAnimation(const uint8_t* data, size_t size, FrameSet& frames, int maxFrames,
                  int* framesInFile, bool compose) {
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
  // The background entry is kept for transparency only where the animation shows any:
  // canvas that no frame covers, around a frame or through its transparent pixels (shown
  // transparent, as browsers show it). Otherwise every colour of the file keeps its own
  // entry.
  if (!CanvasEverUncovered(frames)) {
    frames.transparentIndex = -1;
  } else if (frames.transparentIndex < 0 || frames.transparentIndex > 255) {
    frames.transparentIndex = 0;
  }
  // The colours each frame uses, to tell afterwards which frames keep their indices.
  std::vector<std::array<uint8_t, 256>> used;
  if (compose) {
    try {
      used.resize(static_cast<size_t>(frames.count));
    } catch (const std::bad_alloc&) {
      frames.FreeFrames();
      return kGifNoMemory;
    }
    for (int f = 0; f < frames.count; ++f) used[static_cast<size_t>(f)] = frames.frame(f).colorMap;
  }
  // One shared palette where it holds every colour. Where it cannot, each frame keeps a
  // palette of its own, unless a composed frame shows more colours than a table holds.
  if (MergeFramePalettes(frames)) {
    const LocalPaletteCompose local = ComposeFramesLocalPalettes(frames);
    if (local == LocalPaletteCompose::kComposed) return kGifReadOk;
    if (!compose && local == LocalPaletteCompose::kNoMemory) {
      frames.FreeFrames();
      return kGifNoMemory;
    }
  }
  if (!compose) return kGifReadOk;
  const std::vector<char> identity = IdentityMaps(frames, used);
  used = {};
  if (!ComposeFrames(frames, &identity)) return kGifNoMemory;
  return kGifReadOk;
}

}  // namespace

int LoadGifAnimationData(const uint8_t* data, size_t size, FrameSet& frames, int maxFrames,
                         int* framesInFile) {
  return ReadAnimation(data, size, frames, maxFrames, framesInFile, true);
}

namespace {

// Reads the file at `path` whole and loads (`compose`) or only describes its animation.
int ReadAnimationFile(const std::string& path, FrameSet& frames, int maxFrames,
                      int* framesInFile, bool compose) {
  frames.count = 0;
  if (framesInFile) *framesInFile = 0;
  size_t size = 0;
  std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path, &size);
  if (!bytes) return kGifCannotRead;
  return ReadAnimation(bytes->data(), size, frames, maxFrames, framesInFile, compose);
}

}  // namespace

int DescribeGifAnimationFile(const std::string& path, FrameSet& frames, int maxFrames,
                             int* framesInFile) {
  return ReadAnimationFile(path, frames, maxFrames, framesInFile, false);
}

int LoadGifAnimationFile(const std::string& path, FrameSet& frames, int maxFrames,
                         int* framesInFile) {
  return ReadAnimationFile(path, frames, maxFrames, framesInFile, true);
}

bool LoadGifAnimation(const std::string& path, FrameSet& frames, int maxFrames) {
  return LoadGifAnimationFile(path, frames, maxFrames) == kGifReadOk;
}

}  // namespace zel
