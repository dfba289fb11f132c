#include "color/quality_quantizer.h"

#include <libimagequant.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "color/colour_key_reduction.h"

// From the OpenMP runtime libimagequant runs on (libgomp); declared here so that the file
// needs no compiler's OpenMP header.
extern "C" void omp_set_num_threads(int threads);

namespace zel {

namespace {

// libimagequant's speed, 1 (most thorough) to 10, by the pixels of a picture (of the largest
// frame when there are several): small pictures, the usual size of a GIF, get the full
// search; larger ones the search pngquant makes by default (4). Faster speeds leave out the
// map of edges the diffusion follows and the palette's refinement, and cost more error than
// the time they save.
int SpeedFor(uint64_t pixels) {
  return pixels <= 350000 ? 1 : 4;
}

// Above this many distinct colours a picture is dense, like a photo or noise: the palette is
// built from a histogram in which libimagequant merges neighbouring colours (the lowest bits
// of each channel) until at most 131072 entries remain. The palette search over every exact
// colour takes most of the time on such pictures and gains almost nothing, as neighbouring
// colours are all present anyway; on a picture of fewer, separate colours (drawings, text)
// every colour counts, so those keep the exact histogram.
constexpr uint32_t kDenseColours = 100000;
// The speed whose histogram is the merged one described above; it sets nothing else here.
constexpr int kMergedHistogramSpeed = 10;

// libimagequant runs on the calling thread alone: its own worker threads spin while they
// wait, which costs more than it gains on a busy machine, and several frames are spread over
// the cores by this file instead.
void UseOneThread() {
  omp_set_num_threads(1);
}

struct AttrFree {
  void operator()(liq_attr* p) const { liq_attr_destroy(p); }
};
struct ImageFree {
  void operator()(liq_image* p) const { liq_image_destroy(p); }
};
struct ResultFree {
  void operator()(liq_result* p) const { liq_result_destroy(p); }
};
struct HistogramFree {
  void operator()(liq_histogram* p) const { liq_histogram_destroy(p); }
};
using Attr = std::unique_ptr<liq_attr, AttrFree>;
using Image = std::unique_ptr<liq_image, ImageFree>;
using Result = std::unique_ptr<liq_result, ResultFree>;
using Histogram = std::unique_ptr<liq_histogram, HistogramFree>;

bool IsFullColor(const PackedDib& picture) {
  return IsWholePicture(picture) && picture.Header().bitCount == 24;
}

uint32_t PixelKey(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16);
}

// True when the 24-bit pictures together have more than kDenseColours distinct colours.
bool AreDense(const std::vector<const PackedDib*>& pictures) {
  std::unique_ptr<uint64_t[]> seen(new (std::nothrow) uint64_t[(1u << 24) / 64]());
  if (!seen) return false;  // the exact histogram then: slower, never worse
  uint32_t distinct = 0;
  for (const PackedDib* picture : pictures) {
    const DibHeader h = picture->Header();
    const size_t stride = picture->Stride();
    for (int32_t y = 0; y < h.height; ++y) {
      const uint8_t* p = picture->Pixels() + stride * y;
      for (int32_t x = 0; x < h.width; ++x, p += 3) {
        const uint32_t key = PixelKey(p);
        uint64_t& word = seen[key >> 6];
        const uint64_t bit = uint64_t{1} << (key & 63);
        if ((word & bit) == 0) {
          word |= bit;
          if (++distinct > kDenseColours) return true;
        }
      }
    }
  }
  return false;
}

// The pixels of a 24-bit picture as opaque RGBA, with the row pointers libimagequant reads
// (top row first).
class RgbaPicture {
 public:
  bool Fill(const PackedDib& picture) {
    const DibHeader h = picture.Header();
    width_ = h.width;
    height_ = h.height;
    const size_t count = static_cast<size_t>(width_) * height_;
    pixels_.reset(new (std::nothrow) liq_color[count]);
    rows_.reset(new (std::nothrow) void*[std::max<size_t>(height_, 1)]);
    if (!pixels_ || !rows_) return false;
    const size_t stride = picture.Stride();
    for (int32_t y = 0; y < height_; ++y) {
      const uint8_t* s = picture.Pixels() + stride * y;
      liq_color* d = pixels_.get() + static_cast<size_t>(width_) * y;
      rows_[height_ - 1 - y] = d;  // libimagequant reads the rows top to bottom
      for (int32_t x = 0; x < width_; ++x, s += 3) d[x] = liq_color{s[2], s[1], s[0], 255};
    }
    return true;
  }
  Image Make(const liq_attr* attr) const {
    return Image(liq_image_create_rgba_rows(attr, rows_.get(), width_, height_, 0));
  }

