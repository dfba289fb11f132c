// Forty photo-like JPEG files of 1280 x 960 made into one 256-colour animation: zel-cli
// from-images next to ImageMagick's `convert *.jpg -colors 256 out.gif`, both run as child
// processes in the same run, each measured by its wall time and its peak memory (the
// child's ru_maxrss from wait4).
//
// Run:   build/bench/zel_bench --benchmark_filter='FromImages'
//
// The pictures are written once per run into a private temporary folder by the program's
// own JPEG writer (quality 90): gradients that drift from file to file, two soft discs that
// move, and noise of +-8 from a fixed seed, so every run reads the same files. Counters:
// seconds and peakMiB for each; zel-cli's benchmark (run after ImageMagick's) also reports
// magickRatio = ImageMagick's time / zel-cli's time and magickPeakMiB.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "document/packed_dib.h"
#include "imagefiles/jpeg_writer.h"

namespace {

using zel::bench::ChildRun;
using zel::bench::RunChild;

constexpr int kWidth = 1280;
constexpr int kHeight = 960;
constexpr int kFiles = 40;
constexpr char kConvert[] = "/usr/bin/convert";

uint8_t Clamp(int v) {
  return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

zel::PackedDib MakePhoto(int index) {
  zel::PackedDib picture = zel::NewPicture(kWidth, kHeight, 24, 0);
  if (!picture) return picture;
  uint32_t state = 0x9E3779B9u + static_cast<uint32_t>(index) * 7919u;
  const int cx = 300 + index * 15, cy = 300 + index * 6;
  for (int y = 0; y < kHeight; ++y) {
    uint8_t* p = picture.Row(y);
    for (int x = 0; x < kWidth; ++x, p += 3) {
      state ^= state << 13;
      state ^= state >> 17;
      state ^= state << 5;
      const int noise = static_cast<int>(state % 17) - 8;
      int r = 30 + x * 160 / kWidth + index * 2;
      int g = 50 + y * 140 / kHeight + (x % 400) / 10;
      int b = 210 - y * 160 / kHeight + index;
      const int dx = x - cx, dy = y - cy, d = (dx * dx + dy * dy) / 500;
      if (d < 255) {
        r += (255 - d) * 2 / 3;
        g -= (255 - d) / 5;
      }
      const int ex = x - (1000 - index * 10), ey = y - 650, e = (ex * ex + ey * ey) / 800;
      if (e < 255) {
        b += (255 - e) / 2;
        g += (255 - e) / 3;
      }
      p[0] = Clamp(b + noise);
      p[1] = Clamp(g + noise);
      p[2] = Clamp(r + noise);
    }
  }
  return picture;
}

// The folder with the files, made once per run.
class Inputs {
 public:
  Inputs() {
    char pattern[] = "/tmp/zel-from-images-XXXXXX";
    if (!mkdtemp(pattern)) return;
    folder_ = pattern;
    for (int i = 0; i < kFiles; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/photo%02d.jpg", i);
      const std::string path = folder_ + name;
      if (zel::WriteJpegFile(MakePhoto(i), path, 90) != 0) {
        files_.clear();
        return;
      }
      files_.push_back(path);
    }
  }
  ~Inputs() {
    if (!folder_.empty()) std::filesystem::remove_all(folder_);
  }
  bool Ready() const { return files_.size() == kFiles; }
  const std::vector<std::string>& Files() const { return files_; }
  std::string Output(const char* name) const { return folder_ + "/" + name; }

 private:
  std::string folder_;
  std::vector<std::string> files_;
};

Inputs& SharedInputs() {
  static Inputs inputs;
  return inputs;
}

ChildRun gMagick;

void BM_FromImagesMagick(benchmark::State& state) {
  Inputs& inputs = SharedInputs();
  if (!inputs.Ready()) return state.SkipWithError("the JPEG files could not be written");
  if (access(kConvert, X_OK) != 0) return state.SkipWithError("ImageMagick is not installed");
  std::vector<std::string> args = {kConvert};
  args.insert(args.end(), inputs.Files().begin(), inputs.Files().end());
  args.insert(args.end(), {"-colors", "256", inputs.Output("magick.gif")});
  ChildRun run;
  for (auto _ : state) {
    run = RunChild(args);
    if (!run.ok) return state.SkipWithError("convert failed");
    state.SetIterationTime(run.seconds);
  }
  gMagick = run;
  state.counters["seconds"] = run.seconds;
  state.counters["peakMiB"] = run.peakMiB;
}

void BM_FromImagesZel(benchmark::State& state) {
  Inputs& inputs = SharedInputs();
  if (!inputs.Ready()) return state.SkipWithError("the JPEG files could not be written");
  std::vector<std::string> args = {ZEL_CLI_PATH, "from-images"};
  args.insert(args.end(), inputs.Files().begin(), inputs.Files().end());
  args.insert(args.end(), {"--colors", "256", "--side", "1280", "-o", inputs.Output("zel.gif")});
  ChildRun run;
  for (auto _ : state) {
    run = RunChild(args);
    if (!run.ok) return state.SkipWithError("zel-cli from-images failed");
    state.SetIterationTime(run.seconds);
  }
  state.counters["seconds"] = run.seconds;
  state.counters["peakMiB"] = run.peakMiB;
  if (gMagick.ok && run.seconds > 0) {
    state.counters["magickRatio"] = gMagick.seconds / run.seconds;
    state.counters["magickPeakMiB"] = gMagick.peakMiB;
  }
}

}  // namespace

BENCHMARK(BM_FromImagesMagick)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_FromImagesZel)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
