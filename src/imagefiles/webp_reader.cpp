#include "imagefiles/webp_reader.h"

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
#include "imagefiles/composed_frames.h"
#include "imagefiles/memory_budget.h"
#include "platform/file_io.h"

namespace zel {
namespace {

// Bytes of working memory per canvas pixel besides the pictures kept: libwebp's canvas and
// its copy of the frame before (4 bytes each), this reader's copy of the frame and of the
// frame before (4 bytes each), and, when the palette is built, libimagequant's picture of the
// frame (4 bytes) with its indices and the room its remapping takes.
constexpr uint64_t kWorkBytesPerPixel = 24;

struct DemuxFree {
  void operator()(WebPDemuxer* p) const { WebPDemuxDelete(p); }
};
struct DecoderFree {
  void operator()(WebPAnimDecoder* p) const { WebPAnimDecoderDelete(p); }
};

// What the headers say, read before anything is decoded.
struct Canvas {
  int32_t width = 0;
  int32_t height = 0;
  int framesInFile = 0;
  uint32_t loopCount = 0;  // plays: 0 for ever
};

WebpReadResult ResultOf(ComposedResult result) {
  switch (result) {
    case ComposedResult::kOk:
      return WebpReadResult::kOk;
    case ComposedResult::kNoMemory:
      return WebpReadResult::kNoMemory;
    default:
      return WebpReadResult::kCannotRead;
  }
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

// Decodes the frames one after another, handing each canvas to `take` (false stops with
// kNoMemory) and keeping each frame's end time in milliseconds.
class FrameStream : public ComposedFrames {
 public:
  explicit FrameStream(const WebPData& data) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) return;
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    decoder_.reset(WebPAnimDecoderNew(&data, &options));
  }
  bool ok() const { return decoder_ != nullptr; }
  const std::vector<int64_t>& ends() const { return ends_; }

  ComposedResult Run(int frames, const Take& take) override {
    return Decode(frames, take, /*settle=*/true);
  }

  // With `settle` false the canvas comes with its alpha as decoded.
  ComposedResult Decode(int frames, const Take& take, bool settle) {
    WebPAnimDecoderReset(decoder_.get());
    WebPAnimInfo info;
    if (!WebPAnimDecoderGetInfo(decoder_.get(), &info)) return ComposedResult::kCannotRead;
    const size_t pixels = size_t{info.canvas_width} * size_t{info.canvas_height};
    std::vector<uint8_t> frame;
    try {
      frame.resize(pixels * 4);
      ends_.assign(static_cast<size_t>(frames), 0);
    } catch (const std::bad_alloc&) {
      return ComposedResult::kNoMemory;
    }
    for (int i = 0; i < frames; ++i) {
      uint8_t* buffer = nullptr;
      int timestamp = 0;
      if (!WebPAnimDecoderHasMoreFrames(decoder_.get()) ||
          !WebPAnimDecoderGetNext(decoder_.get(), &buffer, &timestamp) || buffer == nullptr) {
        return ComposedResult::kCannotRead;
      }
      std::memcpy(frame.data(), buffer, frame.size());
      if (settle) SettleAlpha(frame.data(), pixels);
      ends_[static_cast<size_t>(i)] = timestamp;
      if (!take(i, frame.data())) return ComposedResult::kNoMemory;
    }
    return ComposedResult::kOk;
  }

 private:
  std::unique_ptr<WebPAnimDecoder, DecoderFree> decoder_;
  std::vector<int64_t> ends_;
};

// The still picture as a PNG file with the same pixels comes in: with alpha of 0 and 255
// only, the picture with a transparent entry or key colour; with any partial alpha, every
// pixel mixed with white (alpha 0 too), 24-bit.
WebpReadResult TakeStill(FrameStream& stream, const Canvas& canvas, FrameSet& frames) {
  const size_t pixels = static_cast<size_t>(canvas.width) * static_cast<size_t>(canvas.height);
  PackedDib picture;
  const auto take = [&](int, uint8_t* bgra) {
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
  if (const ComposedResult result = stream.Decode(1, take, /*settle=*/false);
      result != ComposedResult::kOk) {
    return ResultOf(result);
  }
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

WebpReadResult TakeAnimation(FrameStream& stream, const Canvas& canvas, int kept,
                             FrameSet& frames) {
  const ComposedResult result =
      PaletteFramesFromComposed(stream, canvas.width, canvas.height, kept, frames);
  if (result != ComposedResult::kOk) return ResultOf(result);
  const std::vector<int64_t>& ends = stream.ends();
  int64_t previous = 0;
  for (int i = 0; i < kept; ++i) {
    const int64_t end = ends[static_cast<size_t>(i)];
    frames.frame(i).delay = HundredthsBetween(previous, end);
    previous = std::max(previous, end);
  }
  frames.loopCount = LoopCountOfPlays(canvas.loopCount);
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
  if (!ComposedFramesFit(canvas.width, canvas.height, kept, kept == 1 ? 24 : 8,
                         kWorkBytesPerPixel)) {
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