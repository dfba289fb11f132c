#include "imagefiles/apng_reader.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <new>
#include <vector>

#include "document/packed_dib.h"
#include "imagefiles/composed_frames.h"
#include "imagefiles/png_rules.h"

namespace zel {
namespace {

constexpr uint8_t kSignature[8] = {137, 'P', 'N', 'G', 13, 10, 26, 10};
// Longest chunk the format allows.
constexpr uint32_t kMaxChunkLength = 0x7FFFFFFFu;
// Bytes of working memory per canvas pixel besides the pictures kept: the canvas, the
// region kept for dispose "previous", the decoded frame and the copy handed on (4 bytes
// each), and, when the palette is built, the palette step's own 9 bytes and room for its
// remapping.
constexpr uint64_t kWorkBytesPerPixel = 32;

constexpr uint32_t ChunkType(const char (&name)[5]) {
  return uint32_t(uint8_t(name[0])) << 24 | uint32_t(uint8_t(name[1])) << 16 |
         uint32_t(uint8_t(name[2])) << 8 | uint32_t(uint8_t(name[3]));
}
constexpr uint32_t kIHDR = ChunkType("IHDR");
constexpr uint32_t kPLTE = ChunkType("PLTE");
constexpr uint32_t kTRNS = ChunkType("tRNS");
constexpr uint32_t kGAMA = ChunkType("gAMA");
constexpr uint32_t kSRGB = ChunkType("sRGB");
constexpr uint32_t kIDAT = ChunkType("IDAT");
constexpr uint32_t kIEND = ChunkType("IEND");
constexpr uint32_t kACTL = ChunkType("acTL");
constexpr uint32_t kFCTL = ChunkType("fcTL");
constexpr uint32_t kFDAT = ChunkType("fdAT");

constexpr uint8_t kDisposeNone = 0;
constexpr uint8_t kDisposeBackground = 1;  // cleared to transparent
constexpr uint8_t kDisposePrevious = 2;    // back to what was there before
constexpr uint8_t kBlendSource = 0;
constexpr uint8_t kBlendOver = 1;

uint32_t Be32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

struct Piece {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

// One frame as its fcTL chunk describes it, with its compressed data (IDAT or fdAT bodies).
struct FrameControl {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t x = 0;
  uint32_t y = 0;
  uint16_t delayNum = 0;
  uint16_t delayDen = 0;
  uint8_t dispose = kDisposeNone;
  uint8_t blend = kBlendSource;
  std::vector<Piece> data;
  uint64_t dataBytes = 0;
};

// What the chunk sequence says, checked in full before any frame is decoded.
struct Animation {
  uint32_t width = 0;
  uint32_t height = 0;
  uint8_t bitDepth = 0;
  uint8_t colorType = 0;
  uint8_t interlace = 0;
  std::vector<Piece> header;  // PLTE, tRNS, gAMA, sRGB: whole chunks, as the frames need them
  bool animated = false;      // an acTL chunk came before the image data
  uint32_t frameCount = 0;
  uint32_t plays = 0;
  bool defaultIsFirst = false;  // the default image is the first frame
  std::vector<FrameControl> frames;
};

bool ValidHeader(const Animation& a) {
  if (a.width < 1 || a.height < 1 || a.width > kPngMaxSide || a.height > kPngMaxSide) {
    return false;
  }
  if (a.interlace > 1) return false;
  switch (a.colorType) {
    case 0:
      return a.bitDepth == 1 || a.bitDepth == 2 || a.bitDepth == 4 || a.bitDepth == 8 ||
             a.bitDepth == 16;
    case 3:
      return a.bitDepth == 1 || a.bitDepth == 2 || a.bitDepth == 4 || a.bitDepth == 8;
    case 2:
    case 4:
    case 6:
      return a.bitDepth == 8 || a.bitDepth == 16;
    default:
      return false;
  }
}

bool ReadFrameControl(const uint8_t* body, uint32_t length, const Animation& a,
                      FrameControl* fc) {
  if (length != 26) return false;
  fc->width = Be32(body + 4);
  fc->height = Be32(body + 8);
  fc->x = Be32(body + 12);
  fc->y = Be32(body + 16);
  fc->delayNum = Be16(body + 20);
  fc->delayDen = Be16(body + 22);
  fc->dispose = body[24];
  fc->blend = body[25];
  return fc->width >= 1 && fc->height >= 1 && uint64_t{fc->x} + fc->width <= a.width &&
         uint64_t{fc->y} + fc->height <= a.height && fc->dispose <= kDisposePrevious &&
         fc->blend <= kBlendOver;
}

// Walks every chunk: lengths within the file, checksums right, IHDR first, the animation's
// chunks in sequence and in their places, IEND last. False for any fault.
bool ReadChunks(const uint8_t* data, size_t size, Animation* a) {
  if (size < 8 || std::memcmp(data, kSignature, 8) != 0) return false;
  size_t pos = 8;
  bool first = true;
  bool seenImageData = false;
  bool afterImageData = false;  // a chunk other than IDAT followed the image data
  uint32_t sequence = 0;
  FrameControl* current = nullptr;  // the frame whose data comes next
  while (true) {
    if (size - pos < 12) return false;  // cut off before IEND
    const uint32_t length = Be32(data + pos);
    if (length > kMaxChunkLength || length > size - pos - 12) return false;
    const uint32_t type = Be32(data + pos + 4);
    const uint8_t* body = data + pos + 8;
    const uint32_t crc = static_cast<uint32_t>(crc32(0, data + pos + 4, length + 4));
    if (crc != Be32(body + length)) return false;
    const Piece whole{data + pos, size_t{length} + 12};
    pos += size_t{length} + 12;

    if (first) {
      if (type != kIHDR || length != 13) return false;
      a->width = Be32(body);
      a->height = Be32(body + 4);
      a->bitDepth = body[8];
      a->colorType = body[9];
      a->interlace = body[12];
      if (body[10] != 0 || body[11] != 0 || !ValidHeader(*a)) return false;
      first = false;
      continue;
    }
    if (type == kIEND) break;
    if (type == kIDAT) {
      if (afterImageData) return false;  // image data split by other chunks
      seenImageData = true;
      if (a->animated && a->defaultIsFirst) {
        current->data.push_back(Piece{body, length});
        current->dataBytes += length;
      }
      continue;
    }
    if (seenImageData) afterImageData = true;
    if (type == kACTL) {
      if (seenImageData) continue;  // too late: the file is a still picture
      if (a->animated || length != 8) return false;
      a->animated = true;
      a->frameCount = Be32(body);
      a->plays = Be32(body + 4);
      if (a->frameCount < 1 || a->frameCount > 0x7FFFFFFFu) return false;
    } else if (type == kFCTL) {
      if (!a->animated) {
        if (seenImageData) continue;  // not an animation: the chunk means nothing
        return false;
      }
      if (length < 4 || Be32(body) != sequence++) return false;
      if (a->frames.size() >= a->frameCount) return false;
      // Only one frame comes before the image data, and every frame before this one has data.
      if (!seenImageData && !a->frames.empty()) return false;
      if (current != nullptr && current->data.empty()) return false;
      FrameControl fc;
      if (!ReadFrameControl(body, length, *a, &fc)) return false;
      if (!seenImageData) {
        // The default image is the first frame: it covers the whole canvas.
        if (fc.x != 0 || fc.y != 0 || fc.width != a->width || fc.height != a->height) {
          return false;
        }
        a->defaultIsFirst = true;
      }
      try {
        a->frames.push_back(std::move(fc));
      } catch (const std::bad_alloc&) {
        return false;
      }
      current = &a->frames.back();
    } else if (type == kFDAT) {
      if (!a->animated) continue;
      if (length < 4 || Be32(body) != sequence++) return false;
      if (current == nullptr || !seenImageData || (a->defaultIsFirst && a->frames.size() == 1)) {
        return false;
      }
      current->data.push_back(Piece{body + 4, size_t{length} - 4});
      current->dataBytes += length - 4;
    } else if (!seenImageData &&
               (type == kPLTE || type == kTRNS || type == kGAMA || type == kSRGB)) {
      a->header.push_back(whole);
    }
  }
  if (!seenImageData) return false;
  if (!a->animated) return true;
  if (a->frames.size() != a->frameCount) return false;
  for (const FrameControl& fc : a->frames) {
    if (fc.data.empty()) return false;
  }
  return true;
}

// Seconds of a frame: delay_num / delay_den, a denominator of 0 meaning 100.
double DelaySeconds(const FrameControl& fc) {
  return double(fc.delayNum) / double(fc.delayDen == 0 ? 100 : fc.delayDen);
}

// A frame's own PNG stream for libpng: the canvas's header chunks with the frame's size, and
// its data as one IDAT chunk.
bool BuildFrameStream(const Animation& a, const FrameControl& fc, std::vector<uint8_t>& out) {
  out.clear();
  try {
    out.reserve(8 + 25 + 12 + fc.dataBytes + 12 + 64 * a.header.size() + 1024);
    out.insert(out.end(), kSignature, kSignature + 8);
    const auto chunk = [&](const char (&name)[5], const std::vector<Piece>& body) {
      uint64_t length = 0;
      for (const Piece& p : body) length += p.size;
      PutBe32(out, static_cast<uint32_t>(length));
      const size_t typeAt = out.size();
      out.insert(out.end(), name, name + 4);
      for (const Piece& p : body) out.insert(out.end(), p.data, p.data + p.size);
      const uint32_t crc =
          static_cast<uint32_t>(crc32(0, out.data() + typeAt, static_cast<uInt>(length + 4)));
      PutBe32(out, crc);
    };
    uint8_t ihdr[13];
    for (int i = 0; i < 4; ++i) {
      ihdr[i] = static_cast<uint8_t>(fc.width >> (24 - 8 * i));
      ihdr[4 + i] = static_cast<uint8_t>(fc.height >> (24 - 8 * i));
    }
    ihdr[8] = a.bitDepth;
    ihdr[9] = a.colorType;
    ihdr[10] = 0;
    ihdr[11] = 0;
    ihdr[12] = a.interlace;
    chunk("IHDR", {Piece{ihdr, 13}});
    for (const Piece& p : a.header) out.insert(out.end(), p.data, p.data + p.size);
    chunk("IDAT", fc.data);
    chunk("IEND", {});
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

struct MemorySource {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t pos = 0;
};

void ReadBytes(png_structp png, png_bytep out, size_t count) {
  auto* src = static_cast<MemorySource*>(png_get_io_ptr(png));
  if (count > src->size - src->pos) png_error(png, "data ends early");
  std::memcpy(out, src->data + src->pos, count);
  src->pos += count;
}

[[noreturn]] void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

struct PngHandles {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngHandles() {
    png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (png != nullptr) info = png_create_info_struct(png);
  }
  ~PngHandles() { png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr); }
  PngHandles(const PngHandles&) = delete;
  PngHandles& operator=(const PngHandles&) = delete;
};

// libpng behind its setjmp: the frame's pixels as blue, green, red, alpha into `rows`, which
// point into memory owned outside this frame.
bool DecodeWithLibpng(PngHandles& handles, MemorySource& src, uint32_t width, uint32_t height,
                      png_bytep* rows) {
  png_structp png = handles.png;
  png_infop info = handles.info;
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_user_limits(png, kPngMaxSide, kPngMaxSide);
  png_set_read_fn(png, &src, ReadBytes);
  png_read_info(png, info);
  if (png_get_image_width(png, info) != width || png_get_image_height(png, info) != height) {
    return false;
  }
  const int colorType = png_get_color_type(png, info);
  png_set_strip_16(png);
  png_set_expand(png);
  if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_bgr(png);
  RequestPngGamma(png, info);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != size_t{4} * width || png_get_channels(png, info) != 4 ||
      png_get_bit_depth(png, info) != 8) {
    return false;
  }
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  return true;
}

// Composes the frames on the canvas, decoding each again from its data every time.
class FrameComposer : public ComposedFrames {
 public:
  explicit FrameComposer(const Animation& a) : a_(a) {}

  ComposedResult Run(int frames, const Take& take) override {
    const size_t pixels = size_t{a_.width} * a_.height;
    try {
      canvas_.assign(pixels * 4, 0);
      shown_.resize(pixels * 4);
    } catch (const std::bad_alloc&) {
      return ComposedResult::kNoMemory;
    }
    for (int i = 0; i < frames; ++i) {
      const FrameControl& fc = a_.frames[static_cast<size_t>(i)];
      if (ComposedResult r = Decode(fc); r != ComposedResult::kOk) return r;
      // The first frame's "previous" is the cleared canvas.
      const uint8_t dispose =
          i == 0 && fc.dispose == kDisposePrevious ? kDisposeBackground : fc.dispose;
      if (dispose == kDisposePrevious && !Keep(fc)) return ComposedResult::kNoMemory;
      Draw(fc);
      std::memcpy(shown_.data(), canvas_.data(), shown_.size());
      SettleAlpha(shown_.data(), pixels);
      if (!take(i, shown_.data())) return ComposedResult::kNoMemory;
      if (dispose == kDisposeBackground) {
        for (uint32_t y = 0; y < fc.height; ++y) std::memset(At(fc.x, fc.y + y), 0, 4 * fc.width);
      } else if (dispose == kDisposePrevious) {
        for (uint32_t y = 0; y < fc.height; ++y) {
          std::memcpy(At(fc.x, fc.y + y), &kept_[size_t{4} * fc.width * y], 4 * fc.width);
        }
      }
    }
    return ComposedResult::kOk;
  }

