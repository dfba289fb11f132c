#include "imagefiles/png_writer.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>

#include "platform/atomic_file.h"
#include "platform/parallel.h"

namespace zel {
namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Compressed data goes into IDAT and fdAT chunks of at most this many bytes.
constexpr size_t kDataPiece = 1u << 20;

// Where chunks go: appended to a buffer, or to the file being written. False when they
// could not be stored.
using ChunkSink = std::function<bool(const std::vector<uint8_t>&)>;

void AppendBe32(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value >> 24));
  out.push_back(static_cast<uint8_t>(value >> 16));
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

void AppendBe16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

// One chunk: length, type, data, the CRC of type and data.
void AppendChunk(std::vector<uint8_t>& out, const char type[5], const uint8_t* data,
                 size_t size) {
  AppendBe32(out, static_cast<uint32_t>(size));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  if (size > 0) out.insert(out.end(), data, data + size);
  const uLong crc = crc32(0L, out.data() + typeAt, static_cast<uInt>(4));
  const uLong all = size > 0 ? crc32(crc, data, static_cast<uInt>(size)) : crc;
  AppendBe32(out, static_cast<uint32_t>(all));
}

void AppendChunk(std::vector<uint8_t>& out, const char type[5],
                 const std::vector<uint8_t>& data) {
  AppendChunk(out, type, data.data(), data.size());
}

// How the samples are stored.
enum class SampleFormat { kIndexed, kRgb, kRgba };

int BytesPerPixel(SampleFormat format) {
  return format == SampleFormat::kIndexed ? 1 : format == SampleFormat::kRgb ? 3 : 4;
}

uint8_t ColourType(SampleFormat format) {
  return format == SampleFormat::kIndexed ? 3 : format == SampleFormat::kRgb ? 2 : 6;
}

struct Rect {
  int32_t x = 0, y = 0, width = 0, height = 0;
};

// A picture's samples in the file's format, top row first, rows without filter bytes.
struct Samples {
  int32_t width = 0;
  int32_t height = 0;
  int bpp = 1;
  std::vector<uint8_t> bytes;
  const uint8_t* Row(int32_t y) const {
    return bytes.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * bpp;
  }
};

void MakeSamples(const PackedDib& picture, const PictureLayout& layout, SampleFormat format,
                 int32_t transparentIndex, Samples& out) {
  out.width = layout.width;
  out.height = layout.height;
  out.bpp = BytesPerPixel(format);
  if (format == SampleFormat::kIndexed) {
    const size_t width = static_cast<size_t>(layout.width);
    out.bytes.resize(width * static_cast<size_t>(layout.height));
    for (int32_t y = 0; y < layout.height; ++y) {
      std::memcpy(out.bytes.data() + static_cast<size_t>(y) * width, picture.Row(y), width);
    }
    return;
  }
  PictureToRgba(picture, layout, layout.bits == 8 ? transparentIndex : -1, out.bytes);
  if (format == SampleFormat::kRgb) {
    const size_t pixels = out.bytes.size() / 4;
    for (size_t i = 0; i < pixels; ++i) {
      out.bytes[3 * i] = out.bytes[4 * i];
      out.bytes[3 * i + 1] = out.bytes[4 * i + 1];
      out.bytes[3 * i + 2] = out.bytes[4 * i + 2];
    }
    out.bytes.resize(pixels * 3);
  }
}

// The smallest rectangle outside which `now` equals `before`; width 0 when they are equal.
Rect ChangedRect(const Samples& before, const Samples& now) {
  const size_t rowBytes = static_cast<size_t>(now.width) * static_cast<size_t>(now.bpp);
  int32_t top = 0;
  while (top < now.height && std::memcmp(before.Row(top), now.Row(top), rowBytes) == 0) ++top;
  if (top == now.height) return {};
  int32_t bottom = now.height - 1;
  while (std::memcmp(before.Row(bottom), now.Row(bottom), rowBytes) == 0) --bottom;
  int32_t left = now.width, right = -1;
  const int bpp = now.bpp;
  for (int32_t y = top; y <= bottom; ++y) {
    const uint8_t* a = before.Row(y);
    const uint8_t* b = now.Row(y);
    int32_t x = 0;
    while (x < left && std::memcmp(a + x * bpp, b + x * bpp, bpp) == 0) ++x;
    left = std::min(left, x);
    int32_t r = now.width - 1;
    while (r > right && std::memcmp(a + r * bpp, b + r * bpp, bpp) == 0) --r;
    right = std::max(right, r);
  }
  return {left, top, right - left + 1, bottom - top + 1};
}

uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
  return static_cast<uint8_t>(pb <= pc ? b : c);
}

// The filtered rows of `rect` (a filter byte before each row): none for palette samples,
// for colour the filter whose bytes sum smallest as signed values, per row.
std::vector<uint8_t> FilterRows(const Samples& samples, const Rect& rect) {
  const int bpp = samples.bpp;
  const size_t rowBytes = static_cast<size_t>(rect.width) * static_cast<size_t>(bpp);
  std::vector<uint8_t> out;
  out.reserve((rowBytes + 1) * static_cast<size_t>(rect.height));
  std::vector<uint8_t> zero(rowBytes, 0);
  std::array<std::vector<uint8_t>, 5> trial;
  for (auto& t : trial) t.resize(rowBytes);
  for (int32_t y = 0; y < rect.height; ++y) {
    const uint8_t* row = samples.Row(rect.y + y) + static_cast<size_t>(rect.x) * bpp;
    const uint8_t* up =
        y > 0 ? samples.Row(rect.y + y - 1) + static_cast<size_t>(rect.x) * bpp : zero.data();
    if (bpp == 1) {
      out.push_back(0);
      out.insert(out.end(), row, row + rowBytes);
      continue;
    }
    for (size_t i = 0; i < rowBytes; ++i) {
      const int a = i >= static_cast<size_t>(bpp) ? row[i - bpp] : 0;
      const int b = up[i];
      const int c = i >= static_cast<size_t>(bpp) ? up[i - bpp] : 0;
      trial[0][i] = row[i];
      trial[1][i] = static_cast<uint8_t>(row[i] - a);
      trial[2][i] = static_cast<uint8_t>(row[i] - b);
      trial[3][i] = static_cast<uint8_t>(row[i] - ((a + b) >> 1));
      trial[4][i] = static_cast<uint8_t>(row[i] - Paeth(a, b, c));
    }
    size_t best = 0;
    uint64_t bestSum = UINT64_MAX;
    for (size_t f = 0; f < trial.size(); ++f) {
      uint64_t sum = 0;
      for (uint8_t v : trial[f]) sum += v < 128 ? v : 256 - v;
      if (sum < bestSum) {
        bestSum = sum;
        best = f;
      }
    }
    out.push_back(static_cast<uint8_t>(best));
    out.insert(out.end(), trial[best].begin(), trial[best].end());
  }
  return out;
}

// The zlib stream of the filtered rows; false when zlib fails. Throws std::bad_alloc.
bool Deflate(const std::vector<uint8_t>& raw, std::vector<uint8_t>& out) {
  struct Stream {
    z_stream z{};
    bool open = false;
    ~Stream() {
      if (open) deflateEnd(&z);
    }
  } stream;
  if (deflateInit2(&stream.z, 9, Z_DEFLATED, 15, 9, Z_DEFAULT_STRATEGY) != Z_OK) return false;
  stream.open = true;
  out.clear();
  out.reserve(raw.size() / 4 + 64);
  std::vector<uint8_t> buffer(1u << 16);
  size_t fed = 0;
  int result = Z_OK;
  do {
    // zlib counts in 32 bits: the input goes in pieces.
    const size_t piece = std::min<size_t>(raw.size() - fed, 1u << 30);
    stream.z.next_in = const_cast<Bytef*>(raw.data() + fed);
    stream.z.avail_in = static_cast<uInt>(piece);
    fed += piece;
    const int flush = fed == raw.size() ? Z_FINISH : Z_NO_FLUSH;
    do {
      stream.z.next_out = buffer.data();
      stream.z.avail_out = static_cast<uInt>(buffer.size());
      result = deflate(&stream.z, flush);
      if (result == Z_STREAM_ERROR) return false;
      out.insert(out.end(), buffer.data(), buffer.data() + (buffer.size() - stream.z.avail_out));
    } while (stream.z.avail_out == 0);
  } while (fed < raw.size());
  return result == Z_STREAM_END;
}

