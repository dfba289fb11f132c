// A 40-frame "右回転" animation made from a 640 x 480 photo-like picture, as "アニメ作成"
// makes it (colour reduction to 255 colours with error diffusion, then 40 full turns of
// the 8-bit source): on one thread and on every core, next to ImageMagick rotating the
// same picture to the same 40 angles (`-distort SRT`, one process, 24-bit) in the same run.
//
// Run:   build/bench/zel_bench --benchmark_filter='MakeAnime'
//
// The zelcore benchmarks report speedup = one thread's time / this time, coresBusy
// (process CPU time / real time) and magickRatio = this time / ImageMagick's. The colour
// reduction comes first and runs on one thread; reductionSeconds shows its share. The
// peer's time includes starting the process and reading and writing PPM files.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_support.h"
#include "color/index_color.h"
#include "document/document_state.h"
#include "document/packed_dib.h"
#include "generators/picture_to_animation.h"
#include "platform/parallel.h"

namespace {

using zel::bench::ProcessCpuSeconds;
using zel::bench::Seconds;

using zel::PackedDib;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFrames = 40;
constexpr char kConvert[] = "/usr/bin/convert";

struct Corpus {
  PackedDib photo;
  std::string folder;
  bool ready = false;
  ~Corpus() {
    if (folder.empty()) return;
    std::remove((folder + "/photo.ppm").c_str());
    std::remove((folder + "/out.ppm").c_str());
    rmdir(folder.c_str());
  }
};

// Smooth gradients, a disc and a little noise: a photo's mix of flat and busy areas.
PackedDib PhotoLike() {
  PackedDib p = zel::NewPicture(kWidth, kHeight, 24, 0);
  if (!p) return p;
  uint32_t seed = 7;
  for (int y = 0; y < kHeight; ++y) {
    uint8_t* row = p.Row(y);
    for (int x = 0; x < kWidth; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = static_cast<int>((seed >> 24) % 11) - 5;
      const int dx = x - 300, dy = y - 220;
      const bool disc = dx * dx + dy * dy < 140 * 140;
      row[3 * x] = static_cast<uint8_t>(std::clamp(x * 200 / kWidth + noise + 20, 0, 255));
      row[3 * x + 1] = static_cast<uint8_t>(std::clamp(y * 230 / kHeight + noise, 0, 255));
      row[3 * x + 2] = static_cast<uint8_t>(disc ? 220 + noise : (x + y) / 5);
    }
  }
  return p;
}

bool Prepare(Corpus& c) {
  char folder[] = "/tmp/zel_generator_bench_XXXXXX";
  if (mkdtemp(folder) == nullptr) return false;
  c.folder = folder;
  c.photo = PhotoLike();
  if (!c.photo) return false;
  return zel::bench::WritePpmFile(c.folder + "/photo.ppm", c.photo);
}

Corpus& TheCorpus() {
  static Corpus corpus;
  static const bool prepared = (corpus.ready = Prepare(corpus));
  (void)prepared;
  return corpus;
}

double gMagickSeconds = 0;
double gOneThreadSeconds = 0;

// The 40 angles of "右回転" in one convert process: each a clone of the picture, turned.
void BM_MakeAnimeMagick(benchmark::State& state) {
  Corpus& corpus = TheCorpus();
  if (!corpus.ready) return state.SkipWithError("could not prepare the picture");
  std::string command = std::string(kConvert) + " " + corpus.folder + "/photo.ppm";
  for (int i = 0; i < kFrames; ++i) {
    command +=
        " \\( -clone 0 -virtual-pixel background -background 'rgb(192,192,192)' "
        "-distort SRT " +
        std::to_string(-180 + 360 * i / kFrames) + " \\)";
  }
  command += " -delete 0 ppm:" + corpus.folder + "/out.ppm";
  const double seconds = zel::bench::TimeCommand(state, command);
  if (seconds < 0) return;
  gMagickSeconds = seconds;
  state.SetLabel("convert -distort SRT, 40 angles");
}

void BM_MakeAnimeZel(benchmark::State& state) {
  Corpus& corpus = TheCorpus();
  if (!corpus.ready) return state.SkipWithError("could not prepare the picture");
  const int workers = static_cast<int>(state.range(0));
  zel::MakeAnimeOptions options;
  options.effect = zel::Effect::kTurnRight;
  options.frames = kFrames;
  options.flags = 0;  // error diffusion
  zel::SetParallelWorkers(workers);
  double total = 0;
  double cpu = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuSeconds();
    zel::GeneratedAnimation out;
    const zel::Outcome result = zel::GenerateAnimation(corpus.photo, -1, zel::kDefaultBackgroundColor,
                                              options, 256, nullptr, nullptr, &out);
    total += Seconds(start);
    cpu += ProcessCpuSeconds() - cpuStart;
    if (!result.done()) return state.SkipWithError("generation failed");
    benchmark::DoNotOptimize(out.frames.get());
  }
  zel::SetParallelWorkers(0);
  // The share of the single-threaded colour reduction.
  auto start = std::chrono::steady_clock::now();
  benchmark::DoNotOptimize(zel::ConvertToIndexColor(corpus.photo, zel::ColorChoices{7, 0, false},
                                                    zel::kDefaultBackgroundColor));
  state.counters["reductionSeconds"] = Seconds(start);
  const double perRun = total / state.iterations();
  const int used = workers == 0 ? zel::ParallelWorkers() : workers;
  if (workers == 1) gOneThreadSeconds = perRun;
  if (workers != 1 && gOneThreadSeconds > 0) state.counters["speedup"] = gOneThreadSeconds / perRun;
  if (gMagickSeconds > 0) state.counters["magickRatio"] = perRun / gMagickSeconds;
  state.counters["threads"] = used;
  state.counters["coresBusy"] = cpu / total;
  state.SetItemsProcessed(state.iterations() * int64_t{kFrames});
  state.SetLabel("右回転, 40 frames of 640 x 480");
}

BENCHMARK(BM_MakeAnimeMagick)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_MakeAnimeZel)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace
