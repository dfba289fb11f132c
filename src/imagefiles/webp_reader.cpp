#include "imagefiles/webp_reader.h"

#include <libimagequant.h>
#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "document/colour_key.h"
#include "imagefiles/binary_alpha.h"
#include "imagefiles/memory_budget.h"
#include "platform/file_io.h"

// From the OpenMP runtime libimagequant runs on (libgomp).
extern "C" void omp_set_num_threads(int threads);

namespace zel {
namespace {

// Partial alpha is mixed with white, as a PNG file without a background colour is.
constexpr uint32_t kMixWhite = 255;
// Bytes of working memory per canvas pixel besides the pictures kept: libwebp's canvas and
// its copy of the frame before (4 bytes each), this reader's copy of the frame and of the
// frame before (4 bytes each), and, when the palette is built, libimagequant's picture of the
// frame (4 bytes) with its indices and the room its remapping takes.
constexpr uint64_t kWorkBytesPerPixel = 24;
// Strength of the error diffusion when the frames need a built palette.
constexpr float kDitherLevel = 0.5f;
// libimagequant's fastest speed, used for the histogram of all frames.
constexpr int kMergedHistogramSpeed = 10;

struct DemuxFree {
  void operator()(WebPDemuxer* p) const { WebPDemuxDelete(p); }
};
struct DecoderFree {
  void operator()(WebPAnimDecoder* p) const { WebPAnimDecoderDelete(p); }
};
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

// What the headers say, read before anything is decoded.
struct Canvas {
  int32_t width = 0;
  int32_t height = 0;
  int framesInFile = 0;
  uint32_t loopCount = 0;  // plays: 0 for ever
};

void MixWithWhite(uint8_t* p) {
  const uint32_t a = p[3];
  for (int c = 0; c < 3; ++c) {
    p[c] = static_cast<uint8_t>((p[c] * a + kMixWhite * (255 - a) + 127) / 255);
  }
  p[3] = 255;
}

// A frame's pixels after transparency is settled: alpha is 0 or 255, colour of partial
// alpha mixed with white. Blue, green, red, alpha; rows top-down.
void SettleAlpha(uint8_t* bgra, size_t pixels) {
  for (size_t i = 0; i < pixels; ++i) {
    uint8_t* p = bgra + 4 * i;
    if (p[3] != 0 && p[3] != 255) MixWithWhite(p);
  }
}

uint32_t ColourOf(const uint8_t* bgra) {
  return PixelColour(bgra);
}

// Hundredths for frames ending at `endMs`, so that the sum of the delays up to any frame is
// its end time rounded.
int32_t Hundredths(int64_t endMs) {
  return static_cast<int32_t>((std::max<int64_t>(endMs, 0) + 5) / 10);
}

int32_t LoopCountOf(uint32_t plays) {
  if (plays == 0) return kLoopForever;
  if (plays == 1) return kPlayOnce;
  return static_cast<int32_t>(std::min<uint32_t>(plays - 1, kMaxLoopCount));
}

WebpReadResult ReadCanvas(const WebPData& data, Canvas* canvas) {
  std::unique_ptr<WebPDemuxer, DemuxFree> demux(WebPDemux(&data));
  if (!demux) return WebpReadResult::kCannotRead;
  const uint32_t width = WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH);
  const uint32_t height = WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT);
  const uint32_t frames = WebPDemuxGetI(demux.get(), WEBP_FF_FRAME_COUNT);
  // The format's sides have 24 bits; libwebp's own limit is far below.
  if (width < 1 || height < 1 || width > (1u << 24) || height > (1u << 24) || frames < 1 ||
      frames > 0x7FFFFFFFu) {
    return WebpReadResult::kCannotRead;
  }
  canvas->width = static_cast<int32_t>(width);
  canvas->height = static_cast<int32_t>(height);
  canvas->framesInFile = static_cast<int>(frames);
  canvas->loopCount = WebPDemuxGetI(demux.get(), WEBP_FF_LOOP_COUNT);
  return WebpReadResult::kOk;
}

