// GIF reading and writing speed of zelcore next to giflib, on one large animation built in
// memory at start-up: 100 frames of 640x480 8-bit pixels in one 256-colour palette, the even
// frames flat areas and bands of a few colours, the odd ones gradients with noise using all
// 256 colours (fixed seed, so every run sees the same pixels). The load is also timed on a
// copy whose frames each carry a palette of their own colours (local tables), where
// merging the palettes into one is part of the work.
//
// Run:   build/bench/zel_bench
// Pick:  build/bench/zel_bench --benchmark_filter=Decode
//
// Before timing anything the program checks that each decoder reads back the pixels each
// encoder wrote, and stops with exit code 1 when one does not.

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "document/frame_set.h"
#include "document/packed_dib.h"
#include "imagefiles/gif_decoder.h"
#include "imagefiles/gif_encoder.h"
#include "platform/parallel.h"

namespace {

constexpr int kFrames = 100;
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kDelay = 5;
constexpr double kMinSeconds = 0.5;
constexpr int64_t kPixels = int64_t{kFrames} * kWidth * kHeight;

// xorshift32: small, fast and the same on every machine.
class Rng {
 public:
  explicit Rng(uint32_t seed) : state_(seed) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }

 private:
  uint32_t state_;
};

void FillFlat(zel::PackedDib& image, Rng& rng) {
  // A background, a few rectangles and horizontal bands: 16 colours at most.
  uint8_t base = static_cast<uint8_t>(rng.Next() % 16);
  for (int y = 0; y < kHeight; ++y) {
    uint8_t* row = image.Row(y);
    uint8_t band = static_cast<uint8_t>(16 * ((base + y / 60) % 16));
    std::memset(row, band, kWidth);
  }
  for (int r = 0; r < 12; ++r) {
    int w = 20 + static_cast<int>(rng.Next() % 200);
    int h = 20 + static_cast<int>(rng.Next() % 150);
    int x0 = static_cast<int>(rng.Next() % (kWidth - w));
    int y0 = static_cast<int>(rng.Next() % (kHeight - h));
    uint8_t colour = static_cast<uint8_t>(16 * (rng.Next() % 16) + 8);
    for (int y = y0; y < y0 + h; ++y)
      std::memset(image.Row(y) + x0, colour, static_cast<size_t>(w));
  }
}

void FillNoisy(zel::PackedDib& image, Rng& rng, int frame) {
  // A diagonal gradient over all 256 entries with +-8 of noise on every pixel.
  for (int y = 0; y < kHeight; ++y) {
    uint8_t* row = image.Row(y);
    for (int x = 0; x < kWidth; ++x) {
      int v =
          (x + y + frame * 7) * 255 / (kWidth + kHeight) + static_cast<int>(rng.Next() % 17) - 8;
      row[x] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
    }
  }
}

struct Corpus {
  std::unique_ptr<zel::FrameSet> frames;
  std::vector<uint8_t> zelBytes;     // zelcore, normal mode
  std::vector<uint8_t> zelRawBytes;  // zelcore, raw codes
  std::vector<uint8_t> giflibBytes;
  // The same frames, each with a palette of its own in other colours (local tables).
  std::vector<uint8_t> localBytes;
};

std::unique_ptr<zel::FrameSet> BuildFrames() {
  auto frames = std::make_unique<zel::FrameSet>(kFrames);
  frames->screenWidth = kWidth;
  frames->screenHeight = kHeight;
  frames->loop = 1;
  frames->paletteCount = 256;
  for (int i = 0; i < 256; ++i) {
    frames->palette[i] = zel::Rgbq{static_cast<uint8_t>(255 - i),
                                   static_cast<uint8_t>((i * 3) & 255), static_cast<uint8_t>(i), 0};
  }
  Rng rng(0x2545F491u);
  for (int f = 0; f < kFrames; ++f) {
    zel::Frame& frame = frames->frame(f);
    frame.image = zel::NewPicture(kWidth, kHeight, 8, 256, frames->palette.data());
    if (!frame.image) return nullptr;
    frame.delay = kDelay;
    if (f % 2 == 0) {
      FillFlat(frame.image, rng);
    } else {
      FillNoisy(frame.image, rng, f);
    }
    frames->count = f + 1;
  }
  return frames;
}

