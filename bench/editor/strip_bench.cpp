// Opening an animation of 10000 small frames in the real main window (offscreen) with the
// frame strip shown, against the same with the strip hidden: the strip makes thumbnails
// only for the frames on screen, so it should cost little (target: at most 1.2 times).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QThread>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/heap_tuning.h"
#include "support/gif_builder.h"
#include "ui/editor_session.h"
#include "ui/frame_strip.h"
#include "ui/main_window.h"
#include "ui/picture_view.h"

namespace zel {
namespace {

constexpr int kFrames = 10000;

std::string& Folder() {
  static std::string folder;
  return folder;
}

std::string AnimationPath() {
  static std::string path;
  if (!path.empty()) return path;
  testing::GifBuilder gif(24, 16, {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}});
  gif.Looping();
  for (int i = 0; i < kFrames; ++i) {
    std::vector<uint8_t> pixels(24 * 16);
    for (size_t p = 0; p < pixels.size(); ++p) pixels[p] = static_cast<uint8_t>((p + i) % 4);
    gif.Control(0x04, 5, 0).Image(0, 0, 24, 16, pixels);
  }
  path = Folder() + "/long.gif";
  const std::vector<uint8_t>& bytes = gif.Trailer().bytes();
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return path;
}

void BM_OpenLongAnimation(benchmark::State& state) {
  const bool strip = state.range(0) != 0;
  const std::string path = AnimationPath();
  EditorSession session;
  if (session.Start() != StartResult::kStarted || !CreateDocumentContainer(session.doc, kFrames)) {
    state.SkipWithError("the editor did not start");
    return;
  }
  session.settings.showFrameStrip = strip;
  MainWindow window(session);
  window.show();
  // Until the offscreen window is exposed and paints.
  for (int i = 0; i < 50; ++i) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(2);
  }
  for (auto _ : state) {
    if (!window.OpenFile(path).done() || session.doc.frameSet->count != kFrames) {
      state.SkipWithError("the animation did not open");
      break;
    }
    // Until the window has drawn the new document, the strip (laid out) included.
    QApplication::processEvents();
    window.repaint();
    if (strip) window.Strip()->List()->viewport()->repaint();
    QApplication::processEvents();
  }
  if (strip) {
    // Thumbnails made during the runs (the frames on screen, once per open).
    state.counters["thumbnails"] = static_cast<double>(window.Strip()->Model()->Cache().rendered());
  }
  state.SetLabel(strip ? "strip shown" : "strip hidden");
}
BENCHMARK(BM_OpenLongAnimation)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace zel

int main(int argc, char** argv) {
  // The heap as the editor sets it up, before Qt starts any thread.
  zel::KeepPictureBlocksInHeap();
  // A private home: the settings, the instance lock and the undo files stay in it.
  std::string templ = (std::filesystem::temp_directory_path() / "zel-bench-XXXXXX").string();
  if (!mkdtemp(templ.data())) return 1;
  zel::Folder() = templ;
  for (const char* sub : {"home", "config", "data", "run"}) {
    std::filesystem::create_directories(templ + "/" + sub);
  }
  std::filesystem::permissions(templ + "/run", std::filesystem::perms::owner_all);
  setenv("HOME", (templ + "/home").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (templ + "/config").c_str(), 1);
  setenv("XDG_DATA_HOME", (templ + "/data").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (templ + "/run").c_str(), 1);
  setenv("TMPDIR", templ.c_str(), 1);
  if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(templ);
  return 0;
}