// Decodes the frames one after another, handing each settled canvas to `take` (false
// stops with kNoMemory).
class FrameStream {
 public:
  explicit FrameStream(const WebPData& data) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) return;
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    decoder_.reset(WebPAnimDecoderNew(&data, &options));
  }
  bool ok() const { return decoder_ != nullptr; }

  template <typename Take>
  WebpReadResult Run(int frames, size_t pixels, Take&& take, bool settle = true) {
    WebPAnimDecoderReset(decoder_.get());
    std::vector<uint8_t> frame;
    try {
      frame.resize(pixels * 4);
    } catch (const std::bad_alloc&) {
      return WebpReadResult::kNoMemory;
    }
    for (int i = 0; i < frames; ++i) {
      uint8_t* buffer = nullptr;
      int timestamp = 0;
      if (!WebPAnimDecoderHasMoreFrames(decoder_.get()) ||
          !WebPAnimDecoderGetNext(decoder_.get(), &buffer, &timestamp) || buffer == nullptr) {
        return WebpReadResult::kCannotRead;
      }
      std::memcpy(frame.data(), buffer, frame.size());
      if (settle) SettleAlpha(frame.data(), pixels);
      if (!take(i, frame.data(), timestamp)) return WebpReadResult::kNoMemory;
    }
    return WebpReadResult::kOk;
  }

 private:
  std::unique_ptr<WebPAnimDecoder, DecoderFree> decoder_;
};