// ---- giflib on memory buffers ----

struct MemoryReader {
  const uint8_t* data;
  size_t size;
  size_t pos = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
  auto* reader = static_cast<MemoryReader*>(gif->UserData);
  size_t n = reader->size - reader->pos;
  if (n > static_cast<size_t>(length)) n = static_cast<size_t>(length);
  std::memcpy(buffer, reader->data + reader->pos, n);
  reader->pos += n;
  return static_cast<int>(n);
}

int WriteToMemory(GifFileType* gif, const GifByteType* data, int length) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), data, data + length);
  return length;
}

// Decodes with DGifSlurp; the caller closes the returned file.
GifFileType* GiflibDecode(const std::vector<uint8_t>& bytes) {
  MemoryReader reader{bytes.data(), bytes.size()};
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &error);
  if (gif == nullptr) return nullptr;
  if (DGifSlurp(gif) != GIF_OK) {
    DGifCloseFile(gif, &error);
    return nullptr;
  }
  return gif;
}

// The same file zelcore writes: GIF89a, one global palette, a looping extension and a
// graphic control extension with the delay before every frame.
bool GiflibEncode(const zel::FrameSet& frames, std::vector<uint8_t>& out) {
  out.clear();
  int error = 0;
  GifFileType* gif = EGifOpen(&out, WriteToMemory, &error);
  if (gif == nullptr) return false;
  EGifSetGifVersion(gif, true);
  GifColorType colours[256];
  for (int i = 0; i < 256; ++i) {
    colours[i] = {frames.palette[i].red, frames.palette[i].green, frames.palette[i].blue};
  }
  ColorMapObject* map = GifMakeMapObject(256, colours);
  bool ok = map != nullptr &&
            EGifPutScreenDesc(gif, frames.screenWidth, frames.screenHeight, 8, 0, map) == GIF_OK;
  static const uint8_t kLoop[3] = {1, 0, 0};
  ok = ok && EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
       EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_OK &&
       EGifPutExtensionBlock(gif, 3, kLoop) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;
  for (int f = 0; ok && f < frames.count; ++f) {
    const zel::Frame& frame = frames.frame(f);
    GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, frame.delay, NO_TRANSPARENT_COLOR};
    GifByteType extension[4];
    size_t length = EGifGCBToExtension(&gcb, extension);
    ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) ==
             GIF_OK &&
         EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < kHeight; ++y) {
      ok = EGifPutLine(gif, const_cast<GifPixelType*>(frame.image.Row(y)), kWidth) == GIF_OK;
    }
  }
  GifFreeMapObject(map);
  return EGifCloseFile(gif, &error) == GIF_OK && ok;
}

// ---- checks before timing ----

zel::Rgbq SourceColour(const zel::FrameSet& source, int f, int x, int y) {
  return source.palette[source.frame(f).image.Row(y)[x]];
}

bool SameAsSource(const zel::FrameSet& source, const zel::FrameSet& decoded) {
  if (decoded.count != source.count) return false;
  for (int f = 0; f < source.count; ++f) {
    const zel::PackedDib& image = decoded.frame(f).image;
    if (!image) return false;
    zel::DibHeader h = image.Header();
    if (h.width != kWidth || h.height != kHeight || h.bitCount != 8) return false;
    if (decoded.frame(f).delay != kDelay) return false;
    const zel::Rgbq* table = image.ColorTable();
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        zel::Rgbq c = table[image.Row(y)[x]];
        c.reserved = 0;
        if (!(c == SourceColour(source, f, x, y))) return false;
      }
    }
  }
  return true;
}