 private:
  int32_t width_ = 0, height_ = 0;
  std::unique_ptr<liq_color[]> pixels_;
  std::unique_ptr<void*[]> rows_;
};

Attr MakeAttr(int colors, int speed) {
  Attr attr(liq_attr_create());
  if (!attr || liq_set_max_colors(attr.get(), std::clamp(colors, 2, 256)) != LIQ_OK ||
      liq_set_speed(attr.get(), speed) != LIQ_OK) {
    return nullptr;
  }
  return attr;
}

// Maps `image` through `result` into a new 8-bit picture of `width` x `height` whose
// table is the result's palette (read after mapping, which may refine it).
PackedDib Remap(liq_result* result, liq_image* image, int32_t width, int32_t height) {
  const size_t count = static_cast<size_t>(width) * height;
  std::unique_ptr<uint8_t[]> indices(new (std::nothrow) uint8_t[std::max<size_t>(count, 1)]);
  std::unique_ptr<unsigned char*[]> rows(
      new (std::nothrow) unsigned char*[std::max<int32_t>(height, 1)]);
  if (!indices || !rows) return {};
  for (int32_t y = 0; y < height; ++y) {
    rows[height - 1 - y] = indices.get() + static_cast<size_t>(width) * y;  // top row first
  }
  if (liq_write_remapped_image_rows(result, image, rows.get()) != LIQ_OK) return {};
  const liq_palette* palette = liq_get_palette(result);
  if (palette == nullptr || palette->count == 0 || palette->count > 256) return {};
  Rgbq table[256];
  for (unsigned i = 0; i < palette->count; ++i) {
    const liq_color& c = palette->entries[i];
    table[i] = Rgbq{c.b, c.g, c.r, 0};
  }
  PackedDib out = NewPicture(width, height, 8, palette->count, table);
  if (!out) return out;
  const size_t stride = out.Stride();
  for (int32_t y = 0; y < height; ++y) {
    std::memcpy(out.Pixels() + stride * y, indices.get() + static_cast<size_t>(width) * y,
                static_cast<size_t>(width));
  }
  return out;
}

// Sums of the source colours that were given each index, for moving every entry to the mean
// of its pixels: for the indices as they are, that mean is the entry nearest to them all, so
// the error against the source can only fall. libimagequant does this itself while mapping a
// picture it quantized alone, but not through a palette built from a histogram, and it works
// in its own gamma space, where the mean is not quite the best in the picture's values.
class EntryMeans {
 public:
  void Add(const PackedDib& source, const PackedDib& reduced) {
    const DibHeader h = source.Header();
    const size_t inStride = source.Stride(), outStride = reduced.Stride();
    for (int32_t y = 0; y < h.height; ++y) {
      const uint8_t* s = source.Pixels() + inStride * y;
      const uint8_t* d = reduced.Pixels() + outStride * y;
      for (int32_t x = 0; x < h.width; ++x, s += 3) {
        Sum& sum = sums_[d[x]];
        sum.blue += s[0];
        sum.green += s[1];
        sum.red += s[2];
        ++sum.count;
      }
    }
  }
  // Every entry of `table` (`count` entries) that some pixel uses becomes its pixels' mean.
  void Apply(Rgbq* table, uint32_t count) const {
    for (uint32_t i = 0; i < count && i < 256; ++i) {
      const Sum& sum = sums_[i];
      if (sum.count == 0) continue;
      auto mean = [&sum](uint64_t total) {
        return static_cast<uint8_t>((total + sum.count / 2) / sum.count);
      };
      table[i] = Rgbq{mean(sum.blue), mean(sum.green), mean(sum.red), 0};
    }
  }

