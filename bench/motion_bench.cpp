// Moving a 100-frame 640 x 480 animation (8-bit and 24-bit frames) along the circle path
// with wrap: zelcore's placement on one thread and on every core, next to ImageMagick
// rolling each frame by the same shift (`-roll`, which wraps the same way) in one run.
//
// Run:   build/bench/zel_bench --benchmark_filter='Motion'
//
// ImageMagick runs as /usr/bin/convert over 100 PPM files (one per frame, written once per
// run), each in parentheses with its own -roll, writing one multi-image PPM file; its time
// includes starting the process and the file reading and writing. The zelcore benchmarks
// report magickRatio = zelcore's time / ImageMagick's time for the same depth and, for the
// pass on every core, speedup = one thread's time / this time.

#include <benchmark/benchmark.h>
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
#include "generators/motion_builtins.h"
#include "generators/motion_command.h"
#include "generators/motion_placement.h"
#include "generators/motion_tracer.h"
#include "transforms/frame_pass.h"

namespace {

using zel::bench::Seconds;

using zel::PackedDib;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFrames = 100;
constexpr int kCircle = 7;
constexpr char kConvert[] = "/usr/bin/convert";

struct Corpus {
  std::unique_ptr<zel::FrameSet> frames[2];  // [0] 8-bit, [1] 24-bit
  zel::PreparedMotion motion;
  std::string folder;
  std::string magickArgs[2];
  bool ready = false;
  ~Corpus() {
    if (folder.empty()) return;
    for (int d = 0; d < 2; ++d) {
      for (int i = 0; i < kFrames; ++i) {
        std::remove((folder + "/f" + std::to_string(d) + "_" + std::to_string(i) + ".ppm").c_str());
      }
    }
    std::remove((folder + "/out.ppm").c_str());
    rmdir(folder.c_str());
  }
};

bool Prepare(Corpus& c) {
  char folder[] = "/tmp/zel_motion_bench_XXXXXX";
  if (mkdtemp(folder) == nullptr) return false;
  c.folder = folder;
  // The circle as the program draws and traces it, spread over the frames at range 100.
  std::vector<zel::MotionPoint> points;
  if (!zel::TraceMotionBitmap(zel::DrawBuiltinMotion(kCircle), &points).done()) return false;
  zel::PreparedMotion& m = c.motion;
  m.pictureWidth = kWidth;
  m.pictureHeight = kHeight;
  m.frameCount = kFrames;
  m.bitmapWidth = m.bitmapHeight = zel::kMotionBitmapSide;
  m.scaleX = kWidth / double(zel::kMotionBitmapSide);
  m.scaleY = kHeight / double(zel::kMotionBitmapSide);
  m.centerX = m.centerY = zel::kMotionBitmapSide / 2;
  m.flags = zel::kMotionWrap;
  m.points = points;
  std::vector<zel::Rgbq> table(256);
  for (int i = 0; i < 256; ++i)
    table[i] = {uint8_t(i), uint8_t((i * 7) & 255), uint8_t(255 - i), 0};
  for (int depth = 0; depth < 2; ++depth) {
    c.frames[depth] = zel::FrameSet::Create(kFrames);
    if (!c.frames[depth]) return false;
    for (int i = 0; i < kFrames; ++i) {
      PackedDib p = depth == 0 ? zel::NewPicture(kWidth, kHeight, 8, 256, table.data())
                               : zel::NewPicture(kWidth, kHeight, 24, 0);
      if (!p) return false;
      for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = p.Row(y);
        for (int x = 0; x < kWidth; ++x) {
          const uint8_t v = static_cast<uint8_t>((x / 8 + y / 8 + i) * 37);
          if (depth == 0) {
            row[x] = v;
          } else {
            row[3 * x] = v;
            row[3 * x + 1] = static_cast<uint8_t>(x + i);
            row[3 * x + 2] = static_cast<uint8_t>(y);
          }
        }
      }
      const std::string file =
          c.folder + "/f" + std::to_string(depth) + "_" + std::to_string(i) + ".ppm";
      if (!zel::bench::WritePpmFile(file, p)) return false;
      const zel::MotionShift shift = zel::MotionShiftAt(m, i);
      // -roll +x+y moves right and down, as the shift does.
      char roll[64];
      std::snprintf(roll, sizeof roll, "%+d%+d", shift.dx, shift.dy);
      c.magickArgs[depth] += " ( " + file + " -roll " + roll + " )";
      c.frames[depth]->frame(i).image = std::move(p);
    }
    c.frames[depth]->count = kFrames;
  }
  return true;
}

Corpus& TheCorpus() {
  static Corpus corpus;
  static const bool prepared = (corpus.ready = Prepare(corpus));
  (void)prepared;
  return corpus;
}

double gMagickSeconds[2] = {0, 0};
double gOneThreadSeconds[2] = {0, 0};

void BM_MotionMagick(benchmark::State& state) {
  Corpus& corpus = TheCorpus();
  if (!corpus.ready) return state.SkipWithError("could not prepare the frames");
  const int depth = state.range(0) == 8 ? 0 : 1;
  std::string command = std::string(kConvert) + " -limit memory 4GiB -limit map 4GiB";
  for (char ch : corpus.magickArgs[depth]) {
    if (ch == '(' || ch == ')') command += '\\';
    command += ch;
  }
  command += " ppm:" + corpus.folder + "/out.ppm";
  const double seconds = zel::bench::TimeCommand(state, command);
  if (seconds < 0) return;
  gMagickSeconds[depth] = seconds;
  state.SetLabel("convert -roll per frame, 100 frames");
}

void BM_MotionZel(benchmark::State& state) {
  Corpus& corpus = TheCorpus();
  if (!corpus.ready) return state.SkipWithError("could not prepare the frames");
  const int depth = state.range(0) == 8 ? 0 : 1;
  const int threads = static_cast<int>(state.range(1));
  double total = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    std::vector<PackedDib> results =
        zel::PlaceEveryFrame(corpus.motion, *corpus.frames[depth], 0xC0C0C0, -1, threads);
    total += Seconds(start);
    if (results.size() != kFrames) return state.SkipWithError("placement failed");
    benchmark::DoNotOptimize(results.data());
  }
  const double perRun = total / state.iterations();
  const int used = zel::FramePassThreads(threads, kFrames);
  if (used == 1) gOneThreadSeconds[depth] = perRun;
  if (used > 1 && gOneThreadSeconds[depth] > 0) {
    state.counters["speedup"] = gOneThreadSeconds[depth] / perRun;
  }
  if (gMagickSeconds[depth] > 0) state.counters["magickRatio"] = perRun / gMagickSeconds[depth];
  state.counters["threads"] = used;
  state.SetItemsProcessed(state.iterations() * int64_t{kFrames});
  state.SetLabel(std::string("Motion ") + (depth == 0 ? "8-bit" : "24-bit") + ", 100 frames");
}

// ImageMagick first, then one thread, then every core, so the ratios can be given.
BENCHMARK(BM_MotionMagick)
    ->Arg(8)
    ->Arg(24)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();
BENCHMARK(BM_MotionZel)
    ->Args({8, 1})
    ->Args({8, 0})
    ->Args({24, 1})
    ->Args({24, 0})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5)
    ->UseRealTime();

}  // namespace