bool GiflibSameAsSource(const zel::FrameSet& source, GifFileType* gif) {
  if (gif->ImageCount != source.count) return false;
  for (int f = 0; f < source.count; ++f) {
    const SavedImage& image = gif->SavedImages[f];
    if (image.ImageDesc.Width != kWidth || image.ImageDesc.Height != kHeight) return false;
    const ColorMapObject* map =
        image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    if (map == nullptr) return false;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        int index = image.RasterBits[y * kWidth + x];
        if (index >= map->ColorCount) return false;
        const GifColorType& c = map->Colors[index];
        zel::Rgbq s = SourceColour(source, f, x, y);
        if (c.Red != s.red || c.Green != s.green || c.Blue != s.blue) return false;
      }
    }
  }
  return true;
}

// The zelcore reader wants the whole file followed by zero slack, as ReadWholeFile gives it.
std::vector<uint8_t> WithSlack(std::vector<uint8_t> bytes) {
  bytes.resize(bytes.size() + zel::kWholeFileSlack, 0);
  return bytes;
}

Corpus* gCorpus = nullptr;
std::vector<uint8_t> gZelInput;     // zelBytes with slack
std::vector<uint8_t> gGiflibInput;  // giflibBytes with slack
std::vector<uint8_t> gLocalInput;   // localBytes with slack

bool Prepare(Corpus& corpus) {
  corpus.frames = BuildFrames();
  if (!corpus.frames) return false;
  const zel::FrameSet& frames = *corpus.frames;
  if (zel::BuildGifFile(frames, false, nullptr, corpus.zelBytes) != zel::kGifWriteOk ||
      zel::BuildGifFile(frames, true, nullptr, corpus.zelRawBytes) != zel::kGifWriteOk) {
    std::fprintf(stderr, "zelcore could not encode the animation\n");
    return false;
  }
  if (!GiflibEncode(frames, corpus.giflibBytes)) {
    std::fprintf(stderr, "giflib could not encode the animation\n");
    return false;
  }
  const std::pair<const char*, const std::vector<uint8_t>*> files[] = {
      {"zelcore", &corpus.zelBytes},
      {"zelcore raw", &corpus.zelRawBytes},
      {"giflib", &corpus.giflibBytes}};
  for (const auto& [name, bytes] : files) {
    std::vector<uint8_t> input = WithSlack(*bytes);
    zel::FrameSet decoded(kFrames);
    int result = zel::ReadGifData(input.data(), bytes->size(), decoded, kFrames);
    if (result != zel::kGifReadOk || !SameAsSource(frames, decoded)) {
      std::fprintf(stderr, "zelcore reads the %s file wrongly (result %d)\n", name, result);
      return false;
    }
    GifFileType* gif = GiflibDecode(*bytes);
    bool same = gif != nullptr && GiflibSameAsSource(frames, gif);
    int error = 0;
    if (gif != nullptr) DGifCloseFile(gif, &error);
    if (!same) {
      std::fprintf(stderr, "giflib reads the %s file wrongly\n", name);
      return false;
    }
  }
  // Each frame's palette shifted by the frame number: the shared palette fills with the
  // first frame and every later one is mapped to it when loading.
  for (int f = 0; f < frames.count; ++f) {
    zel::Rgbq* table = corpus.frames->frame(f).image.ColorTable();
    for (int i = 0; i < 256; ++i) {
      table[i] =
          zel::Rgbq{static_cast<uint8_t>(255 - i), static_cast<uint8_t>((i * 3 + 7 * f) & 255),
                    static_cast<uint8_t>((i + 11 * f) & 255), 0};
    }
  }
  const int local = zel::BuildGifFileLocalPalettes(frames, false, nullptr, corpus.localBytes);
  for (int f = 0; f < frames.count; ++f) {
    std::memcpy(corpus.frames->frame(f).image.ColorTable(), frames.palette.data(), 256 * 4);
  }
  gLocalInput = WithSlack(corpus.localBytes);
  zel::FrameSet loaded(kFrames);
  if (local != zel::kGifWriteOk ||
      zel::LoadGifAnimationData(gLocalInput.data(), corpus.localBytes.size(), loaded, kFrames) !=
          zel::kGifReadOk ||
      loaded.count != kFrames) {
    std::fprintf(stderr, "zelcore could not write and load the animation with local palettes\n");
    return false;
  }
  gZelInput = WithSlack(corpus.zelBytes);
  gGiflibInput = WithSlack(corpus.giflibBytes);
  return true;
}

// ---- benchmarks ----

// Argument 0 decodes the file zelcore wrote, 1 the file giflib wrote.
const std::vector<uint8_t>& SourceFile(int which) {
  return which == 0 ? gCorpus->zelBytes : gCorpus->giflibBytes;
}

void SetDecodeCounters(benchmark::State& state, size_t inputSize) {
  state.SetBytesProcessed(state.iterations() * kPixels);
  state.counters["file_bytes"] = static_cast<double>(inputSize);
  state.SetLabel(state.range(0) == 0 ? "zel-written file" : "giflib-written file");
}

// Seconds per DGifSlurp of each file, for the ratio our decoder shows.
double gGiflibDecodeSeconds[2] = {0, 0};
// Seconds per encode and decode of the zel-written file on one thread, for the ratio the
// runs on all cores show.
double gOneThreadEncodeSeconds = 0;
double gOneThreadDecodeSeconds = 0;

double SecondsPerIteration(const benchmark::State& state,
                           std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
         static_cast<double>(state.iterations());
}

// Parsing and LZW decoding into one picture per frame: the work DGifSlurp does. The second
// argument is the number of threads (0: one per core).
void BM_DecodeZel(benchmark::State& state) {
  const std::vector<uint8_t>& input = state.range(0) == 0 ? gZelInput : gGiflibInput;
  size_t size = SourceFile(static_cast<int>(state.range(0))).size();
  const int workers = static_cast<int>(state.range(1));
  zel::SetParallelWorkers(workers);
  zel::FrameSet frames(kFrames);
  auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    frames.Clear();  // frees the previous pass's pictures, as DGifCloseFile does for giflib
    int result = zel::ReadGifData(input.data(), size, frames, kFrames);
    if (result != zel::kGifReadOk) state.SkipWithError("ReadGifData failed");
    benchmark::DoNotOptimize(frames.frame(0).image.data());
  }
  const double seconds = SecondsPerIteration(state, start);
  zel::SetParallelWorkers(0);
  SetDecodeCounters(state, size);
  state.counters["threads"] = workers == 0 ? zel::ParallelWorkers() : workers;
  const double giflib = gGiflibDecodeSeconds[state.range(0)];
  if (giflib > 0) state.counters["vsGiflib"] = giflib / seconds;
  if (state.range(0) == 0 && workers == 1) gOneThreadDecodeSeconds = seconds;
  if (state.range(0) == 0 && workers != 1 && gOneThreadDecodeSeconds > 0) {
    state.counters["vsOneThread"] = gOneThreadDecodeSeconds / seconds;
  }
}

// The full load the editor does: decoding, then one shared palette and composed frames.
void BM_LoadZel(benchmark::State& state) {
  const std::vector<uint8_t>& input = state.range(0) == 0 ? gZelInput : gGiflibInput;
  size_t size = SourceFile(static_cast<int>(state.range(0))).size();
  zel::FrameSet frames(kFrames);
  for (auto _ : state) {
    frames.Clear();
    int result = zel::LoadGifAnimationData(input.data(), size, frames, kFrames);
    if (result != zel::kGifReadOk) state.SkipWithError("LoadGifAnimationData failed");
    benchmark::DoNotOptimize(frames.frame(0).image.data());
  }
  SetDecodeCounters(state, size);
}

// Loading the animation whose frames have palettes of their own: decoding, merging them
// into one shared palette, composing. The argument is the number of threads (0: one per
// core).
double gOneThreadLocalLoadSeconds = 0;
void BM_LoadZelLocalPalettes(benchmark::State& state) {
  const size_t size = gCorpus->localBytes.size();
  const int workers = static_cast<int>(state.range(0));
  zel::SetParallelWorkers(workers);
  zel::FrameSet frames(kFrames);
  auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    frames.Clear();
    int result = zel::LoadGifAnimationData(gLocalInput.data(), size, frames, kFrames);
    if (result != zel::kGifReadOk) state.SkipWithError("LoadGifAnimationData failed");
    benchmark::DoNotOptimize(frames.frame(0).image.data());
  }
  const double seconds = SecondsPerIteration(state, start);
  zel::SetParallelWorkers(0);
  state.SetBytesProcessed(state.iterations() * kPixels);
  state.counters["file_bytes"] = static_cast<double>(size);
  state.counters["threads"] = workers == 0 ? zel::ParallelWorkers() : workers;
  if (workers == 1) gOneThreadLocalLoadSeconds = seconds;
  if (workers != 1 && gOneThreadLocalLoadSeconds > 0) {
    state.counters["vsOneThread"] = gOneThreadLocalLoadSeconds / seconds;
  }
}

