// Full-quality rotation of a 100-frame 640 x 480 animation (8-bit and 24-bit frames) by
// 30 degrees: zelcore's frame pass on one thread and on every core, next to ImageMagick's
// `-distort SRT 30` on the same frames in the same run.
//
// Run:   build/bench/zel_bench --benchmark_filter='Rotate'
//
// ImageMagick runs as /usr/bin/convert on one multi-image PPM file holding the frames'
// colours (written once per run), filling the uncovered corners with the same background
// colour and writing PPM again; its time includes starting the process and the file
// reading and writing (a 1-frame run, reported as startSeconds, shows how much that is).
// It is given enough memory to keep all frames in memory. The zelcore benchmarks report
// magickRatio = zelcore's time / ImageMagick's time for the same depth (target at most
// 0.5) and, for the pass on every core, speedup = one thread's time / this time (target at
// least 1.7). On a machine shared with other work the speedup shows that share instead:
// coresBusy (process CPU time / real time) and cpuSeconds (process CPU time per run, all
// threads) tell whether the pass kept both cores busy and how much work it did.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "document/frame_set.h"
#include "document/packed_dib.h"
#include "transforms/deformations.h"
#include "transforms/frame_pass.h"

namespace {

using zel::bench::ProcessCpuSeconds;
using zel::bench::Seconds;

using zel::PackedDib;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFrames = 100;
constexpr int kAngle = 30;
constexpr char kConvert[] = "/usr/bin/convert";
const zel::Rgbq kFillColor{192, 192, 192, 0};

// Frame i: diagonal colour bands moving with i, a disc, and a little fixed noise.
void Paint(int i, int x, int y, uint8_t* bgr, uint32_t& seed) {
  seed = seed * 1664525u + 1013904223u;
  const int noise = static_cast<int>((seed >> 24) % 9) - 4;
  const int dx = x - 320 - 3 * i, dy = y - 240;
  const bool disc = dx * dx + dy * dy < 120 * 120;
  bgr[0] = static_cast<uint8_t>(((x + y + 4 * i) & 255) ^ (disc ? 0x40 : 0));
  bgr[1] = static_cast<uint8_t>((y * 255 / kHeight + noise) & 255);
  bgr[2] = static_cast<uint8_t>(disc ? 230 : (x * 255 / kWidth) & 255);
}

struct Corpus {
  std::unique_ptr<zel::FrameSet> frames[2];  // [0] 8-bit, [1] 24-bit
  std::string folder;
  bool ready = false;
  ~Corpus() {
    if (folder.empty()) return;
    for (const char* name : {"/f8.ppm", "/f24.ppm", "/one.ppm", "/out.ppm"}) {
      std::remove((folder + name).c_str());
    }
    rmdir(folder.c_str());
  }
};

bool Prepare(Corpus& c) {
  char folder[] = "/tmp/zel_rotate_bench_XXXXXX";
  if (mkdtemp(folder) == nullptr) return false;
  c.folder = folder;
  std::vector<zel::Rgbq> table(256);
  for (int i = 0; i < 256; ++i) {
    table[i] = {uint8_t(i), uint8_t((i * 7) & 255), uint8_t(255 - i), 0};
  }
  for (int depth = 0; depth < 2; ++depth) {
    c.frames[depth] = zel::FrameSet::Create(kFrames);
    if (!c.frames[depth]) return false;
    uint32_t seed = 99;
    for (int i = 0; i < kFrames; ++i) {
      PackedDib p = depth == 0 ? zel::NewPicture(kWidth, kHeight, 8, 256, table.data())
                               : zel::NewPicture(kWidth, kHeight, 24, 0);
      if (!p) return false;
      for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = p.Row(y);
        for (int x = 0; x < kWidth; ++x) {
          uint8_t bgr[3];
          Paint(i, x, y, bgr, seed);
          if (depth == 0) {
            row[x] = static_cast<uint8_t>(bgr[0] ^ (bgr[1] >> 2));
          } else {
            row[3 * x] = bgr[0];
            row[3 * x + 1] = bgr[1];
            row[3 * x + 2] = bgr[2];
          }
        }
      }
      c.frames[depth]->frame(i).image = std::move(p);
    }
    c.frames[depth]->count = kFrames;
  }
  return zel::bench::WritePpmFile(c.folder + "/f8.ppm", *c.frames[0], kFrames) &&
         zel::bench::WritePpmFile(c.folder + "/f24.ppm", *c.frames[1], kFrames) &&
         zel::bench::WritePpmFile(c.folder + "/one.ppm", *c.frames[1], 1);
}

