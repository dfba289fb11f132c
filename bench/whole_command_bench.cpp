// Whole commands on a long animation, as a user runs them: `zel-cli info` and
// `zel-cli convert` next to giflib's `giffix` (reads and rewrites the file) and gifsicle
// (`--info`, and reading and writing the file), all child processes of the same run, each
// measured by its wall time and its peak memory (the child's ru_maxrss from wait4) against
// the animation's pixel bytes.
//
// Run:   build/bench/zel_bench --benchmark_filter='WholeCommand'
//
// The animation is made once per run in a private temporary folder by FFmpeg: 300 frames
// of its moving test picture, 480 x 360, 15 frames a second, one palette made for the
// whole clip and each frame cut to what changed, unchanged pixels transparent (what a
// video turned into a GIF usually is). Counters: seconds, peakMiB and peakToPixels (peak
// memory / 51.8 MB of 8-bit pixels) for each; the zel-cli runs also give giffixRatio
// (their time / giffix's time, to be at most 0.2 for info and 0.5 for convert).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

using zel::bench::ChildRun;
using zel::bench::RunChild;

constexpr int kWidth = 480;
constexpr int kHeight = 360;
constexpr int kFrames = 300;
constexpr double kPixelBytes = static_cast<double>(kWidth) * kHeight * kFrames;
constexpr char kGiffix[] = "/usr/bin/giffix";
constexpr char kGifsicle[] = "/usr/bin/gifsicle";

// The animation, made once per run.
zel::bench::FfmpegGif& SharedAnimation() {
  static zel::bench::FfmpegGif animation("s=" + std::to_string(kWidth) + "x" +
                                             std::to_string(kHeight) +
                                             ":r=15:d=" + std::to_string(kFrames / 15),
                                         "zel-whole-command");
  return animation;
}

ChildRun gGiffix;

void Report(benchmark::State& state, const ChildRun& run) {
  state.counters["seconds"] = run.seconds;
  state.counters["peakMiB"] = run.peakMiB;
  state.counters["peakToPixels"] = run.peakMiB * 1024 * 1024 / kPixelBytes;
  if (gGiffix.ok && gGiffix.seconds > 0)
    state.counters["giffixRatio"] = run.seconds / gGiffix.seconds;
}

// Runs the command once per iteration and reports the last run.
void Measure(benchmark::State& state, const std::vector<std::string>& args, ChildRun* keep) {
  zel::bench::FfmpegGif& animation = SharedAnimation();
  if (!animation.Ready()) return state.SkipWithError("FFmpeg could not make the animation");
  if (access(args[0].c_str(), X_OK) != 0)
    return state.SkipWithError((args[0] + " is missing").c_str());
  ChildRun run;
  for (auto _ : state) {
    run = RunChild(args);
    if (!run.ok) return state.SkipWithError((args[0] + " failed").c_str());
    state.SetIterationTime(run.seconds);
  }
  if (keep) *keep = run;
  Report(state, run);
}

void BM_WholeCommandGiffix(benchmark::State& state) {
  Measure(state, {kGiffix, SharedAnimation().Path()}, &gGiffix);
}

void BM_WholeCommandGifsicleInfo(benchmark::State& state) {
  Measure(state, {kGifsicle, "--info", SharedAnimation().Path()}, nullptr);
}

void BM_WholeCommandGifsicleCopy(benchmark::State& state) {
  Measure(state, {kGifsicle, SharedAnimation().Path(), "-o", SharedAnimation().Output("sicle.gif")},
          nullptr);
}

void BM_WholeCommandZelInfo(benchmark::State& state) {
  Measure(state, {ZEL_CLI_PATH, "info", SharedAnimation().Path()}, nullptr);
}

void BM_WholeCommandZelConvert(benchmark::State& state) {
  Measure(state,
          {ZEL_CLI_PATH, "convert", SharedAnimation().Path(), SharedAnimation().Output("zel.gif")},
          nullptr);
}

}  // namespace

// giffix first: the others are reported against it.
BENCHMARK(BM_WholeCommandGiffix)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeCommandGifsicleInfo)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeCommandGifsicleCopy)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeCommandZelInfo)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeCommandZelConvert)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