void BM_DecodeGiflib(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = SourceFile(static_cast<int>(state.range(0)));
  auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    GifFileType* gif = GiflibDecode(bytes);
    if (gif == nullptr) {
      state.SkipWithError("DGifSlurp failed");
      break;
    }
    benchmark::DoNotOptimize(gif->SavedImages[0].RasterBits);
    int error = 0;
    DGifCloseFile(gif, &error);
  }
  gGiflibDecodeSeconds[state.range(0)] = SecondsPerIteration(state, start);
  SetDecodeCounters(state, bytes.size());
}

void EncodeZel(benchmark::State& state, bool rawCodes, int workers) {
  zel::SetParallelWorkers(workers);
  std::vector<uint8_t> out;
  auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    if (zel::BuildGifFile(*gCorpus->frames, rawCodes, nullptr, out) != zel::kGifWriteOk) {
      state.SkipWithError("BuildGifFile failed");
      break;
    }
    benchmark::DoNotOptimize(out.data());
  }
  const double seconds = SecondsPerIteration(state, start);
  zel::SetParallelWorkers(0);
  state.SetBytesProcessed(state.iterations() * kPixels);
  state.counters["out_bytes"] = static_cast<double>(out.size());
  state.counters["threads"] = workers == 0 ? zel::ParallelWorkers() : workers;
  if (!rawCodes && workers == 1) gOneThreadEncodeSeconds = seconds;
  if (!rawCodes && workers != 1 && gOneThreadEncodeSeconds > 0) {
    state.counters["vsOneThread"] = gOneThreadEncodeSeconds / seconds;
  }
}

// The argument is the number of threads (0: one per core).
void BM_EncodeZel(benchmark::State& state) {
  EncodeZel(state, false, static_cast<int>(state.range(0)));
}
void BM_EncodeZelRaw(benchmark::State& state) {
  EncodeZel(state, true, 0);
}

void BM_EncodeGiflib(benchmark::State& state) {
  std::vector<uint8_t> out;
  for (auto _ : state) {
    if (!GiflibEncode(*gCorpus->frames, out)) {
      state.SkipWithError("giflib encoding failed");
      break;
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * kPixels);
  state.counters["out_bytes"] = static_cast<double>(out.size());
}

// giflib first, so that zelcore's decode can show the ratio; one thread before all cores.
BENCHMARK(BM_DecodeGiflib)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(kMinSeconds);
BENCHMARK(BM_DecodeZel)
    ->Args({0, 1})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(kMinSeconds)
    ->UseRealTime();
BENCHMARK(BM_LoadZel)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(kMinSeconds);
BENCHMARK(BM_LoadZelLocalPalettes)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(kMinSeconds)
    ->UseRealTime();
BENCHMARK(BM_EncodeZel)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(kMinSeconds)
    ->UseRealTime();
BENCHMARK(BM_EncodeZelRaw)->Unit(benchmark::kMillisecond)->MinTime(kMinSeconds);
BENCHMARK(BM_EncodeGiflib)->Unit(benchmark::kMillisecond)->MinTime(kMinSeconds);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Corpus corpus;
  if (!Prepare(corpus)) return 1;
  gCorpus = &corpus;
  std::printf(
      "animation: %d frames of %dx%d; file sizes: zelcore %zu, zelcore raw %zu, giflib %zu\n",
      kFrames, kWidth, kHeight, corpus.zelBytes.size(), corpus.zelRawBytes.size(),
      corpus.giflibBytes.size());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