 private:
  struct Sum {
    uint64_t blue = 0, green = 0, red = 0, count = 0;
  };
  Sum sums_[256];
};

// The chosen corner of a picture: its stored position, its source colour and its index.
struct Corner {
  int32_t index = -1;
  uint32_t key = 0;
};

Corner ReadCorner(const PackedDib& source, const PackedDib& reduced, int corner) {
  const DibHeader h = source.Header();
  const int32_t row = (corner == 1 || corner == 2) ? h.height - 1 : 0;
  const int32_t column = (corner == 2 || corner == 4) ? h.width - 1 : 0;
  return Corner{reduced.Pixels()[reduced.Stride() * row + column],
                PixelKey(source.Pixels() + source.Stride() * row + 3 * column)};
}

// The transparent colour placed as ConvertToIndexColor places it: with no corner, an extra
// entry (or the first unused one); with a corner, its index takes the transparent colour
// and, with diffusion, pixels of the corner colour become transparent while other pixels
// that the diffusion made transparent take a neighbour's index.
std::optional<IndexConversion> PlaceTransparent(const PackedDib& source, PackedDib reduced,
                                                const ColorChoices& choices,
                                                uint32_t transparentColor, const Corner& corner) {
  if (choices.transparentCorner == 0) {
    return AppendTransparentEntry(std::move(reduced), transparentColor);
  }
  const int32_t t = corner.index;
  if (t < 0 || static_cast<uint32_t>(t) >= reduced.ColorCount()) return std::nullopt;
  PlaceCornerTransparency(source, reduced, t, corner.key, transparentColor, !choices.noDiffusion);
  return IndexConversion{std::move(reduced), t};
}

float DitherLevel(const ColorChoices& choices) {
  return choices.noDiffusion ? 0.0f : kQualityDitherLevel;
}

// A result whose palette is exactly `palette`: every entry is a fixed colour, so mapping
// through it never moves an entry and every frame gets the same table.
Result FixedPaletteResult(const liq_palette& palette, float ditherLevel, int speed) {
  Attr attr = MakeAttr(static_cast<int>(palette.count), speed);
  if (!attr) return nullptr;
  Histogram histogram(liq_histogram_create(attr.get()));
  if (!histogram) return nullptr;
  // The histogram holds the palette's own colours; every one of them is also fixed.
  liq_histogram_entry entries[256];
  for (unsigned i = 0; i < palette.count; ++i)
    entries[i] = liq_histogram_entry{palette.entries[i], 1};
  if (liq_histogram_add_colors(histogram.get(), attr.get(), entries,
                               static_cast<int>(palette.count), 0) != LIQ_OK) {
    return nullptr;
  }
  for (unsigned i = 0; i < palette.count; ++i) {
    if (liq_histogram_add_fixed_color(histogram.get(), palette.entries[i], 0) != LIQ_OK) {
      return nullptr;
    }
  }
  liq_result* raw = nullptr;
  if (liq_histogram_quantize(histogram.get(), attr.get(), &raw) != LIQ_OK || raw == nullptr) {
    return nullptr;
  }
  Result result(raw);
  if (liq_set_dithering_level(result.get(), ditherLevel) != LIQ_OK) return nullptr;
  return result;
}

bool SameTable(const PackedDib& a, const PackedDib& b) {
  return a.ColorCount() == b.ColorCount() &&
         std::memcmp(a.ColorTable(), b.ColorTable(), 4 * a.ColorCount()) == 0;
}

// Where a source pixel equals the previous frame's source pixel, the previous frame's index
// is kept.
void KeepUnchanged(const PackedDib& source, const PackedDib& previousSource, PackedDib& reduced,
                   const PackedDib& previousReduced) {
  const DibHeader h = source.Header(), p = previousSource.Header();
  if (h.width != p.width || h.height != p.height) return;
  const size_t inStride = source.Stride(), outStride = reduced.Stride();
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* s = source.Pixels() + inStride * y;
    const uint8_t* ps = previousSource.Pixels() + inStride * y;
    uint8_t* d = reduced.Pixels() + outStride * y;
    const uint8_t* pd = previousReduced.Pixels() + outStride * y;
    for (int32_t x = 0; x < h.width; ++x) {
      if (s[3 * x] == ps[3 * x] && s[3 * x + 1] == ps[3 * x + 1] && s[3 * x + 2] == ps[3 * x + 2]) {
        d[x] = pd[x];
      }
    }
  }
}

}  // namespace

int QualityColorCount(const ColorChoices& choices) {
  int n = 2 << std::clamp(choices.colorCountIndex, 0, 7);
  if (n == 256 && std::clamp(choices.transparentCorner, 0, 4) == 0) n = 255;
  return choices.noDiffusion ? n : std::max(n, 16);
}

std::optional<IndexConversion> QualityConvertToIndexColor(const PackedDib& current,
                                                          const ColorChoices& choices,
                                                          uint32_t transparentColor) {
  if (!IsFullColor(current)) return std::nullopt;
  if (auto keyed = ReduceKeyedPicture(
          current, choices, transparentColor,
          [transparentColor](const PackedDib& filled, const ColorChoices& reduced) {
            return QualityConvertToIndexColor(filled, reduced, transparentColor);
          })) {
    return std::move(*keyed);
  }
  ColorChoices kept = choices;
  kept.transparentCorner = std::clamp(choices.transparentCorner, 0, 4);
  UseOneThread();
  const DibHeader h = current.Header();
  const int colors = QualityColorCount(kept);
  const bool dense = AreDense({&current});
  RgbaPicture rgba;
  Attr attr = MakeAttr(colors, SpeedFor(uint64_t(h.width) * uint64_t(h.height)));
  if (!attr || !rgba.Fill(current)) return std::nullopt;
  Image image = rgba.Make(attr.get());
  if (!image) return std::nullopt;
  liq_result* raw = nullptr;
  if (dense) {
    Attr merging = MakeAttr(colors, kMergedHistogramSpeed);
    if (!merging) return std::nullopt;
    Histogram histogram(liq_histogram_create(merging.get()));
    if (!histogram ||
        liq_histogram_add_image(histogram.get(), merging.get(), image.get()) != LIQ_OK ||
        liq_histogram_quantize(histogram.get(), attr.get(), &raw) != LIQ_OK) {
      return std::nullopt;
    }
  } else if (liq_image_quantize(image.get(), attr.get(), &raw) != LIQ_OK) {
    return std::nullopt;
  }
  if (raw == nullptr) return std::nullopt;
  Result result(raw);
  if (liq_set_dithering_level(result.get(), DitherLevel(kept)) != LIQ_OK) return std::nullopt;
  PackedDib reduced = Remap(result.get(), image.get(), h.width, h.height);
  if (!reduced) return std::nullopt;
  EntryMeans means;
  means.Add(current, reduced);
  means.Apply(reduced.ColorTable(), reduced.ColorCount());
  Corner corner;
  if (kept.transparentCorner != 0) corner = ReadCorner(current, reduced, kept.transparentCorner);
  return PlaceTransparent(current, std::move(reduced), kept, transparentColor, corner);
}

std::optional<IndexedFrames> QualityConvertFrames(const std::vector<PackedDib>& frames,
                                                  const ColorChoices& choices,
                                                  uint32_t transparentColor, int colorLimit) {
  if (frames.empty()) return std::nullopt;
  for (const PackedDib& frame : frames) {
    if (!IsFullColor(frame)) return std::nullopt;
  }
  ColorChoices kept = choices;
  kept.transparentCorner = std::clamp(choices.transparentCorner, 0, 4);

  // One palette from the colours of every frame.
  UseOneThread();
  uint64_t pixels = 0;  // of the largest frame
  for (const PackedDib& frame : frames) {
    pixels = std::max(pixels, uint64_t(frame.Header().width) * uint64_t(frame.Header().height));
  }
  const int speed = SpeedFor(pixels);
  const int colors = colorLimit >= 2 ? std::min(colorLimit, 256) : QualityColorCount(kept);
  std::vector<const PackedDib*> all;
  all.reserve(frames.size());
  for (const PackedDib& frame : frames) all.push_back(&frame);
  Attr attr = MakeAttr(colors, speed);
  // The histogram's own settings: merged neighbouring colours when the frames are dense.
  Attr counting = MakeAttr(colors, AreDense(all) ? kMergedHistogramSpeed : speed);
  if (!attr || !counting) return std::nullopt;
  Histogram histogram(liq_histogram_create(counting.get()));
  if (!histogram) return std::nullopt;
  for (const PackedDib& frame : frames) {
    RgbaPicture rgba;
    if (!rgba.Fill(frame)) return std::nullopt;
    Image image = rgba.Make(attr.get());
    if (!image ||
        liq_histogram_add_image(histogram.get(), counting.get(), image.get()) != LIQ_OK) {
      return std::nullopt;
    }
  }
  liq_result* raw = nullptr;
  if (liq_histogram_quantize(histogram.get(), attr.get(), &raw) != LIQ_OK || raw == nullptr) {
    return std::nullopt;
  }
  Result built(raw);
  const liq_palette* builtPalette = liq_get_palette(built.get());
  if (builtPalette == nullptr || builtPalette->count == 0) return std::nullopt;
  const liq_palette palette = *builtPalette;
  built.reset();

  // Every frame mapped on its own through the fixed palette, the frames shared out between
  // two threads; each thread has its own result, so the order of work changes nothing.
  std::vector<PackedDib> reducedFrames(frames.size());
  auto mapFrames = [&](size_t first, size_t step) {
    UseOneThread();
    Result result = FixedPaletteResult(palette, DitherLevel(kept), speed);
    Attr imageAttr = MakeAttr(2, speed);
    if (!result || !imageAttr) return;
    for (size_t i = first; i < frames.size(); i += step) {
      RgbaPicture rgba;
      if (!rgba.Fill(frames[i])) return;
      Image image = rgba.Make(imageAttr.get());
      if (!image) return;
      const DibHeader h = frames[i].Header();
      reducedFrames[i] = Remap(result.get(), image.get(), h.width, h.height);
      if (!reducedFrames[i]) return;
    }
  };
  if (frames.size() > 1) {
    std::thread helper;
    try {
      helper = std::thread(mapFrames, 1, 2);
    } catch (const std::system_error&) {
      mapFrames(1, 2);  // no second thread: the same work here
    }
    mapFrames(0, 2);
    if (helper.joinable()) helper.join();
  } else {
    mapFrames(0, 1);
  }

  // Unchanged pixels keep the index of the frame before, in frame order; then the shared
  // entries move to the means of their pixels in all frames.
  EntryMeans means;
  for (size_t i = 0; i < frames.size(); ++i) {
    if (!reducedFrames[i] || !SameTable(reducedFrames[i], reducedFrames[0])) return std::nullopt;
    if (i > 0) KeepUnchanged(frames[i], frames[i - 1], reducedFrames[i], reducedFrames[i - 1]);
    means.Add(frames[i], reducedFrames[i]);
  }
  for (PackedDib& reduced : reducedFrames) means.Apply(reduced.ColorTable(), reduced.ColorCount());

  // The transparent colour, read in the first frame and the same index in every frame.
  Corner corner;
  if (kept.transparentCorner != 0) {
    corner = ReadCorner(frames[0], reducedFrames[0], kept.transparentCorner);
  }
  IndexedFrames out;
  out.pictures.reserve(frames.size());
  for (size_t i = 0; i < frames.size(); ++i) {
    auto placed =
        PlaceTransparent(frames[i], std::move(reducedFrames[i]), kept, transparentColor, corner);
    if (!placed) return std::nullopt;
    if (i == 0) out.transparentIndex = placed->transparentIndex;
    if (placed->transparentIndex != out.transparentIndex) return std::nullopt;
    out.pictures.push_back(std::move(placed->picture));
  }
  return out;
}

}  // namespace zel

