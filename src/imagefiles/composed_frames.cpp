#include "imagefiles/composed_frames.h"

#include <libimagequant.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "document/colour_key.h"
#include "document/packed_dib.h"
#include "imagefiles/binary_alpha.h"
#include "imagefiles/memory_budget.h"

// From the OpenMP runtime libimagequant runs on (libgomp).
extern "C" void omp_set_num_threads(int threads);

namespace zel {
namespace {

// Partial alpha is mixed with white, as a PNG file without a background colour is.
constexpr uint32_t kMixWhite = 255;
// Strength of the error diffusion when the frames need a built palette.
constexpr float kDitherLevel = 0.5f;
// libimagequant's fastest speed, used for the histogram of all frames.
constexpr int kMergedHistogramSpeed = 10;

struct AttrFree {
  void operator()(liq_attr* p) const { liq_attr_destroy(p); }
};
struct HistogramFree {
  void operator()(liq_histogram* p) const { liq_histogram_destroy(p); }
};
struct ImageFree {
  void operator()(liq_image* p) const { liq_image_destroy(p); }
};
struct ResultFree {
  void operator()(liq_result* p) const { liq_result_destroy(p); }
};

uint32_t ColourOf(const uint8_t* bgra) {
  return PixelColour(bgra);
}

// The opaque colours of all frames, when there are few enough for one exact palette.
struct ColourCount {
  std::vector<uint32_t> colours;  // sorted
  bool transparent = false;
  bool tooMany = false;
};

void CountColours(const uint8_t* bgra, size_t pixels, ColourCount& count) {
  if (count.tooMany) {
    // Only whether any pixel is transparent is still open.
    for (size_t i = 0; i < pixels && !count.transparent; ++i)
      count.transparent = bgra[4 * i + 3] == 0;
    return;
  }
  uint32_t last = 0;
  bool haveLast = false;
  for (size_t i = 0; i < pixels; ++i) {
    const uint8_t* p = bgra + 4 * i;
    if (p[3] == 0) {
      count.transparent = true;
      continue;
    }
    const uint32_t colour = ColourOf(p);
    if (haveLast && colour == last) continue;
    last = colour;
    haveLast = true;
    auto at = std::lower_bound(count.colours.begin(), count.colours.end(), colour);
    if (at != count.colours.end() && *at == colour) continue;
    if (count.colours.size() >= 256) {
      count.tooMany = true;
      CountColours(bgra + 4 * i, pixels - i, count);
      return;
    }
    count.colours.insert(at, colour);
  }
  if (count.colours.size() + (count.transparent ? 1 : 0) > 256) count.tooMany = true;
}

Rgbq EntryOf(uint32_t colour) {
  return Rgbq{static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
              static_cast<uint8_t>(colour), 0};
}

// The set's palette: `entries` colours, at least two (a one-colour animation gets black as
// a second, unused entry).
void SetPalette(FrameSet& frames, const std::vector<Rgbq>& entries) {
  frames.paletteCount = static_cast<int32_t>(std::max<size_t>(entries.size(), 2));
  for (size_t i = 0; i < entries.size(); ++i) frames.palette[i] = entries[i];
}

PackedDib NewFrame(const FrameSet& frames) {
  return NewPicture(frames.screenWidth, frames.screenHeight, 8,
                    static_cast<uint32_t>(frames.paletteCount), frames.palette.data());
}

// Every frame in the exact palette: the opaque colours in ascending order, the transparent
// entry last.
ComposedResult MapExactly(ComposedFrames& stream, int kept, const ColourCount& count,
                          FrameSet& frames) {
  std::vector<Rgbq> entries;
  for (uint32_t colour : count.colours) entries.push_back(EntryOf(colour));
  const int32_t transparent = count.transparent ? static_cast<int32_t>(entries.size()) : -1;
  if (count.transparent) entries.push_back(EntryOf(0xFFFFFFu));
  SetPalette(frames, entries);
  frames.transparentIndex = transparent;
  const int32_t width = frames.screenWidth;
  const int32_t height = frames.screenHeight;
  return stream.Run(kept, [&](int i, const uint8_t* bgra) {
    PackedDib picture = NewFrame(frames);
    if (!picture) return false;
    IndexThroughSortedColours(bgra, 4 * static_cast<size_t>(width), width, height, count.colours,
                              static_cast<uint8_t>(transparent), picture);
    frames.frame(i).image = std::move(picture);
    frames.frame(i).transparentIndex = transparent;
    return true;
  });
}

// libimagequant's view of a settled frame: red, green, blue, alpha.
void ToLiqColours(const uint8_t* bgra, size_t pixels, liq_color* out) {
  for (size_t i = 0; i < pixels; ++i) {
    const uint8_t* p = bgra + 4 * i;
    out[i] = p[3] == 0 ? liq_color{0, 0, 0, 0} : liq_color{p[2], p[1], p[0], 255};
  }
}

// Frames with more colours than a palette holds: one palette built from all of them.
ComposedResult MapWithBuiltPalette(ComposedFrames& stream, int kept, size_t pixels, bool transparent,
                                   FrameSet& frames) {
  const int32_t width = frames.screenWidth;
  const int32_t height = frames.screenHeight;
  // libimagequant on this thread alone: its waiting workers would spin on a busy machine.
  omp_set_num_threads(1);
  std::unique_ptr<liq_attr, AttrFree> attr(liq_attr_create());
  if (!attr || liq_set_max_colors(attr.get(), transparent ? 255 : 256) != LIQ_OK) {
    return ComposedResult::kNoMemory;
  }
  // The histogram of frames this dense merges neighbouring colours (libimagequant's fastest
  // speed sets only that): the palette search over every exact colour would take most of the
  // time and gain almost nothing.
  std::unique_ptr<liq_attr, AttrFree> merging(liq_attr_create());
  if (!merging || liq_set_speed(merging.get(), kMergedHistogramSpeed) != LIQ_OK) {
    return ComposedResult::kNoMemory;
  }
  std::unique_ptr<liq_histogram, HistogramFree> histogram(liq_histogram_create(merging.get()));
  std::unique_ptr<liq_color[]> colours(new (std::nothrow) liq_color[pixels]);
  if (!histogram || !colours) return ComposedResult::kNoMemory;
  ComposedResult result = stream.Run(kept, [&](int, const uint8_t* bgra) {
    ToLiqColours(bgra, pixels, colours.get());
    std::unique_ptr<liq_image, ImageFree> image(
        liq_image_create_rgba(merging.get(), colours.get(), width, height, 0));
    return image &&
           liq_histogram_add_image(histogram.get(), merging.get(), image.get()) == LIQ_OK;
  });
  if (result != ComposedResult::kOk) return result;
  liq_result* raw = nullptr;
  if (liq_histogram_quantize(histogram.get(), attr.get(), &raw) != LIQ_OK || raw == nullptr) {
    return ComposedResult::kNoMemory;
  }
  std::unique_ptr<liq_result, ResultFree> quantized(raw);
  if (liq_set_dithering_level(quantized.get(), kDitherLevel) != LIQ_OK) {
    return ComposedResult::kNoMemory;
  }
  const liq_palette* palette = liq_get_palette(quantized.get());
  if (palette == nullptr || palette->count < 1 || palette->count > 256) {
    return ComposedResult::kNoMemory;
  }
  // The transparent pixels' entry: the one of alpha 0 libimagequant made for them, else one
  // more entry (there is room: 255 were asked for).
  std::vector<Rgbq> entries;
  int32_t transparentIndex = -1;
  for (unsigned i = 0; i < palette->count; ++i) {
    const liq_color& c = palette->entries[i];
    entries.push_back(Rgbq{c.b, c.g, c.r, 0});
    if (transparent && c.a == 0 && transparentIndex < 0) transparentIndex = static_cast<int32_t>(i);
  }
  if (transparent && transparentIndex < 0) {
    if (entries.size() >= 256) return ComposedResult::kNoMemory;
    transparentIndex = static_cast<int32_t>(entries.size());
    entries.push_back(EntryOf(0xFFFFFFu));
  }
  SetPalette(frames, entries);
  frames.transparentIndex = transparentIndex;

  std::vector<uint8_t> before;   // the frame before, settled
  std::vector<uint8_t> indices;  // libimagequant's indices of this frame, top-down
  try {
    before.resize(pixels * 4);
    indices.resize(pixels);
  } catch (const std::bad_alloc&) {
    return ComposedResult::kNoMemory;
  }
  return stream.Run(kept, [&](int i, const uint8_t* bgra) {
    ToLiqColours(bgra, pixels, colours.get());
    std::unique_ptr<liq_image, ImageFree> image(
        liq_image_create_rgba(attr.get(), colours.get(), width, height, 0));
    if (!image || liq_write_remapped_image(quantized.get(), image.get(), indices.data(),
                                           indices.size()) != LIQ_OK) {
      return false;
    }
    PackedDib picture = NewFrame(frames);
    if (!picture) return false;
    const PackedDib* previous = i > 0 ? &frames.frame(i - 1).image : nullptr;
    for (int32_t y = 0; y < height; ++y) {
      const size_t start = static_cast<size_t>(width) * static_cast<size_t>(y);
      uint8_t* out = picture.Row(y);
      const uint8_t* kept = previous ? previous->Row(y) : nullptr;
      for (int32_t x = 0; x < width; ++x) {
        const size_t at = start + static_cast<size_t>(x);
        const uint8_t* p = bgra + 4 * at;
        if (p[3] == 0) {
          out[x] = static_cast<uint8_t>(transparentIndex);
        } else if (kept != nullptr && std::memcmp(p, before.data() + 4 * at, 4) == 0) {
          out[x] = kept[x];  // unchanged: no shimmer from the diffusion
        } else {
          const uint8_t index = indices[at];
          // An opaque pixel never takes the transparent entry.
          out[x] = index == transparentIndex ? static_cast<uint8_t>(index == 0 ? 1 : 0) : index;
        }
      }
    }
    std::memcpy(before.data(), bgra, pixels * 4);
    frames.frame(i).image = std::move(picture);
    frames.frame(i).transparentIndex = transparentIndex;
    return true;
  });
}

}  // namespace

void MixWithWhite(uint8_t* p) {
  const uint32_t a = p[3];
  for (int c = 0; c < 3; ++c) {
    p[c] = static_cast<uint8_t>((p[c] * a + kMixWhite * (255 - a) + 127) / 255);
  }
  p[3] = 255;
}

void SettleAlpha(uint8_t* bgra, size_t pixels) {
  for (size_t i = 0; i < pixels; ++i) {
    uint8_t* p = bgra + 4 * i;
    if (p[3] != 0 && p[3] != 255) MixWithWhite(p);
  }
}

int32_t LoopCountOfPlays(uint32_t plays) {
  if (plays == 0) return kLoopForever;
  if (plays == 1) return kPlayOnce;
  return static_cast<int32_t>(std::min<uint32_t>(plays - 1, kMaxLoopCount));
}

int32_t HundredthsBetween(int64_t previousMs, int64_t endMs) {
  const auto hundredths = [](int64_t ms) { return (std::max<int64_t>(ms, 0) + 5) / 10; };
  return static_cast<int32_t>(std::max<int64_t>(hundredths(endMs) - hundredths(previousMs), 0));
}

bool ComposedFramesFit(int32_t width, int32_t height, int kept, int pictureBits,
                       uint64_t workBytesPerPixel) {
  if (width < 1 || height < 1 || kept < 1) return false;
  const uint64_t pixels = uint64_t(width) * uint64_t(height);
  const uint64_t pictureBytes = RowStride(pictureBits, width) * uint64_t(height);
  const uint64_t budget = PictureMemoryBudget();
  return pixels <= budget / workBytesPerPixel &&
         pictureBytes <= (budget - pixels * workBytesPerPixel) / uint64_t(kept);
}

ComposedResult PaletteFramesFromComposed(ComposedFrames& stream, int32_t width, int32_t height,
                                         int kept, FrameSet& frames) {
  const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
  frames.screenWidth = width;
  frames.screenHeight = height;
  ColourCount count;
  ComposedResult result = stream.Run(kept, [&](int, const uint8_t* bgra) {
    CountColours(bgra, pixels, count);
    return true;
  });
  if (result != ComposedResult::kOk) return result;
  frames.count = kept;  // so that a failure below frees what was made
  return count.tooMany ? MapWithBuiltPalette(stream, kept, pixels, count.transparent, frames)
                       : MapExactly(stream, kept, count, frames);
}

}  // namespace zel
