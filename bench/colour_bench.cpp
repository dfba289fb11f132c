// Colour reduction speed of zelcore next to ImageMagick, on one photo-like 1920x1080 24-bit
// picture built in memory (smooth gradients, soft shapes and noise from a fixed seed, so
// every run sees the same pixels), reduced to 256 colours with and without error diffusion.
//
// Run:   build/bench/zel_bench --benchmark_filter='Colour'
//
// ImageMagick runs as /usr/bin/convert on a PPM copy of the same pixels written once per
// run: `-colors 256` (its default dithering) and `-dither None -colors 256`. Its times include
// starting the process; BM_ColourMagickStart measures that start alone (a 1x1 picture), and
// each ImageMagick benchmark reports it as the counter startSeconds. The zelcore benchmarks
// run after ImageMagick's and report magickRatio = ImageMagick's time / zelcore's time for
// the same mode (diffusion against default dithering, nearest against no dithering). Every
// benchmark reports the mean squared error of its result against the source (per channel
// value, 0..65025) as the counter mse.
//
// BM_ColourQuality runs the high-quality reduction (libimagequant) in the same two modes,
// without a transparent corner (255 colours), with magickRatio as above and magickMse, the
// error of ImageMagick's default mode, beside its own mse.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "color/index_color.h"
#include "color/quality_quantizer.h"
#include "document/packed_dib.h"

namespace {

using zel::bench::Seconds;

using zel::PackedDib;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr char kConvert[] = "/usr/bin/convert";

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

uint8_t Clamp(int v) {
  return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

// Sky-like vertical gradient, a warm horizontal ramp, two soft discs and noise of +-6.
PackedDib MakePhoto() {
  PackedDib picture = zel::NewPicture(kWidth, kHeight, 24, 0);
  if (!picture) return picture;
  Rng rng(0x2545F491u);
  for (int y = 0; y < kHeight; ++y) {
    uint8_t* p = picture.Row(y);
    for (int x = 0; x < kWidth; ++x, p += 3) {
      int r = 40 + x * 150 / kWidth + y * 40 / kHeight;
      int g = 60 + y * 120 / kHeight + (x % 480) / 12;
      int b = 200 - y * 150 / kHeight + x * 30 / kWidth;
      const int dx1 = x - 600, dy1 = y - 400, d1 = (dx1 * dx1 + dy1 * dy1) / 400;
      if (d1 < 255) {
        r += (255 - d1) * 2 / 3;
        g -= (255 - d1) / 4;
      }
      const int dx2 = x - 1400, dy2 = y - 700, d2 = (dx2 * dx2 + dy2 * dy2) / 900;
      if (d2 < 255) {
        g += (255 - d2) / 2;
        b -= (255 - d2) / 2;
      }
      const int noise = static_cast<int>(rng.Next() % 13) - 6;
      p[0] = Clamp(b + noise);
      p[1] = Clamp(g + noise);
      p[2] = Clamp(r + noise);
    }
  }
  return picture;
}

struct Corpus {
  PackedDib photo;
  std::string folder;
  std::string source;  // PPM of the photo
  bool ready = false;
  ~Corpus() {
    if (folder.empty()) return;
    for (const char* name : {"/photo.ppm", "/dot.ppm", "/dither.ppm", "/plain.ppm"}) {
      std::remove((folder + name).c_str());
    }
    rmdir(folder.c_str());
  }
};

bool Prepare(Corpus& c) {
  c.photo = MakePhoto();
  char folder[] = "/tmp/zel_colour_bench_XXXXXX";
  if (!c.photo || mkdtemp(folder) == nullptr) return false;
  c.folder = folder;
  c.source = c.folder + "/photo.ppm";
  std::FILE* f = std::fopen(c.source.c_str(), "wb");
  if (f == nullptr) return false;
  std::fprintf(f, "P6\n%d %d\n255\n", kWidth, kHeight);
  std::vector<uint8_t> row(3 * kWidth);
  bool ok = true;
  for (int y = 0; y < kHeight && ok; ++y) {
    const uint8_t* p = c.photo.Row(y);
    for (int x = 0; x < kWidth; ++x) {
      row[3 * x] = p[3 * x + 2];
      row[3 * x + 1] = p[3 * x + 1];
      row[3 * x + 2] = p[3 * x];
    }
    ok = std::fwrite(row.data(), 1, row.size(), f) == row.size();
  }
  return std::fclose(f) == 0 && ok;
}

Corpus& TheCorpus() {
  static Corpus corpus;
  static const bool prepared = (corpus.ready = Prepare(corpus));
  (void)prepared;
  return corpus;
}

// Mean squared error of an 8-bit picture against the photo.
double IndexedMse(const PackedDib& indexed, const PackedDib& photo) {
  const zel::Rgbq* table = indexed.ColorTable();
  double sum = 0;
  for (int y = 0; y < kHeight; ++y) {
    const uint8_t* s = photo.Row(y);
    const uint8_t* d = indexed.Row(y);
    for (int x = 0; x < kWidth; ++x, s += 3) {
      const zel::Rgbq& c = table[d[x]];
      const int db = s[0] - c.blue, dg = s[1] - c.green, dr = s[2] - c.red;
      sum += db * db + dg * dg + dr * dr;
    }
  }
  return sum / (3.0 * kWidth * kHeight);
}

// Mean squared error of an 8-bit-per-channel P6 file against the photo; -1 when unreadable.
double PpmMse(const std::string& path, const PackedDib& photo) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return -1;
  int w = 0, h = 0, maxval = 0;
  double result = -1;
  if (std::fscanf(f, "P6 %d %d %d", &w, &h, &maxval) == 3 && w == kWidth && h == kHeight &&
      maxval == 255 && std::fgetc(f) != EOF) {
    std::vector<uint8_t> row(3 * kWidth);
    double sum = 0;
    bool ok = true;
    for (int y = 0; y < kHeight && ok; ++y) {
      ok = std::fread(row.data(), 1, row.size(), f) == row.size();
      const uint8_t* s = photo.Row(y);
      for (int x = 0; x < kWidth && ok; ++x) {
        const int dr = s[3 * x + 2] - row[3 * x], dg = s[3 * x + 1] - row[3 * x + 1],
                  db = s[3 * x] - row[3 * x + 2];
        sum += dr * dr + dg * dg + db * db;
      }
    }
    if (ok) result = sum / (3.0 * kWidth * kHeight);
  }
  std::fclose(f);
  return result;
}

double gStartSeconds = 0;
// Seconds per run of ImageMagick for [0] default dithering, [1] none; 0 when not run.
double gMagickSeconds[2] = {0, 0};
// ImageMagick's mean squared error with its default dithering; 0 when not run.
double gMagickMse = 0;

void BM_ColourMagickStart(benchmark::State& state) {
  Corpus& corpus = TheCorpus();
  if (!corpus.ready) return state.SkipWithError("could not prepare the photo");
  const std::string command =
      std::string(kConvert) + " -size 1x1 xc:black ppm:" + corpus.folder + "/dot.ppm";
  const double seconds = zel::bench::TimeCommand(state, command);
  if (seconds < 0) return;
  gStartSeconds = seconds;
}

void BM_ColourMagick(benchmark::State& state) {
  Corpus& corpus = TheCorpus();
  if (!corpus.ready) return state.SkipWithError("could not prepare the photo");
  const bool dither = state.range(0) == 0;
  const std::string out = corpus.folder + (dither ? "/dither.ppm" : "/plain.ppm");
  // The dither setting must come before the operator it governs.
  const std::string command = std::string(kConvert) + " " + corpus.source +
                              (dither ? "" : " -dither None") + " -colors 256 ppm:" + out;
  const double seconds = zel::bench::TimeCommand(state, command);
  if (seconds < 0) return;
  gMagickSeconds[dither ? 0 : 1] = seconds;
  state.counters["mse"] = PpmMse(out, corpus.photo);
  if (dither) gMagickMse = state.counters["mse"];
  state.counters["startSeconds"] = gStartSeconds;
  state.SetLabel(dither ? "convert -colors 256" : "convert -dither None -colors 256");
  std::remove(out.c_str());
}

void BM_ColourZel(benchmark::State& state) {
  Corpus& corpus = TheCorpus();
  if (!corpus.ready) return state.SkipWithError("could not prepare the photo");
  const bool diffused = state.range(0) == 0;
  PackedDib result;
  double total = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    result = diffused ? zel::QuantizeDiffused(corpus.photo, 256)
                      : zel::QuantizeNearest(corpus.photo, 256);
    total += Seconds(start);
    if (!result) return state.SkipWithError("quantization failed");
    benchmark::DoNotOptimize(result.data());
  }
  const double perRun = total / state.iterations();
  state.counters["mse"] = IndexedMse(result, corpus.photo);
  state.counters["colors"] = result.Header().clrUsed;
  if (gMagickSeconds[diffused ? 0 : 1] > 0) {
    state.counters["magickRatio"] = gMagickSeconds[diffused ? 0 : 1] / perRun;
  }
  state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
  state.SetLabel(diffused ? "QuantizeDiffused 256" : "QuantizeNearest 256");
}

