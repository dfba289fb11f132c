#include "bench_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

extern char** environ;

namespace zel::bench {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double TimeCommand(benchmark::State& state, const std::string& command) {
  double total = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("convert failed");
      return -1;
    }
    total += Seconds(start);
  }
  return total / static_cast<double>(state.iterations());
}

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

bool AppendPpm(std::FILE* f, const PackedDib& picture) {
  const DibHeader h = picture.Header();
  const bool indexed = h.bitCount == 8;
  if (!indexed && h.bitCount != 24) return false;
  std::fprintf(f, "P6\n%d %d\n255\n", h.width, h.height);
  std::vector<uint8_t> row(3 * static_cast<size_t>(h.width));
  for (int y = 0; y < h.height; ++y) {  // Row counts from the top, as PPM does
    const uint8_t* s = picture.Row(y);
    for (int x = 0; x < h.width; ++x) {
      const uint8_t* bgr = indexed ? &picture.ColorTable()[s[x]].blue : s + 3 * x;
      row[3 * x] = bgr[2];
      row[3 * x + 1] = bgr[1];
      row[3 * x + 2] = bgr[0];
    }
    if (std::fwrite(row.data(), 1, row.size(), f) != row.size()) return false;
  }
  return true;
}

bool WritePpmFile(const std::string& path, const PackedDib& picture) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = AppendPpm(f, picture);
  return std::fclose(f) == 0 && ok;
}

bool WritePpmFile(const std::string& path, const FrameSet& frames, int count) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = true;
  for (int i = 0; i < count && ok; ++i) ok = AppendPpm(f, frames.frame(i).image);
  return std::fclose(f) == 0 && ok;
}

namespace {

// GNU time reports the peak memory of the command it starts. A child of this process
// cannot be measured by its own ru_maxrss: Linux carries the parent's peak into it when
// it is started (the benchmark binary holds hundreds of MiB of test pictures), so the
// command is started from this small program instead.
constexpr char kTime[] = "/usr/bin/time";

}  // namespace

ChildRun RunChild(const std::vector<std::string>& args) {
  ChildRun run;
  char peakFile[] = "/tmp/zel-child-peak-XXXXXX";
  const int peakFd = mkstemp(peakFile);
  if (peakFd < 0) return run;
  close(peakFd);
  const bool viaTime = access(kTime, X_OK) == 0;
  std::vector<std::string> command;
  if (viaTime) command = {kTime, "-f", "%M", "-o", peakFile};
  command.insert(command.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  rusage usage{};
  if (spawned == 0 && wait4(pid, &status, 0, &usage) == pid) {
    run.seconds = Seconds(start);
    run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (viaTime) {
      long kib = 0;
      std::FILE* f = std::fopen(peakFile, "r");
      // The last line holds the figure (a failing command's status line comes first).
      if (f != nullptr) {
        char line[128];
        while (std::fgets(line, sizeof line, f) != nullptr) kib = std::atol(line);
        std::fclose(f);
      }
      run.peakMiB = static_cast<double>(kib) / 1024.0;
    }
  }
  unlink(peakFile);
  return run;
}

FfmpegGif::FfmpegGif(const std::string& source, const std::string& folderPrefix) {
  constexpr char kFfmpeg[] = "/usr/bin/ffmpeg";
  if (access(kFfmpeg, X_OK) != 0) return;
  std::string pattern = "/tmp/" + folderPrefix + "-XXXXXX";
  if (!mkdtemp(pattern.data())) return;
  folder_ = pattern;
  const std::string input = "testsrc2=" + source;
  const std::string palette = folder_ + "/palette.png";
  const std::string gif = folder_ + "/clip.gif";
  if (RunChild({kFfmpeg, "-v", "error", "-f", "lavfi", "-i", input, "-vf", "palettegen", "-y",
                palette})
          .ok &&
      RunChild({kFfmpeg, "-v", "error", "-f", "lavfi", "-i", input, "-i", palette, "-lavfi",
                "paletteuse", "-y", gif})
          .ok) {
    path_ = gif;
  }
}

FfmpegGif::~FfmpegGif() {
  if (!folder_.empty()) std::filesystem::remove_all(folder_);
}

}  // namespace zel::bench