 private:
  uint8_t* At(uint32_t x, uint32_t y) {
    return &canvas_[4 * (size_t{y} * a_.width + x)];
  }

  ComposedResult Decode(const FrameControl& fc) {
    // The frame's rows cannot hold more bytes than its data can inflate to.
    const uint64_t bitsPerPixel =
        uint64_t{a_.bitDepth} * (a_.colorType == 2 ? 3 : a_.colorType == 4 ? 2
                                 : a_.colorType == 6 ? 4 : 1);
    const uint64_t stored = uint64_t{fc.height} * (1 + (fc.width * bitsPerPixel + 7) / 8);
    if (stored > kMaxInflateRatio * fc.dataBytes + kInflateSlack ||
        fc.dataBytes > kMaxChunkLength) {
      return ComposedResult::kCannotRead;
    }
    std::vector<png_bytep> rows;
    try {
      if (!BuildFrameStream(a_, fc, stream_)) return ComposedResult::kNoMemory;
      frame_.resize(size_t{4} * fc.width * fc.height);
      rows.resize(fc.height);
    } catch (const std::bad_alloc&) {
      return ComposedResult::kNoMemory;
    }
    for (uint32_t y = 0; y < fc.height; ++y) rows[y] = &frame_[size_t{4} * fc.width * y];
    PngHandles handles;
    if (handles.info == nullptr) return ComposedResult::kNoMemory;
    MemorySource src{stream_.data(), stream_.size(), 0};
    return DecodeWithLibpng(handles, src, fc.width, fc.height, rows.data())
               ? ComposedResult::kOk
               : ComposedResult::kCannotRead;
  }