// The header chunks: IHDR, then PLTE and tRNS of a palette file.
void AppendHeader(std::vector<uint8_t>& out, int32_t width, int32_t height, SampleFormat format,
                  const std::vector<uint8_t>& palette, int32_t transparentIndex) {
  out.insert(out.end(), kSignature, kSignature + 8);
  std::vector<uint8_t> ihdr;
  AppendBe32(ihdr, static_cast<uint32_t>(width));
  AppendBe32(ihdr, static_cast<uint32_t>(height));
  ihdr.push_back(8);
  ihdr.push_back(ColourType(format));
  ihdr.push_back(0);  // deflate
  ihdr.push_back(0);  // adaptive filtering
  ihdr.push_back(0);  // not interlaced
  AppendChunk(out, "IHDR", ihdr);
  if (format == SampleFormat::kIndexed) {
    AppendChunk(out, "PLTE", palette);
    if (transparentIndex >= 0 && static_cast<size_t>(transparentIndex) < palette.size() / 3) {
      std::vector<uint8_t> trns(static_cast<size_t>(transparentIndex) + 1, 255);
      trns.back() = 0;
      AppendChunk(out, "tRNS", trns);
    }
  }
}

// The palette a palette file needs: the colour table, then black entries up to the highest
// index a pixel or the transparent index uses.
std::vector<uint8_t> PaletteFor(const PackedDib& picture, const PictureLayout& layout,
                                uint32_t highestIndex) {
  const uint32_t entries = std::max(layout.colors, highestIndex + 1);
  std::vector<uint8_t> palette(3 * static_cast<size_t>(std::max<uint32_t>(entries, 1)), 0);
  const Rgbq* table = picture.ColorTable();
  for (uint32_t i = 0; i < layout.colors; ++i) {
    palette[3 * i] = table[i].red;
    palette[3 * i + 1] = table[i].green;
    palette[3 * i + 2] = table[i].blue;
  }
  return palette;
}

uint32_t HighestIndex(const PackedDib& picture, const PictureLayout& layout) {
  uint8_t highest = 0;
  for (int32_t y = 0; y < layout.height && highest < 255; ++y) {
    const uint8_t* row = picture.Row(y);
    highest = std::max(highest, *std::max_element(row, row + layout.width));
  }
  return highest;
}

// Data pieces as chunks: IDAT for the default image, fdAT (with sequence numbers) after it.
void AppendImageData(std::vector<uint8_t>& out, const std::vector<uint8_t>& data, bool fdat,
                     uint32_t& sequence) {
  for (size_t at = 0; at < data.size() || at == 0; at += kDataPiece) {
    const size_t size = std::min(kDataPiece, data.size() - at);
    if (fdat) {
      std::vector<uint8_t> piece;
      piece.reserve(size + 4);
      AppendBe32(piece, sequence++);
      piece.insert(piece.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                   data.begin() + static_cast<std::ptrdiff_t>(at + size));
      AppendChunk(out, "fdAT", piece);
    } else {
      AppendChunk(out, "IDAT", data.data() + at, size);
    }
    if (data.empty()) break;
  }
}

void AppendEnd(std::vector<uint8_t>& out) {
  AppendChunk(out, "IEND", nullptr, 0);
}

// The delay as a fraction of a second whose parts fit in 16 bits.
void DelayFraction(int32_t hundredths, uint16_t* num, uint16_t* den) {
  const int32_t delay = std::max<int32_t>(hundredths, 0);
  if (delay <= 65535) {
    *num = static_cast<uint16_t>(delay);
    *den = 100;
  } else if (delay / 10 <= 65535) {
    *num = static_cast<uint16_t>((delay + 5) / 10);
    *den = 10;
  } else {
    *num = static_cast<uint16_t>(std::min<int32_t>((delay + 50) / 100, 65535));
    *den = 1;
  }
}

