// Small helpers the benchmarks share: wall and CPU clocks, and pictures written as PPM
// files for the peer programs to read.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "document/frame_set.h"
#include "document/packed_dib.h"

namespace zel::bench {

// Wall-clock seconds since `since`.
double Seconds(std::chrono::steady_clock::time_point since);

// Runs a peer's shell command once per iteration of `state` and gives its mean wall time
// in seconds; a failing command skips the benchmark with an error and gives -1.
double TimeCommand(benchmark::State& state, const std::string& command);

// CPU time of the whole process (every thread), in seconds.
double ProcessCpuSeconds();

// Appends an 8- or 24-bit picture to `f` as one binary PPM image (top row first). False
// when the write fails or the depth is another.
bool AppendPpm(std::FILE* f, const PackedDib& picture);
// A PPM file of one picture, or of the first `count` frames one after another.
bool WritePpmFile(const std::string& path, const PackedDib& picture);
bool WritePpmFile(const std::string& path, const FrameSet& frames, int count);

// One run of a child process: its wall time and its own peak memory (as GNU time reports
// it, else ru_maxrss from wait4, which includes this process's peak).
struct ChildRun {
  bool ok = false;  // started, and ended with exit code 0
  double seconds = 0;
  double peakMiB = 0;
};

// Runs args[0] (a path) with its arguments, its standard output to /dev/null, and waits.
ChildRun RunChild(const std::vector<std::string>& args);

// An animated GIF that FFmpeg makes from its `testsrc2` pattern (`source` names the size,
// rate and length, "s=480x360:r=15:d=10") through its own palette, in a scratch folder
// that goes with the object. Not ready when FFmpeg is missing or fails.
class FfmpegGif {
 public:
  FfmpegGif(const std::string& source, const std::string& folderPrefix);
  ~FfmpegGif();
  FfmpegGif(const FfmpegGif&) = delete;
  FfmpegGif& operator=(const FfmpegGif&) = delete;
  bool Ready() const { return !path_.empty(); }
  const std::string& Path() const { return path_; }
  // A file name in the scratch folder, for outputs.
  std::string Output(const char* name) const { return folder_ + "/" + name; }

 private:
  std::string folder_;
  std::string path_;
};

}  // namespace zel::bench