  bool Keep(const FrameControl& fc) {
    try {
      kept_.resize(size_t{4} * fc.width * fc.height);
    } catch (const std::bad_alloc&) {
      return false;
    }
    for (uint32_t y = 0; y < fc.height; ++y) {
      std::memcpy(&kept_[size_t{4} * fc.width * y], At(fc.x, fc.y + y), 4 * fc.width);
    }
    return true;
  }

  // The frame onto its region: replacing what is there, or over it by its alpha.
  void Draw(const FrameControl& fc) {
    for (uint32_t y = 0; y < fc.height; ++y) {
      const uint8_t* in = &frame_[size_t{4} * fc.width * y];
      uint8_t* out = At(fc.x, fc.y + y);
      if (fc.blend == kBlendSource) {
        std::memcpy(out, in, 4 * fc.width);
        continue;
      }
      for (uint32_t x = 0; x < fc.width; ++x, in += 4, out += 4) {
        const uint32_t sa = in[3];
        if (sa == 255) {
          std::memcpy(out, in, 4);
        } else if (sa != 0) {
          const uint32_t da = out[3] * (255 - sa) / 255;  // what shows through
          const uint32_t a = sa + da;
          for (int c = 0; c < 3; ++c) {
            out[c] = static_cast<uint8_t>((in[c] * sa + out[c] * da + a / 2) / a);
          }
          out[3] = static_cast<uint8_t>(a);
        }
      }
    }
  }

