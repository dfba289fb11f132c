// The editor with a long animation, as a user has it: FFmpeg's moving test picture, 300
// frames of 480 x 360 at 15 frames a second (51.8 MB of 8-bit pixels), opened in the real
// main window (offscreen), played, and put through an undo snapshot and an undo.
//
// Run:   build/bench/zel_editor_bench --benchmark_filter='LongClip'
//
// Counters: openSeconds (from OpenFile to the first frame drawn) against a `zel-cli info`
// run of the same file in the same run (openToInfo, to be at most 1.5; infoPeakToPixels is
// info's peak memory); baseMiB, the peak of the empty window before anything opens; the
// peak memory of each step against the pixel bytes, whole (…PeakToPixels: the open, three
// seconds of playback, the undo snapshot and the undo; at most 1.5 for the open editor) and
// less the empty window (…OwnToPixels), each step's peak measured on its own where the
// kernel lets the peak be reset; playedRate, the frames shown in the three seconds against
// those the delays ask for (1 keeps the frame rate); snapshotSeconds and undoSeconds, an
// undo snapshot of the whole animation written to the undo file, and its undo.
// The heap is set up as the editor's main sets it up.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <chrono>
#include <fstream>
#include <string>

#include "../bench_support.h"
#include "document/playback.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"

namespace zel {
namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 360;
constexpr int kFrames = 300;
constexpr double kPixelBytes = static_cast<double>(kWidth) * kHeight * kFrames;

double PeakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The peak of the step that follows, where the kernel can start it afresh (else the peak
// stays that of the whole run so far, which is no lower).
double StepPeakMiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return PeakMiB();
}

void StartStepPeak() {
  std::ofstream refs("/proc/self/clear_refs");
  refs << "5";
}

// Made in the private home the bench's main gives (TMPDIR); empty when FFmpeg fails.
std::string MakeAnimation() {
  const char* folder = getenv("TMPDIR");
  if (!folder || access("/usr/bin/ffmpeg", X_OK) != 0) return {};
  const std::string source = "testsrc2=s=" + std::to_string(kWidth) + "x" +
                             std::to_string(kHeight) + ":r=15:d=" + std::to_string(kFrames / 15);
  const std::string palette = std::string(folder) + "/palette.png";
  const std::string gif = std::string(folder) + "/testsrc.gif";
  if (!bench::RunChild({"/usr/bin/ffmpeg", "-v", "error", "-f", "lavfi", "-i", source, "-vf",
                        "palettegen", "-y", palette})
           .ok ||
      !bench::RunChild({"/usr/bin/ffmpeg", "-v", "error", "-f", "lavfi", "-i", source, "-i",
                        palette, "-lavfi", "paletteuse", "-y", gif})
           .ok) {
    return {};
  }
  return gif;
}

void BM_EditorLongClip(benchmark::State& state) {
  const std::string path = MakeAnimation();
  if (path.empty()) return state.SkipWithError("FFmpeg could not make the animation");
  const bench::ChildRun info = bench::RunChild({ZEL_CLI_PATH, "info", path});
  if (!info.ok) return state.SkipWithError("zel-cli info failed");

  EditorSession session;
  // Room for every frame, as the frame maximum in the options gives it (256 by default).
  if (session.Start() != StartResult::kStarted || !CreateDocumentContainer(session.doc, kFrames)) {
    return state.SkipWithError("the editor did not start");
  }
  MainWindow window(session);
  window.show();
  for (int i = 0; i < 50; ++i) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(2);
  }
  const double baseMiB = PeakMiB();

  double openSeconds = 0;
  double playedRate = 0;
  double snapshotSeconds = 0;
  double undoSeconds = 0;
  double openPeak = 0;
  double playingPeak = 0;
  double snapshotPeak = 0;
  double undoPeak = 0;
  for (auto _ : state) {
    StartStepPeak();
    const auto start = std::chrono::steady_clock::now();
    if (!window.OpenFile(path).done() || session.doc.frameSet->count != kFrames) {
      return state.SkipWithError("the animation did not open");
    }
    QApplication::processEvents();
    window.repaint();
    openSeconds = bench::Seconds(start);
    state.SetIterationTime(openSeconds);
    openPeak = StepPeakMiB();

    // Three seconds of playback: frames shown against the frames the delays ask for.
    StartStepPeak();
    StartPlayback(session.doc);
    QElapsedTimer clock;
    clock.start();
    int shown = 0;
    int last = session.doc.currentFrame;
    int64_t dueCentiseconds = 0;
    while (clock.elapsed() < 3000) {
      QApplication::processEvents(QEventLoop::AllEvents, 5);
      if (session.doc.currentFrame != last) {
        dueCentiseconds += session.doc.frameSet->frame(last).delay;
        last = session.doc.currentFrame;
        ++shown;
      }
    }
    const double due = static_cast<double>(clock.elapsed()) /
                       (10.0 * static_cast<double>(dueCentiseconds) / std::max(shown, 1));
    playedRate = due > 0 ? shown / due : 0;
    StopPlayback(session.doc);
    playingPeak = StepPeakMiB();

    StartStepPeak();
    const auto snapshotStart = std::chrono::steady_clock::now();
    session.doc.undo.TakeSnapshot(session.doc, kUndoEdit);
    snapshotSeconds = bench::Seconds(snapshotStart);
    snapshotPeak = StepPeakMiB();
    StartStepPeak();
    const auto undoStart = std::chrono::steady_clock::now();
    if (!session.doc.undo.Undo(session.doc)) return state.SkipWithError("the undo failed");
    undoSeconds = bench::Seconds(undoStart);
    undoPeak = StepPeakMiB();
  }
  const double pixelMiB = kPixelBytes / (1024.0 * 1024.0);
  auto& counters = state.counters;
  counters["infoSeconds"] = info.seconds;
  counters["infoPeakToPixels"] = info.peakMiB / pixelMiB;
  counters["openSeconds"] = openSeconds;
  counters["openToInfo"] = openSeconds / info.seconds;
  counters["baseMiB"] = baseMiB;
  const std::pair<const char*, double> steps[] = {
      {"open", openPeak}, {"playing", playingPeak}, {"snapshot", snapshotPeak}, {"undo", undoPeak}};
  for (const auto& [name, peak] : steps) {
    counters[std::string(name) + "PeakMiB"] = peak;
    counters[std::string(name) + "PeakToPixels"] = peak / pixelMiB;
    counters[std::string(name) + "OwnToPixels"] = (peak - baseMiB) / pixelMiB;
  }
  counters["playedRate"] = playedRate;
  counters["snapshotSeconds"] = snapshotSeconds;
  counters["undoSeconds"] = undoSeconds;
}
BENCHMARK(BM_EditorLongClip)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zel
