// A 10-second 1280 x 720 clip made into a 480-wide GIF at 15 frames a second: zel-cli
// from-video next to FFmpeg's palette recipe
//   ffmpeg -i clip -vf "fps=15,scale=480:-1:flags=lanczos,split[a][b];[a]palettegen[p];
//                       [b][p]paletteuse" out.gif
// both run as child processes in the same run, each measured by its wall time and its peak
// memory (the child's ru_maxrss from wait4), and each GIF's frames (decoded by FFmpeg) set
// against the source pictures at the same times scaled the same way (FFmpeg's fps and
// Lanczos scale): the mean PSNR over all frames and the worst frame's.
//
// Run:   build/bench/zel_bench --benchmark_filter='FromVideo'
//
// The clip is made once per run by FFmpeg: testsrc2 with moving grain (noise=alls=8, as a
// camera's), H.264 at CRF 20. Counters: seconds, peakMiB, psnr, worstPsnr for each;
// zel-cli's benchmark (run after FFmpeg's) also reports ffmpegRatio = FFmpeg's time /
// zel-cli's time, ffmpegPeakMiB and ffmpegPsnr.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

using zel::bench::ChildRun;
using zel::bench::RunChild;

constexpr char kFfmpeg[] = "/usr/bin/ffmpeg";
constexpr int kWidth = 480;
constexpr int kHeight = 270;
constexpr int kFrames = 150;
constexpr size_t kFrameBytes = size_t{kWidth} * kHeight * 3;

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {});
}

// The clip and the source pictures, made once per run.
class Inputs {
 public:
  Inputs() {
    char pattern[] = "/tmp/zel-from-video-XXXXXX";
    if (!mkdtemp(pattern)) return;
    folder_ = pattern;
    clip_ = folder_ + "/clip.mp4";
    const std::string reference = folder_ + "/reference.rgb";
    const bool made =
        RunChild({kFfmpeg, "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                  "testsrc2=s=1280x720:r=30:d=10,noise=alls=8:allf=t", "-c:v", "libx264", "-crf",
                  "20", "-pix_fmt", "yuv420p", clip_})
            .ok &&
        RunChild({kFfmpeg, "-nostdin", "-loglevel", "error", "-y", "-i", clip_, "-vf",
                  "fps=15,scale=480:-1:flags=lanczos", "-f", "rawvideo", "-pix_fmt", "rgb24",
                  reference})
            .ok;
    if (made) reference_ = ReadAll(reference);
  }
  ~Inputs() {
    if (!folder_.empty()) std::filesystem::remove_all(folder_);
  }
  bool Ready() const { return reference_.size() == kFrameBytes * kFrames; }
  const std::string& Clip() const { return clip_; }
  std::string Output(const char* name) const { return folder_ + "/" + name; }

  // Mean and worst PSNR of the GIF's frames against the source pictures; false when the
  // GIF does not decode to as many frames of the size.
  bool Compare(const std::string& gif, double* mean, double* worst) const {
    const std::string raw = gif + ".rgb";
    if (!RunChild({kFfmpeg, "-nostdin", "-loglevel", "error", "-y", "-i", gif, "-vsync", "0",
                   "-f", "rawvideo", "-pix_fmt", "rgb24", raw})
             .ok) {
      return false;
    }
    const std::vector<uint8_t> frames = ReadAll(raw);
    if (frames.size() != reference_.size()) return false;
    double sum = 0;
    *worst = 1e9;
    for (int f = 0; f < kFrames; ++f) {
      double squares = 0;
      const size_t base = kFrameBytes * f;
      for (size_t i = 0; i < kFrameBytes; ++i) {
        const double d = double(frames[base + i]) - double(reference_[base + i]);
        squares += d * d;
      }
      const double mse = squares / kFrameBytes;
      const double psnr = mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
      sum += psnr;
      *worst = std::min(*worst, psnr);
    }
    *mean = sum / kFrames;
    return true;
  }

 private:
  std::string folder_;
  std::string clip_;
  std::vector<uint8_t> reference_;
};

Inputs& SharedInputs() {
  static Inputs inputs;
  return inputs;
}

ChildRun gFfmpeg;
double gFfmpegPsnr = 0;

void Measure(benchmark::State& state, const std::vector<std::string>& args, const char* output,
             ChildRun* run, double* psnr) {
  Inputs& inputs = SharedInputs();
  for (auto _ : state) {
    *run = RunChild(args);
    if (!run->ok) return state.SkipWithError("the command failed");
    state.SetIterationTime(run->seconds);
  }
  double worst = 0;
  if (!inputs.Compare(inputs.Output(output), psnr, &worst)) {
    return state.SkipWithError("the GIF does not decode to the source's frames");
  }
  state.counters["seconds"] = run->seconds;
  state.counters["peakMiB"] = run->peakMiB;
  state.counters["psnr"] = *psnr;
  state.counters["worstPsnr"] = worst;
}

void BM_FromVideoFfmpeg(benchmark::State& state) {
  Inputs& inputs = SharedInputs();
  if (!inputs.Ready()) return state.SkipWithError("FFmpeg could not make the clip");
  ChildRun run;
  double psnr = 0;
  Measure(state,
          {kFfmpeg, "-nostdin", "-loglevel", "error", "-y", "-i", inputs.Clip(), "-vf",
           "fps=15,scale=480:-1:flags=lanczos,split[a][b];[a]palettegen[p];[b][p]paletteuse",
           inputs.Output("ffmpeg.gif")},
          "ffmpeg.gif", &run, &psnr);
  gFfmpeg = run;
  gFfmpegPsnr = psnr;
}

void BM_FromVideoZel(benchmark::State& state) {
  Inputs& inputs = SharedInputs();
  if (!inputs.Ready()) return state.SkipWithError("FFmpeg could not make the clip");
  ChildRun run;
  double psnr = 0;
  Measure(state,
          {ZEL_CLI_PATH, "from-video", inputs.Clip(), "--fps", "15", "--width", "480", "-o",
           inputs.Output("zel.gif")},
          "zel.gif", &run, &psnr);
  if (gFfmpeg.ok && run.seconds > 0) {
    state.counters["ffmpegRatio"] = gFfmpeg.seconds / run.seconds;
    state.counters["ffmpegPeakMiB"] = gFfmpeg.peakMiB;
    state.counters["ffmpegPsnr"] = gFfmpegPsnr;
  }
}

}  // namespace

BENCHMARK(BM_FromVideoFfmpeg)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_FromVideoZel)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