// The high-quality reduction (libimagequant) with and without diffusion, next to
// ImageMagick's same mode; magickMse is ImageMagick's error for `-colors 256` (its default
// dithering), which the high-quality reduction must beat by a quarter.
void BM_ColourQuality(benchmark::State& state) {
  Corpus& corpus = TheCorpus();
  if (!corpus.ready) return state.SkipWithError("could not prepare the photo");
  const bool diffused = state.range(0) == 0;
  std::optional<zel::IndexConversion> result;
  double total = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    result = zel::QualityConvertToIndexColor(corpus.photo, {7, 0, !diffused}, 0xC0C0C0);
    total += Seconds(start);
    if (!result) return state.SkipWithError("quantization failed");
    benchmark::DoNotOptimize(result->picture.data());
  }
  const double perRun = total / state.iterations();
  state.counters["mse"] = IndexedMse(result->picture, corpus.photo);
  state.counters["colors"] = result->picture.Header().clrUsed;
  if (gMagickSeconds[diffused ? 0 : 1] > 0) {
    state.counters["magickRatio"] = gMagickSeconds[diffused ? 0 : 1] / perRun;
  }
  if (gMagickMse > 0) state.counters["magickMse"] = gMagickMse;
  state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
  state.SetLabel(diffused ? "QualityConvertToIndexColor 256"
                          : "QualityConvertToIndexColor 256 plain");
}

// ImageMagick first, so that zelcore's benchmarks can give the ratio.
BENCHMARK(BM_ColourMagickStart)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_ColourMagick)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(BM_ColourZel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_ColourQuality)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace
