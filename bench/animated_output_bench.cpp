// Saving an animation as animated WebP and APNG, as a user runs it: `zel-cli convert
// IN.gif OUT.webp` (lossless, and `--lossy 75`) next to libwebp's own `gif2webp` (its
// lossless default, and `-lossy -q 75`), and `zel-cli convert IN.gif OUT.png` next to
// FFmpeg's APNG muxer (`ffmpeg -i IN.gif -f apng -plays 0 OUT.png`), all on the same frames,
// child processes of one run.
//
// Run:   build/bench/zel_bench --benchmark_filter='AnimatedOutput'
//
// The animation is made once per run by FFmpeg: 150 frames of its moving test picture,
// 480 x 360, 15 frames a second, one palette for the clip (palettegen/paletteuse), as
// whole_command_bench makes its longer one. Counters: seconds, peakMiB, bytes (the file
// written) and, for this program's runs, sizeRatio and timeRatio against the peer's run of
// the same kind (below 1 is better).

#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

using zel::bench::ChildRun;
using zel::bench::RunChild;

constexpr char kFfmpeg[] = "/usr/bin/ffmpeg";
constexpr char kGif2webp[] = "/usr/bin/gif2webp";

zel::bench::FfmpegGif& Clip() {
  static zel::bench::FfmpegGif clip("s=480x360:r=15:d=10", "zel-animated-output");
  return clip;
}

double FileBytes(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? static_cast<double>(info.st_size) : 0;
}

// The peers' runs, kept for the ratios of this program's runs that follow them.
struct Kept {
  ChildRun run;
  double bytes = 0;
};
Kept gWebpPeer, gWebpLossyPeer, gApngPeer;

// Runs the command once per iteration; reports the last run and the file it wrote.
void Measure(benchmark::State& state, const std::vector<std::string>& args,
             const std::string& output, Kept* keep, const Kept* peer) {
  if (!Clip().Ready()) return state.SkipWithError("FFmpeg could not make the animation");
  if (access(args[0].c_str(), X_OK) != 0) {
    return state.SkipWithError((args[0] + " is missing").c_str());
  }
  ChildRun run;
  for (auto _ : state) {
    std::filesystem::remove(output);
    run = RunChild(args);
    if (!run.ok) return state.SkipWithError((args[0] + " failed").c_str());
    state.SetIterationTime(run.seconds);
  }
  const double bytes = FileBytes(output);
  state.counters["seconds"] = run.seconds;
  state.counters["peakMiB"] = run.peakMiB;
  state.counters["bytes"] = bytes;
  if (keep) *keep = {run, bytes};
  if (peer && peer->bytes > 0 && peer->run.seconds > 0) {
    state.counters["sizeRatio"] = bytes / peer->bytes;
    state.counters["timeRatio"] = run.seconds / peer->run.seconds;
  }
}

void BM_AnimatedOutputGif2webp(benchmark::State& state) {
  const std::string out = Clip().Output("peer.webp");
  Measure(state, {kGif2webp, "-quiet", Clip().Path(), "-o", out}, out, &gWebpPeer, nullptr);
}

void BM_AnimatedOutputZelWebp(benchmark::State& state) {
  const std::string out = Clip().Output("zel.webp");
  Measure(state, {ZEL_CLI_PATH, "convert", Clip().Path(), out}, out, nullptr, &gWebpPeer);
}

void BM_AnimatedOutputGif2webpLossy(benchmark::State& state) {
  const std::string out = Clip().Output("peer_lossy.webp");
  Measure(state, {kGif2webp, "-quiet", "-lossy", "-q", "75", Clip().Path(), "-o", out}, out,
          &gWebpLossyPeer, nullptr);
}

void BM_AnimatedOutputZelWebpLossy(benchmark::State& state) {
  const std::string out = Clip().Output("zel_lossy.webp");
  Measure(state, {ZEL_CLI_PATH, "convert", Clip().Path(), out, "--lossy", "75"}, out, nullptr,
          &gWebpLossyPeer);
}

void BM_AnimatedOutputFfmpegApng(benchmark::State& state) {
  const std::string out = Clip().Output("peer.png");
  Measure(state,
          {kFfmpeg, "-v", "error", "-y", "-i", Clip().Path(), "-f", "apng", "-plays", "0", out},
          out, &gApngPeer, nullptr);
}

void BM_AnimatedOutputZelApng(benchmark::State& state) {
  const std::string out = Clip().Output("zel.png");
  Measure(state, {ZEL_CLI_PATH, "convert", Clip().Path(), out}, out, nullptr, &gApngPeer);
}

}  // namespace

// Each peer runs right before this program's run of the same kind.
BENCHMARK(BM_AnimatedOutputGif2webp)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnimatedOutputZelWebp)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnimatedOutputGif2webpLossy)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnimatedOutputZelWebpLossy)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnimatedOutputFfmpegApng)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnimatedOutputZelApng)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
