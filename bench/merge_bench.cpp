// Merging two 100-frame animations (640 x 480 under 200 x 150, 8-bit, paired frame by frame):
// zelcore's merge on one thread and on every core, next to ImageMagick compositing the same
// frames pairwise (`-layers composite`) in one run.
//
// Run:   build/bench/zel_bench --benchmark_filter='Merge'
//
// ImageMagick runs as /usr/bin/convert over two multi-image PPM files written once per run,
// writing one multi-image PPM file; its time includes starting the process and the file
// reading and writing. zelcore's time is the whole merge (compaction of both palettes, the
// palette merge, pairing and composition; the document is rebuilt outside the timing). The
// zelcore benchmarks report magickRatio = zelcore's time / ImageMagick's time and, on every
// core, speedup = one thread's time / this time.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "document/document_state.h"
#include "generators/animation_merge.h"
#include "platform/parallel.h"

namespace {

using zel::PackedDib;
using zel::bench::Seconds;

constexpr int kFrames = 100;
constexpr int kBaseWidth = 640, kBaseHeight = 480;
constexpr int kOverWidth = 200, kOverHeight = 150;
constexpr int kX = 100, kY = 80;
constexpr char kConvert[] = "/usr/bin/convert";

std::unique_ptr<zel::FrameSet> Animation(int w, int h, int colors, int seed) {
  std::vector<zel::Rgbq> table(static_cast<size_t>(colors));
  for (int i = 0; i < colors; ++i) {
    table[static_cast<size_t>(i)] = {uint8_t(seed + i * 4), uint8_t(i * 7), uint8_t(200 - i), 0};
  }
  auto set = zel::FrameSet::Create(kFrames);
  if (!set) return nullptr;
  set->screenWidth = w;
  set->screenHeight = h;
  set->transparentIndex = -1;
  for (int f = 0; f < kFrames; ++f) {
    PackedDib p = zel::NewPicture(w, h, 8, static_cast<uint32_t>(colors), table.data());
    if (!p) return nullptr;
    for (int y = 0; y < h; ++y) {
      uint8_t* row = p.Row(y);
      for (int x = 0; x < w; ++x) row[x] = static_cast<uint8_t>((x / 6 + y / 5 + f) % colors);
    }
    set->frame(f).image = std::move(p);
    set->frame(f).delay = 10;
    set->frame(f).transparentIndex = -1;
  }
  set->count = kFrames;
  return set;
}

struct Corpus {
  std::unique_ptr<zel::FrameSet> base, overlay;
  std::string folder;
  bool ready = false;
  ~Corpus() {
    if (folder.empty()) return;
    for (const char* name : {"/base.ppm", "/over.ppm", "/out.ppm"}) {
      std::remove((folder + name).c_str());
    }
    rmdir(folder.c_str());
  }
};

bool Prepare(Corpus& c) {
  char folder[] = "/tmp/zel_merge_bench_XXXXXX";
  if (mkdtemp(folder) == nullptr) return false;
  c.folder = folder;
  c.base = Animation(kBaseWidth, kBaseHeight, 96, 0);
  c.overlay = Animation(kOverWidth, kOverHeight, 64, 3);
  return c.base && c.overlay &&
         zel::bench::WritePpmFile(c.folder + "/base.ppm", *c.base, kFrames) &&
         zel::bench::WritePpmFile(c.folder + "/over.ppm", *c.overlay, kFrames);
}

Corpus& TheCorpus() {
  static Corpus corpus;
  static const bool prepared = (corpus.ready = Prepare(corpus));
  (void)prepared;
  return corpus;
}

std::unique_ptr<zel::FrameSet> Copy(const zel::FrameSet& source) {
  auto set = zel::FrameSet::Create(source.capacity());
  set->screenWidth = source.screenWidth;
  set->screenHeight = source.screenHeight;
  set->transparentIndex = source.transparentIndex;
  set->count = source.count;
  for (int i = 0; i < source.count; ++i) {
    set->frame(i).image = zel::DuplicateBlock(source.frame(i).image);
    set->frame(i).delay = source.frame(i).delay;
    set->frame(i).transparentIndex = source.frame(i).transparentIndex;
  }
  return set;
}

double gMagickSeconds = 0;
double gOneThreadSeconds = 0;

void BM_MergeMagick(benchmark::State& state) {
  Corpus& corpus = TheCorpus();
  if (!corpus.ready) return state.SkipWithError("could not prepare the frames");
  const std::string command =
      std::string(kConvert) + " -limit memory 4GiB -limit map 4GiB " + corpus.folder +
      "/base.ppm null: " + corpus.folder + "/over.ppm -geometry +" + std::to_string(kX) + "+" +
      std::to_string(kY) + " -layers composite ppm:" + corpus.folder + "/out.ppm";
  const double seconds = zel::bench::TimeCommand(state, command);
  if (seconds < 0) return;
  gMagickSeconds = seconds;
  state.SetLabel("convert -layers composite, 100 frame pairs");
}

void BM_MergeZel(benchmark::State& state) {
  Corpus& corpus = TheCorpus();
  if (!corpus.ready) return state.SkipWithError("could not prepare the frames");
  const int threads = static_cast<int>(state.range(0));
  zel::SetParallelWorkers(threads);
  double total = 0;
  for (auto _ : state) {
    state.PauseTiming();
    zel::DocumentState doc;
    if (!zel::CreateDocumentContainer(doc, kFrames)) return state.SkipWithError("no container");
    auto base = Copy(*corpus.base);
    zel::InstallAnimation(doc, *base, zel::ImageKind::kGifAnimation, 0);
    zel::MergeOverlay overlay;
    overlay.frames = Copy(*corpus.overlay);
    state.ResumeTiming();
    auto start = std::chrono::steady_clock::now();
    const zel::MergeResult result =
        zel::MergeIntoDocument(doc, std::move(overlay), zel::kMergeInFront, kX, kY, 0);
    total += Seconds(start);
    if (result.error != zel::kMergeOk) return state.SkipWithError("merge failed");
    benchmark::DoNotOptimize(doc.frameSet->frame(0).image.data());
  }
  zel::SetParallelWorkers(0);
  const double perRun = total / state.iterations();
  if (threads == 1) gOneThreadSeconds = perRun;
  if (threads != 1 && gOneThreadSeconds > 0) state.counters["speedup"] = gOneThreadSeconds / perRun;
  if (gMagickSeconds > 0) state.counters["magickRatio"] = perRun / gMagickSeconds;
  state.counters["threads"] = threads == 0 ? zel::ParallelWorkers() : threads;
  state.SetItemsProcessed(state.iterations() * int64_t{kFrames});
  state.SetLabel("Merge 100 + 100 frames");
}

// ImageMagick first, then one thread, then every core, so the ratios can be given.
BENCHMARK(BM_MergeMagick)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_MergeZel)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(0.5)->UseRealTime();

}  // namespace