PictureWriteResult BuildPicture(const PackedDib& picture, int32_t transparentIndex,
                                const ChunkSink& sink) {
  PictureLayout layout;
  if (const auto checked = CheckPictureLayout(picture, &layout);
      checked != PictureWriteResult::kOk) {
    return checked;
  }
  try {
    const SampleFormat format = layout.bits == 8 ? SampleFormat::kIndexed : SampleFormat::kRgb;
    const int32_t transparent = layout.bits == 8 && transparentIndex >= 0 && transparentIndex < 256
                                    ? transparentIndex
                                    : -1;
    std::vector<uint8_t> palette;
    if (format == SampleFormat::kIndexed) {
      const uint32_t highest = std::max<uint32_t>(HighestIndex(picture, layout),
                                                  transparent >= 0 ? transparent : 0);
      palette = PaletteFor(picture, layout, highest);
    }
    Samples samples;
    MakeSamples(picture, layout, format, transparent, samples);
    std::vector<uint8_t> compressed;
    if (!Deflate(FilterRows(samples, {0, 0, layout.width, layout.height}), compressed)) {
      return PictureWriteResult::kNoMemory;
    }
    std::vector<uint8_t> file;
    AppendHeader(file, layout.width, layout.height, format, palette, transparent);
    uint32_t sequence = 0;
    AppendImageData(file, compressed, false, sequence);
    AppendEnd(file);
    if (!sink(file)) return PictureWriteResult::kCannotWrite;
  } catch (const std::bad_alloc&) {
    return PictureWriteResult::kNoMemory;
  }
  return PictureWriteResult::kOk;
}

// One frame, encoded apart from the others.
struct EncodedFrame {
  PictureWriteResult result = PictureWriteResult::kOk;
  Rect rect;
  std::vector<uint8_t> data;  // the zlib stream
};

void EncodeFrame(const FrameSet& frames, const std::vector<PictureLayout>& layouts, int i,
                 SampleFormat format, int32_t transparent, EncodedFrame& encoded) {
  try {
    Samples now;
    MakeSamples(frames.frame(i).image, layouts[static_cast<size_t>(i)], format, transparent, now);
    Rect rect{0, 0, now.width, now.height};
    if (i > 0) {
      Samples before;
      MakeSamples(frames.frame(i - 1).image, layouts[static_cast<size_t>(i - 1)], format,
                  transparent, before);
      rect = ChangedRect(before, now);
      // A frame that changes nothing still needs a rectangle: one pixel, as it is.
      if (rect.width == 0) rect = {0, 0, 1, 1};
    }
    encoded.rect = rect;
    if (!Deflate(FilterRows(now, rect), encoded.data)) {
      encoded.result = PictureWriteResult::kNoMemory;
    }
  } catch (const std::bad_alloc&) {
    encoded.data = {};
    encoded.result = PictureWriteResult::kNoMemory;
  }
}

bool SameColourTable(const PackedDib& a, const PictureLayout& la, const PackedDib& b,
                     const PictureLayout& lb) {
  return la.colors == lb.colors &&
         std::memcmp(a.ColorTable(), b.ColorTable(), 4 * static_cast<size_t>(la.colors)) == 0;
}