Corpus& TheCorpus() {
  static Corpus corpus;
  static const bool prepared = (corpus.ready = Prepare(corpus));
  (void)prepared;
  return corpus;
}

std::string MagickCommand(const Corpus& c, const std::string& input) {
  return std::string(kConvert) + " -limit memory 4GiB -limit map 4GiB " + c.folder + input +
         " -virtual-pixel background -background 'rgb(192,192,192)' -distort SRT " +
         std::to_string(kAngle) + " ppm:" + c.folder + "/out.ppm";
}

double gStartSeconds = 0;
double gMagickSeconds[2] = {0, 0};  // per depth
double gOneThreadSeconds[2] = {0, 0};

void BM_RotateMagickOneFrame(benchmark::State& state) {
  Corpus& corpus = TheCorpus();
  if (!corpus.ready) return state.SkipWithError("could not prepare the frames");
  const std::string command = MagickCommand(corpus, "/one.ppm");
  const double seconds = zel::bench::TimeCommand(state, command);
  if (seconds < 0) return;
  gStartSeconds = seconds;
}

void BM_RotateMagick(benchmark::State& state) {
  Corpus& corpus = TheCorpus();
  if (!corpus.ready) return state.SkipWithError("could not prepare the frames");
  const int depth = state.range(0) == 8 ? 0 : 1;
  const std::string command = MagickCommand(corpus, depth == 0 ? "/f8.ppm" : "/f24.ppm");
  const double seconds = zel::bench::TimeCommand(state, command);
  if (seconds < 0) return;
  gMagickSeconds[depth] = seconds;
  state.counters["startSeconds"] = gStartSeconds;
  state.SetLabel("convert -distort SRT 30, 100 frames");
}

void BM_RotateZel(benchmark::State& state) {
  Corpus& corpus = TheCorpus();
  if (!corpus.ready) return state.SkipWithError("could not prepare the frames");
  const int depth = state.range(0) == 8 ? 0 : 1;
  const int threads = static_cast<int>(state.range(1));
  const zel::Fill fill{kFillColor, -1};
  const double turn = -kAngle / 180.0;
  const zel::FrameTransform rotate = [&](const PackedDib& p) { return zel::Rotate(p, turn, fill); };
  double total = 0;
  double cpu = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuSeconds();
    auto results = zel::TransformEachFrame(*corpus.frames[depth], rotate, {threads, {}});
    total += Seconds(start);
    cpu += ProcessCpuSeconds() - cpuStart;
    if (!results) return state.SkipWithError("rotation failed");
    benchmark::DoNotOptimize(results->data());
  }
  const double perRun = total / state.iterations();
  const int used = zel::FramePassThreads(threads, kFrames);
  if (used == 1) gOneThreadSeconds[depth] = perRun;
  if (used > 1 && gOneThreadSeconds[depth] > 0) {
    state.counters["speedup"] = gOneThreadSeconds[depth] / perRun;
  }
  if (gMagickSeconds[depth] > 0) state.counters["magickRatio"] = perRun / gMagickSeconds[depth];
  state.counters["threads"] = used;
  // Cores kept busy on average: near the thread count when the machine is otherwise idle.
  state.counters["coresBusy"] = cpu / total;
  state.counters["cpuSeconds"] = cpu / state.iterations();
  state.SetItemsProcessed(state.iterations() * int64_t{kFrames});
  state.SetLabel(std::string("Rotate ") + (depth == 0 ? "8-bit" : "24-bit") + ", 100 frames");
}

// ImageMagick first, then one thread, then every core, so the ratios can be given.
BENCHMARK(BM_RotateMagickOneFrame)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_RotateMagick)
    ->Arg(8)
    ->Arg(24)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();
BENCHMARK(BM_RotateZel)
    ->Args({8, 1})
    ->Args({8, 0})
    ->Args({24, 1})
    ->Args({24, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace
