// zel-cli on crafted hostile files: wall time and peak resident memory of `info` and of
// `convert` to a bitmap for each file, one child process per run, printed as a table.
// Target: under a second and under 256 MB each. Exit status 1 when a run misses it.
//
//   build/bench/zel_hostile_files [path/to/zel-cli]

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/hostile_files.h"

namespace {

struct Run {
  int exitCode = -1;
  double seconds = 0;
  double peakMiB = 0;
};

Run Measure(const std::vector<std::string>& args) {
  std::vector<std::string> all = args;
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  auto start = std::chrono::steady_clock::now();
  std::fflush(nullptr);  // nothing buffered may be written twice
  pid_t pid = ::fork();
  if (pid == 0) {
    std::freopen("/dev/null", "w", stdout);
    std::freopen("/dev/null", "w", stderr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  Run run;
  int status = 0;
  struct rusage usage = {};
  if (pid > 0 && ::wait4(pid, &status, 0, &usage) == pid) {
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string cli = argc > 1 ? argv[1] : ZEL_CLI_PATH;
  namespace fs = std::filesystem;
  char pattern[] = "/tmp/zel-hostile-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) return 2;
  const fs::path dir = pattern;

  std::printf("%-34s %6s  %-7s %4s %9s %9s\n", "file", "bytes", "command", "exit", "seconds",
              "peak MB");
  bool allWithin = true;
  for (const zel::testing::HostileFile& file : zel::testing::HostileFiles()) {
    const std::string path = (dir / file.name).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.bytes.data()),
               static_cast<std::streamsize>(file.bytes.size()));
    const std::string out = (dir / "out.bmp").string();
    const std::vector<std::pair<const char*, std::vector<std::string>>> commands = {
        {"info", {cli, "info", path}},
        {"convert", {cli, "convert", path, out}},
    };
    for (const auto& [label, args] : commands) {
      Run run = Measure(args);
      const bool within = run.seconds < 1.0 && run.peakMiB < 256.0 && run.exitCode < 128;
      allWithin = allWithin && within;
      std::printf("%-34s %6zu  %-7s %4d %9.3f %9.1f%s\n", file.name.c_str(), file.bytes.size(),
                  label, run.exitCode, run.seconds, run.peakMiB, within ? "" : "  MISSED");
      fs::remove(out);
    }
  }
  fs::remove_all(dir);
  return allWithin ? 0 : 1;
}