PictureWriteResult BuildAnimation(const FrameSet& frames, ProgressSink* progress,
                                  const ChunkSink& sink) {
  std::vector<PictureLayout> layouts;
  if (const auto checked = CheckAnimationFrames(frames, &layouts);
      checked != PictureWriteResult::kOk) {
    return checked;
  }
  const int32_t transparent =
      frames.transparentIndex >= 0 && frames.transparentIndex < 256 ? frames.transparentIndex : -1;
  // One colour table for all frames keeps the palette; anything else is stored as colours.
  bool indexed = true;
  bool anyEightBits = false;
  for (int i = 0; i < frames.count; ++i) {
    const PictureLayout& layout = layouts[static_cast<size_t>(i)];
    anyEightBits = anyEightBits || layout.bits == 8;
    indexed = indexed && layout.bits == 8 &&
              SameColourTable(frames.frame(0).image, layouts[0], frames.frame(i).image, layout);
  }
  const SampleFormat format = indexed                             ? SampleFormat::kIndexed
                              : anyEightBits && transparent >= 0 ? SampleFormat::kRgba
                                                                  : SampleFormat::kRgb;
  try {
    std::vector<uint8_t> palette;
    if (indexed) {
      uint32_t highest = transparent >= 0 ? static_cast<uint32_t>(transparent) : 0;
      for (int i = 0; i < frames.count && highest < 255; ++i) {
        highest = std::max(highest,
                           HighestIndex(frames.frame(i).image, layouts[static_cast<size_t>(i)]));
      }
      palette = PaletteFor(frames.frame(0).image, layouts[0], highest);
    }
    std::vector<uint8_t> chunk;
    AppendHeader(chunk, layouts[0].width, layouts[0].height, format, palette, transparent);
    std::vector<uint8_t> actl;
    AppendBe32(actl, static_cast<uint32_t>(frames.count));
    AppendBe32(actl, PlaysOfLoopCount(frames.loopCount));
    AppendChunk(chunk, "acTL", actl);
    if (!sink(chunk)) return PictureWriteResult::kCannotWrite;

    // Each frame's rectangle and compression depend only on it and the frame before, so
    // the frames are encoded on every core and written in order.
    std::vector<EncodedFrame> encoded(static_cast<size_t>(frames.count));
    ParallelJobs jobs(encoded.size(), [&](size_t i) {
      EncodeFrame(frames, layouts, static_cast<int>(i), format, transparent, encoded[i]);
    });
    uint32_t sequence = 0;
    for (int i = 0; i < frames.count; ++i) {
      if (progress != nullptr) {
        progress->ReportProgress(static_cast<int>(static_cast<int64_t>(i) * 100 / frames.count));
        if (progress->TakeCancel()) return PictureWriteResult::kCancelled;
      }
      jobs.Wait(static_cast<size_t>(i));
      EncodedFrame& frame = encoded[static_cast<size_t>(i)];
      if (frame.result != PictureWriteResult::kOk) return frame.result;
      uint16_t num = 0, den = 100;
      DelayFraction(frames.frame(i).delay, &num, &den);
      std::vector<uint8_t> fctl;
      AppendBe32(fctl, sequence++);
      AppendBe32(fctl, static_cast<uint32_t>(frame.rect.width));
      AppendBe32(fctl, static_cast<uint32_t>(frame.rect.height));
      AppendBe32(fctl, static_cast<uint32_t>(frame.rect.x));
      AppendBe32(fctl, static_cast<uint32_t>(frame.rect.y));
      AppendBe16(fctl, num);
      AppendBe16(fctl, den);
      fctl.push_back(0);  // dispose: none, the next frame starts from this one
      fctl.push_back(0);  // blend: source, the rectangle replaces what is there
      chunk.clear();
      AppendChunk(chunk, "fcTL", fctl);
      AppendImageData(chunk, frame.data, i > 0, sequence);
      frame.data = {};
      if (i == frames.count - 1) AppendEnd(chunk);
      if (!sink(chunk)) return PictureWriteResult::kCannotWrite;
    }
  } catch (const std::bad_alloc&) {
    return PictureWriteResult::kNoMemory;
  }
  if (progress != nullptr) progress->ReportProgress(100);
  return PictureWriteResult::kOk;
}

ChunkSink AppendTo(std::vector<uint8_t>& out) {
  return [&out](const std::vector<uint8_t>& chunk) {
    out.insert(out.end(), chunk.begin(), chunk.end());
    return true;
  };
}

// Runs `build` into a temporary file beside `path` that replaces it only when all went well.
PictureWriteResult WriteAtomically(const std::string& path,
                                   const std::function<PictureWriteResult(const ChunkSink&)>& build) {
  AtomicFileWriter file;
  if (!file.Open(path)) return PictureWriteResult::kCannotWrite;
  const PictureWriteResult result = build([&file](const std::vector<uint8_t>& chunk) {
    return file.Write(chunk.data(), chunk.size());
  });
  if (result != PictureWriteResult::kOk) return result;
  return file.Commit() ? PictureWriteResult::kOk : PictureWriteResult::kCannotWrite;
}

}  // namespace

PictureWriteResult BuildPngPicture(const PackedDib& picture, int32_t transparentIndex,
                                   std::vector<uint8_t>& out) {
  out.clear();
  const PictureWriteResult result = BuildPicture(picture, transparentIndex, AppendTo(out));
  if (result != PictureWriteResult::kOk) out.clear();
  return result;
}

PictureWriteResult BuildPngAnimation(const FrameSet& frames, ProgressSink* progress,
                                     std::vector<uint8_t>& out) {
  out.clear();
  const PictureWriteResult result = BuildAnimation(frames, progress, AppendTo(out));
  if (result != PictureWriteResult::kOk) out.clear();
  return result;
}

PictureWriteResult WritePngPicture(const PackedDib& picture, int32_t transparentIndex,
                                   const std::string& path) {
  return WriteAtomically(path, [&](const ChunkSink& sink) {
    return BuildPicture(picture, transparentIndex, sink);
  });
}

PictureWriteResult WritePngAnimation(const FrameSet& frames, const std::string& path,
                                     ProgressSink* progress) {
  return WriteAtomically(
      path, [&](const ChunkSink& sink) { return BuildAnimation(frames, progress, sink); });
}

}  // namespace zel