namespace zel {

std::optional<std::vector<Rgbq>> QualitySharedPalette(const std::vector<const PackedDib*>& pictures,
                                                      int colors, bool thorough) {
  if (pictures.empty()) return std::nullopt;
  uint64_t pixels = 0;
  for (const PackedDib* picture : pictures) {
    if (picture == nullptr || !IsFullColor(*picture)) return std::nullopt;
    pixels = std::max(pixels, uint64_t(picture->Header().width) * uint64_t(picture->Header().height));
  }
  UseOneThread();
  const int speed = thorough ? SpeedFor(pixels) : kMergedHistogramSpeed;
  Attr attr = MakeAttr(colors, speed);
  Attr counting = MakeAttr(colors, AreDense(pictures) ? kMergedHistogramSpeed : speed);
  if (!attr || !counting) return std::nullopt;
  Histogram histogram(liq_histogram_create(counting.get()));
  if (!histogram) return std::nullopt;
  for (const PackedDib* picture : pictures) {
    RgbaPicture rgba;
    if (!rgba.Fill(*picture)) return std::nullopt;
    Image image = rgba.Make(attr.get());
    if (!image ||
        liq_histogram_add_image(histogram.get(), counting.get(), image.get()) != LIQ_OK) {
      return std::nullopt;
    }
  }
  liq_result* raw = nullptr;
  if (liq_histogram_quantize(histogram.get(), attr.get(), &raw) != LIQ_OK || raw == nullptr) {
    return std::nullopt;
  }
  Result result(raw);
  const liq_palette* palette = liq_get_palette(result.get());
  if (palette == nullptr || palette->count == 0 || palette->count > 256) return std::nullopt;
  std::vector<Rgbq> table(palette->count);
  for (unsigned i = 0; i < palette->count; ++i) {
    const liq_color& c = palette->entries[i];
    table[i] = Rgbq{c.b, c.g, c.r, 0};
  }
  return table;
}

PackedDib QualityMapOntoPalette(const PackedDib& picture, const std::vector<Rgbq>& palette,
                                bool diffuse, bool thorough) {
  if (!IsFullColor(picture) || palette.empty() || palette.size() > 256) return {};
  UseOneThread();
  const DibHeader h = picture.Header();
  // The thorough mapping diffuses without libimagequant's map of edges (speeds below 6):
  // on frames of a video the map costs a third of the mapping's time and gains almost
  // nothing against the source.
  const int speed = thorough ? std::max(SpeedFor(uint64_t(h.width) * uint64_t(h.height)), 6) : 10;
  liq_palette fixed{};
  fixed.count = static_cast<unsigned>(palette.size());
  for (size_t i = 0; i < palette.size(); ++i) {
    fixed.entries[i] = liq_color{palette[i].red, palette[i].green, palette[i].blue, 255};
  }
  Result result = FixedPaletteResult(fixed, diffuse ? kQualityDitherLevel : 0.0f, speed);
  Attr imageAttr = MakeAttr(2, speed);
  RgbaPicture rgba;
  if (!result || !imageAttr || !rgba.Fill(picture)) return {};
  Image image = rgba.Make(imageAttr.get());
  if (!image) return {};
  PackedDib out = Remap(result.get(), image.get(), h.width, h.height);
  if (!out || out.ColorCount() == 0 || out.ColorCount() > 256) return {};
  // libimagequant may list the fixed colours in its own order: the indices are brought to
  // the palette's order, each entry to the palette's entry of its colour (the nearest one
  // should the colour have moved).
  uint8_t toPalette[256] = {};
  for (uint32_t j = 0; j < out.ColorCount(); ++j) {
    const Rgbq c = out.ColorTable()[j];
    int best = 0, bestDistance = 1 << 30;
    for (size_t i = 0; i < palette.size() && bestDistance > 0; ++i) {
      const int db = c.blue - palette[i].blue, dg = c.green - palette[i].green,
                dr = c.red - palette[i].red;
      const int distance = db * db + dg * dg + dr * dr;
      if (distance < bestDistance) {
        bestDistance = distance;
        best = static_cast<int>(i);
      }
    }
    toPalette[j] = static_cast<uint8_t>(best);
  }
  PackedDib mapped = NewPicture(h.width, h.height, 8, static_cast<uint32_t>(palette.size()),
                                palette.data());
  if (!mapped) return {};
  const size_t stride = out.Stride();
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* s = out.Pixels() + stride * y;
    uint8_t* d = mapped.Pixels() + stride * y;
    for (int32_t x = 0; x < h.width; ++x) d[x] = toPalette[s[x]];
  }
  return mapped;
}

void MoveSharedEntriesToMeans(const std::vector<const PackedDib*>& sources,
                              std::vector<PackedDib>& reduced) {
  if (sources.size() != reduced.size() || reduced.empty()) return;
  auto means = std::make_unique<EntryMeans>();
  for (size_t i = 0; i < reduced.size(); ++i) {
    if (sources[i] == nullptr || !reduced[i]) return;
    means->Add(*sources[i], reduced[i]);
  }
  for (PackedDib& r : reduced) means->Apply(r.ColorTable(), r.ColorCount());
}

}  // namespace zel