  const Animation& a_;
  std::vector<uint8_t> canvas_;
  std::vector<uint8_t> shown_;
  std::vector<uint8_t> kept_;
  std::vector<uint8_t> frame_;
  std::vector<uint8_t> stream_;
};

ApngReadResult ResultOf(ComposedResult result) {
  switch (result) {
    case ComposedResult::kOk:
      return ApngReadResult::kOk;
    case ComposedResult::kNoMemory:
      return ApngReadResult::kNoMemory;
    default:
      return ApngReadResult::kCannotRead;
  }
}

ApngReadResult TakeAnimation(const Animation& a, int kept, FrameSet& frames) {
  FrameComposer composer(a);
  const auto width = static_cast<int32_t>(a.width);
  const auto height = static_cast<int32_t>(a.height);
  if (ComposedResult r = PaletteFramesFromComposed(composer, width, height, kept, frames);
      r != ComposedResult::kOk) {
    return ResultOf(r);
  }
  // Each delay is the rounded end time less the rounded end time before it.
  double end = 0;
  int64_t previous = 0;
  for (int i = 0; i < kept; ++i) {
    end += DelaySeconds(a.frames[static_cast<size_t>(i)]) * 100;
    const auto rounded = static_cast<int64_t>(std::floor(end + 0.5 + 1e-9));
    frames.frame(i).delay = static_cast<int32_t>(std::clamp<int64_t>(rounded - previous, 0,
                                                                     INT32_MAX));
    previous = rounded;
  }
  frames.loopCount = LoopCountOfPlays(a.plays);
  frames.loop = frames.loopCount == kPlayOnce ? 0 : 1;
  if (kept == 1 && frames.frame(0).transparentIndex >= 0 &&
      !WriteTransparencyTrailer(frames.frame(0).image, frames.frame(0).transparentIndex)) {
    return ApngReadResult::kNoMemory;
  }
  return ApngReadResult::kOk;
}

}  // namespace

ApngReadResult ReadApngData(const uint8_t* data, size_t size, FrameSet& frames, int maxFrames,
                            int* framesInFile) {
  if (framesInFile != nullptr) *framesInFile = 0;
  frames.FreeFrames();
  if (data == nullptr || maxFrames < 1) return ApngReadResult::kCannotRead;
  Animation a;
  const bool whole = ReadChunks(data, size, &a);
  // A file without its acTL chunk before the fault is left to the still reader.
  if (!a.animated) return ApngReadResult::kNotAnimated;
  if (!whole) return ApngReadResult::kCannotRead;
  const int inFile = static_cast<int>(a.frameCount);
  const int kept = std::min({inFile, maxFrames, frames.capacity()});
  if (kept < 1) return ApngReadResult::kCannotRead;
  // One frame that is the default image: the still picture.
  if (kept == 1 && a.defaultIsFirst) return ApngReadResult::kNotAnimated;
  if (framesInFile != nullptr) *framesInFile = inFile;
  if (!ComposedFramesFit(static_cast<int32_t>(a.width), static_cast<int32_t>(a.height), kept, 8,
                         kWorkBytesPerPixel)) {
    if (framesInFile != nullptr) *framesInFile = 0;
    return ApngReadResult::kTooLarge;
  }
  const ApngReadResult result = TakeAnimation(a, kept, frames);
  if (result != ApngReadResult::kOk) {
    frames.Clear();
    if (framesInFile != nullptr) *framesInFile = 0;
  }
  return result;
}

}  // namespace zel