// The still picture as a PNG file with the same pixels comes in: with alpha of 0 and 255
// only, the picture with a transparent entry or key colour; with any partial alpha, every
// pixel mixed with white (alpha 0 too), 24-bit.
WebpReadResult TakeStill(FrameStream& stream, const Canvas& canvas, FrameSet& frames) {
  const size_t pixels = static_cast<size_t>(canvas.width) * static_cast<size_t>(canvas.height);
  PackedDib picture;
  const auto take = [&](int, uint8_t* bgra, int) {
    const size_t stride = static_cast<size_t>(canvas.width) * 4;
    const AlphaShape shape = ClassifyAlpha(bgra, stride, canvas.width, canvas.height);
    if (shape == AlphaShape::kBinary) {
      picture = PictureFromBinaryAlpha(bgra, stride, canvas.width, canvas.height, 0xFFFFFFu);
      return static_cast<bool>(picture);
    }
    if (shape == AlphaShape::kPartial) {
      for (size_t i = 0; i < pixels; ++i) MixWithWhite(bgra + 4 * i);
    }
    picture = NewPicture(canvas.width, canvas.height, 24, 0);
    if (!picture) return false;
    for (int32_t y = 0; y < canvas.height; ++y) {
      const uint8_t* in = bgra + stride * static_cast<size_t>(y);
      uint8_t* out = picture.Row(y);
      for (int32_t x = 0; x < canvas.width; ++x) std::memcpy(out + 3 * x, in + 4 * x, 3);
    }
    return true;
  };
  const WebpReadResult result = stream.Run(1, pixels, take, /*settle=*/false);
  if (result != WebpReadResult::kOk) return result;
  int32_t index = -1;
  frames.screenWidth = canvas.width;
  frames.screenHeight = canvas.height;
  frames.count = 1;
  frames.frame(0).image = std::move(picture);
  frames.frame(0).transparentIndex =
      ReadTransparencyTrailer(frames.frame(0).image, &index) ? index : -1;
  frames.transparentIndex = frames.frame(0).transparentIndex;
  return WebpReadResult::kOk;
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
WebpReadResult MapExactly(FrameStream& stream, int kept, size_t pixels, const ColourCount& count,
                          FrameSet& frames, std::vector<int64_t>& ends) {
  std::vector<Rgbq> entries;
  for (uint32_t colour : count.colours) entries.push_back(EntryOf(colour));
  const int32_t transparent = count.transparent ? static_cast<int32_t>(entries.size()) : -1;
  if (count.transparent) entries.push_back(EntryOf(0xFFFFFFu));
  SetPalette(frames, entries);
  frames.transparentIndex = transparent;
  const int32_t width = frames.screenWidth;
  const int32_t height = frames.screenHeight;
  return stream.Run(kept, pixels, [&](int i, const uint8_t* bgra, int timestamp) {
    PackedDib picture = NewFrame(frames);
    if (!picture) return false;
    for (int32_t y = 0; y < height; ++y) {
      const uint8_t* in = bgra + 4 * static_cast<size_t>(width) * static_cast<size_t>(y);
      uint8_t* out = picture.Row(y);
      uint32_t lastColour = 0;
      uint8_t lastIndex = 0;
      bool haveLast = false;
      for (int32_t x = 0; x < width; ++x) {
        const uint8_t* p = in + 4 * x;
        if (p[3] == 0) {
          out[x] = static_cast<uint8_t>(transparent);
          continue;
        }
        const uint32_t colour = ColourOf(p);
        if (!haveLast || colour != lastColour) {
          lastColour = colour;
          lastIndex = static_cast<uint8_t>(
              std::lower_bound(count.colours.begin(), count.colours.end(), colour) -
              count.colours.begin());
          haveLast = true;
        }
        out[x] = lastIndex;
      }
    }
    frames.frame(i).image = std::move(picture);
    frames.frame(i).transparentIndex = transparent;
    ends[static_cast<size_t>(i)] = timestamp;
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
WebpReadResult MapWithBuiltPalette(FrameStream& stream, int kept, size_t pixels, bool transparent,
                                   FrameSet& frames, std::vector<int64_t>& ends) {
  const int32_t width = frames.screenWidth;
  const int32_t height = frames.screenHeight;
  // libimagequant on this thread alone: its waiting workers would spin on a busy machine.
  omp_set_num_threads(1);
  std::unique_ptr<liq_attr, AttrFree> attr(liq_attr_create());
  if (!attr || liq_set_max_colors(attr.get(), transparent ? 255 : 256) != LIQ_OK) {
    return WebpReadResult::kNoMemory;
  }
  // The histogram of frames this dense merges neighbouring colours (libimagequant's fastest
  // speed sets only that): the palette search over every exact colour would take most of the
  // time and gain almost nothing.
  std::unique_ptr<liq_attr, AttrFree> merging(liq_attr_create());
  if (!merging || liq_set_speed(merging.get(), kMergedHistogramSpeed) != LIQ_OK) {
    return WebpReadResult::kNoMemory;
  }
  std::unique_ptr<liq_histogram, HistogramFree> histogram(liq_histogram_create(merging.get()));
  std::unique_ptr<liq_color[]> colours(new (std::nothrow) liq_color[pixels]);
  if (!histogram || !colours) return WebpReadResult::kNoMemory;
  WebpReadResult result = stream.Run(kept, pixels, [&](int, const uint8_t* bgra, int) {
    ToLiqColours(bgra, pixels, colours.get());
    std::unique_ptr<liq_image, ImageFree> image(
        liq_image_create_rgba(merging.get(), colours.get(), width, height, 0));
    return image &&
           liq_histogram_add_image(histogram.get(), merging.get(), image.get()) == LIQ_OK;
  });
  if (result != WebpReadResult::kOk) return result;
  liq_result* raw = nullptr;
  if (liq_histogram_quantize(histogram.get(), attr.get(), &raw) != LIQ_OK || raw == nullptr) {
    return WebpReadResult::kNoMemory;
  }
  std::unique_ptr<liq_result, ResultFree> quantized(raw);
  if (liq_set_dithering_level(quantized.get(), kDitherLevel) != LIQ_OK) {
    return WebpReadResult::kNoMemory;
  }
  const liq_palette* palette = liq_get_palette(quantized.get());
  if (palette == nullptr || palette->count < 1 || palette->count > 256) {
    return WebpReadResult::kNoMemory;
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
    if (entries.size() >= 256) return WebpReadResult::kNoMemory;
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
    return WebpReadResult::kNoMemory;
  }
  return stream.Run(kept, pixels, [&](int i, const uint8_t* bgra, int timestamp) {
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
    ends[static_cast<size_t>(i)] = timestamp;
    return true;
  });
}

WebpReadResult TakeAnimation(FrameStream& stream, const Canvas& canvas, int kept,
                             FrameSet& frames) {
  const size_t pixels = static_cast<size_t>(canvas.width) * static_cast<size_t>(canvas.height);
  frames.screenWidth = canvas.width;
  frames.screenHeight = canvas.height;
  ColourCount count;
  WebpReadResult result = stream.Run(kept, pixels, [&](int, const uint8_t* bgra, int) {
    CountColours(bgra, pixels, count);
    return true;
  });
  if (result != WebpReadResult::kOk) return result;
  std::vector<int64_t> ends(static_cast<size_t>(kept), 0);
  frames.count = kept;  // so that a failure below frees what was made
  result = count.tooMany
               ? MapWithBuiltPalette(stream, kept, pixels, count.transparent, frames, ends)
               : MapExactly(stream, kept, pixels, count, frames, ends);
  if (result != WebpReadResult::kOk) return result;
  int64_t previous = 0;
  for (int i = 0; i < kept; ++i) {
    const int64_t end = ends[static_cast<size_t>(i)];
    frames.frame(i).delay = std::max(Hundredths(end) - Hundredths(previous), 0);
    previous = std::max(previous, end);
  }
  frames.loopCount = LoopCountOf(canvas.loopCount);
  frames.loop = frames.loopCount == kPlayOnce ? 0 : 1;
  return WebpReadResult::kOk;
}

}  // namespace

bool HasWebpSignature(const uint8_t* data, size_t size) {
  return size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WEBP", 4) == 0;
}

WebpReadResult ReadWebpData(const uint8_t* data, size_t size, FrameSet& frames, int maxFrames,
                            int* framesInFile) {
  if (framesInFile != nullptr) *framesInFile = 0;
  frames.FreeFrames();
  if (data == nullptr || !HasWebpSignature(data, size) || maxFrames < 1) {
    return WebpReadResult::kCannotRead;
  }
  const WebPData webp{data, size};
  Canvas canvas;
  if (WebpReadResult r = ReadCanvas(webp, &canvas); r != WebpReadResult::kOk) return r;
  if (framesInFile != nullptr) *framesInFile = canvas.framesInFile;
  const int kept = std::min({canvas.framesInFile, maxFrames, frames.capacity()});
  if (kept < 1) return WebpReadResult::kCannotRead;

  // Everything the decoding will hold, from the headers alone.
  const uint64_t pixels = uint64_t(canvas.width) * uint64_t(canvas.height);
  const uint64_t pictureBytes =
      RowStride(kept == 1 ? 24 : 8, canvas.width) * uint64_t(canvas.height);
  const uint64_t budget = PictureMemoryBudget();
  if (pixels > budget / kWorkBytesPerPixel ||
      pictureBytes > (budget - pixels * kWorkBytesPerPixel) / uint64_t(kept)) {
    return WebpReadResult::kTooLarge;
  }

  FrameStream stream(webp);
  if (!stream.ok()) return WebpReadResult::kCannotRead;
  const WebpReadResult result =
      kept == 1 ? TakeStill(stream, canvas, frames) : TakeAnimation(stream, canvas, kept, frames);
  if (result != WebpReadResult::kOk) frames.Clear();
  return result;
}

WebpReadResult ReadWebpFile(const std::string& path, FrameSet& frames, int maxFrames,
                            int* framesInFile) {
  if (framesInFile != nullptr) *framesInFile = 0;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenFileForReading(path), std::fclose);
  if (!file) return WebpReadResult::kCannotRead;
  // A file longer than the budget is refused before it is read.
  if (fseeko(file.get(), 0, SEEK_END) != 0) return WebpReadResult::kCannotRead;
  const off_t length = ftello(file.get());
  if (length < 0 || fseeko(file.get(), 0, SEEK_SET) != 0) return WebpReadResult::kCannotRead;
  if (static_cast<uint64_t>(length) > PictureMemoryBudget()) return WebpReadResult::kTooLarge;
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(static_cast<size_t>(length));
  } catch (const std::bad_alloc&) {
    return WebpReadResult::kNoMemory;
  }
  if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    return WebpReadResult::kCannotRead;
  }
  return ReadWebpData(bytes.data(), bytes.size(), frames, maxFrames, framesInFile);
}

}  // namespace zel
