// The optimised GIF save next to gifsicle -O3, and zel-cli convert next to giflib's giffix,
// on one animation built at start-up: 100 frames of 640x480 over a fixed textured
// background with a 48x40 object crossing it (fixed pattern, so every run sees the same
// pixels). Each peer runs first so that our benchmark can show the ratio:
//   speedRatio  peer seconds / our seconds (above 1: we are faster)
//   sizeRatio   our bytes / peer bytes (at most 1: we are smaller or equal)
//
// Run:   build/bench/zel_bench --benchmark_filter='Optimize|Convert'

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "document/frame_set.h"
#include "document/packed_dib.h"
#include "imagefiles/gif_decoder.h"
#include "imagefiles/gif_encoder.h"
#include "imagefiles/gif_optimizer.h"
#include "platform/file_io.h"

namespace {

using zel::bench::Seconds;

constexpr int kFrames = 100;
constexpr int kWidth = 640;
constexpr int kHeight = 480;

std::unique_ptr<zel::FrameSet> MovingObject() {
  auto frames = std::make_unique<zel::FrameSet>(kFrames);
  frames->screenWidth = kWidth;
  frames->screenHeight = kHeight;
  frames->transparentIndex = -1;
  frames->paletteCount = 64;
  frames->loop = 1;
  for (int i = 0; i < 64; ++i) {
    frames->palette[i] = zel::Rgbq{static_cast<uint8_t>(i * 4), static_cast<uint8_t>(255 - i * 3),
                                   static_cast<uint8_t>((i * 37) & 255), 0};
  }
  uint32_t state = 11;
  std::vector<uint8_t> back(static_cast<size_t>(kWidth) * kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      state = state * 1103515245u + 12345u;
      back[static_cast<size_t>(y) * kWidth + x] =
          static_cast<uint8_t>(((x / 16 + y / 12) % 12) * 4 + ((state >> 16) % 4));
    }
  }
  for (int f = 0; f < kFrames; ++f) {
    zel::PackedDib image = zel::NewPicture(kWidth, kHeight, 8, 64, frames->palette.data());
    if (!image) return nullptr;
    for (int y = 0; y < kHeight; ++y) {
      std::copy_n(back.data() + static_cast<size_t>(y) * kWidth, kWidth, image.Row(y));
    }
    const int ox = (f * 7) % (kWidth - 48), oy = (f * 3) % (kHeight - 40);
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 48; ++x) {
        image.Row(oy + y)[ox + x] = static_cast<uint8_t>(48 + ((x / 6 + y / 5 + f) % 16));
      }
    }
    frames->frame(f).image = std::move(image);
    frames->frame(f).delay = 4;
    frames->count = f + 1;
  }
  return frames;
}

struct Corpus {
  bool ready = false;
  std::unique_ptr<zel::FrameSet> frames;
  std::string folder;
  std::string normal;  // our normal save of the frames
  double gifsicleSeconds = 0;
  size_t gifsicleBytes = 0;
  double giffixSeconds = 0;

  ~Corpus() {
    if (!folder.empty()) std::filesystem::remove_all(folder);
  }
};

Corpus& TheCorpus() {
  static Corpus corpus;
  static bool made = false;
  if (made) return corpus;
  made = true;
  corpus.frames = MovingObject();
  char pattern[] = "/tmp/zel-bench-XXXXXX";
  if (!corpus.frames || mkdtemp(pattern) == nullptr) return corpus;
  corpus.folder = pattern;
  corpus.normal = corpus.folder + "/normal.gif";
  corpus.ready = zel::WriteGifFile(*corpus.frames, corpus.normal, false, nullptr) == 0;
  return corpus;
}

bool Run(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

void BM_OptimizeGifsicle(benchmark::State& state) {
  Corpus& corpus = TheCorpus();
  if (!corpus.ready) return state.SkipWithError("could not prepare the animation");
  const std::string out = corpus.folder + "/gifsicle.gif";
  const std::string command = "gifsicle -O3 " + corpus.normal + " -o " + out;
  double total = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    if (!Run(command)) return state.SkipWithError("gifsicle failed");
    total += Seconds(start);
  }
  corpus.gifsicleSeconds = total / state.iterations();
  corpus.gifsicleBytes = std::filesystem::file_size(out);
  state.counters["out_bytes"] = static_cast<double>(corpus.gifsicleBytes);
  state.SetLabel("gifsicle -O3 on the normal save");
}

void BM_OptimizeZel(benchmark::State& state) {
  Corpus& corpus = TheCorpus();
  if (!corpus.ready) return state.SkipWithError("could not prepare the animation");
  std::vector<uint8_t> out;
  double total = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    if (zel::BuildOptimizedGifFile(*corpus.frames, nullptr, out) != zel::kGifWriteOk) {
      return state.SkipWithError("BuildOptimizedGifFile failed");
    }
    total += Seconds(start);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["out_bytes"] = static_cast<double>(out.size());
  if (corpus.gifsicleSeconds > 0) {
    state.counters["speedRatio"] = corpus.gifsicleSeconds / (total / state.iterations());
    state.counters["sizeRatio"] =
        static_cast<double>(out.size()) / static_cast<double>(corpus.gifsicleBytes);
  }
  state.SetLabel("BuildOptimizedGifFile");
}

void BM_ConvertGiffix(benchmark::State& state) {
  Corpus& corpus = TheCorpus();
  if (!corpus.ready) return state.SkipWithError("could not prepare the animation");
  const std::string command = "giffix " + corpus.normal + " > " + corpus.folder + "/giffix.gif";
  double total = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    if (!Run(command)) return state.SkipWithError("giffix failed");
    total += Seconds(start);
  }
  corpus.giffixSeconds = total / state.iterations();
  state.SetLabel("giffix");
}

void BM_ConvertZelCli(benchmark::State& state) {
  Corpus& corpus = TheCorpus();
  if (!corpus.ready) return state.SkipWithError("could not prepare the animation");
  const std::string command = std::string(ZEL_CLI_PATH) + " convert " + corpus.normal + " " +
                              corpus.folder + "/converted.gif";
  double total = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    if (!Run(command)) return state.SkipWithError("zel-cli convert failed");
    total += Seconds(start);
  }
  if (corpus.giffixSeconds > 0) {
    state.counters["speedRatio"] = corpus.giffixSeconds / (total / state.iterations());
  }
  state.SetLabel("zel-cli convert (read + write)");
}

BENCHMARK(BM_OptimizeGifsicle)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_OptimizeZel)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_ConvertGiffix)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_ConvertZelCli)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

}  // namespace
