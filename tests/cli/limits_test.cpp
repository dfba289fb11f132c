// zel-cli at its limits: files with more frames than it works with are refused rather than
// written back shortened, hostile sizes are refused or read quickly in little memory, and
// --max-memory raises the readers' budget.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "support/gif_builder.h"

namespace zel::clitest {
namespace {

namespace fs = std::filesystem;
using zel::testing::GifBuilder;
using zel::testing::PackCodes;
using zel::testing::Rgb;

const std::vector<Rgb> kTwo = {{0, 0, 0}, {255, 255, 255}};

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A 1-pixel looping GIF animation of `frames` frames, made by gifsicle.
bool MakeFrames(const TempDir& dir, const std::string& name, int frames) {
  WriteBytes(dir.path() / "tiny.gif", TinyGif());
  std::vector<std::string> args = {"/usr/bin/gifsicle", "--loopcount=forever", dir / "tiny.gif"};
  args.insert(args.end(), static_cast<size_t>(frames), "#0");
  args.insert(args.end(), {"-o", dir / name});
  return RunTool(args);
}

TEST(CliFrameLimit, MoreFramesThanTenThousandAreRefusedNotShortened) {
  if (!fs::exists("/usr/bin/gifsicle")) GTEST_SKIP() << "gifsicle is not installed";
  TempDir dir;
  ASSERT_TRUE(MakeFrames(dir, "over.gif", 10001));
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"convert", dir / "over.gif", dir / "out.gif"},
        std::vector<std::string>{"edit", dir / "over.gif", "--reverse", "-o", dir / "out.gif"},
        std::vector<std::string>{"info", dir / "over.gif"}}) {
    RunResult r = RunCli(args);
    EXPECT_EQ(r.exitCode, 1) << args[0];
    EXPECT_TRUE(Contains(r.err, "holds 10001 frames; zel-cli works with at most 10000")) << r.err;
    EXPECT_FALSE(fs::exists(dir / "out.gif")) << args[0];
  }

  // Handing it to the editor would send it shortened too.
  RunResult send = RunCli({"send", dir / "over.gif"});
  EXPECT_EQ(send.exitCode, 1);
  EXPECT_TRUE(Contains(send.err, "holds more than 10000 frames")) << send.err;

  // Inserting a copy stops one frame short of the maximum.
  ASSERT_TRUE(MakeFrames(dir, "most.gif", 9999));
  RunResult insert =
      RunCli({"edit", dir / "most.gif", "--insert-copy", "1", "-o", dir / "out.gif"});
  EXPECT_EQ(insert.exitCode, 2);
  EXPECT_TRUE(Contains(insert.err, "takes no more frames (at most 9999 frames)")) << insert.err;
  EXPECT_FALSE(fs::exists(dir / "out.gif"));

  ASSERT_TRUE(MakeFrames(dir, "full.gif", 10000));
  RunResult full = RunCli({"info", dir / "full.gif"});
  EXPECT_EQ(full.exitCode, 0) << full.err;
  EXPECT_TRUE(Contains(full.out, "10000")) << full.out.substr(0, 400);
}

struct Measured {
  int exitCode = -1;
  double seconds = 0;
  long peakKiB = 0;
};

// Runs zel-cli in a child of its own and measures its time and peak resident memory.
Measured RunMeasured(const std::vector<std::string>& args) {
  std::vector<std::string> all{ZEL_CLI_PATH};
  all.insert(all.end(), args.begin(), args.end());
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
  Measured m;
  int status = 0;
  struct rusage usage = {};
  if (pid > 0 && ::wait4(pid, &status, 0, &usage) == pid) {
    m.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    m.peakKiB = usage.ru_maxrss;
  }
  m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return m;
}

// The two files of the report: 35 bytes declaring 65535 x 65535 (it took 4.2 GB and 37 s),
// and 65 bytes with three 20000 x 20000 frames (1.5 GB, 10 s).
TEST(CliHostileSizes, QuickAndSmall) {
  TempDir dir;
  auto huge = GifBuilder(65535, 65535, kTwo)
                  .RawImage(0, 0, 65535, 65535, 2, PackCodes({{4, 3}, {1, 3}, {5, 3}}))
                  .Trailer();
  WriteBytes(dir.path() / "huge.gif", huge.bytes());
  auto three = GifBuilder(20000, 20000, kTwo);
  for (int i = 0; i < 3; ++i) three.RawImage(0, 0, 20000, 20000, 2, PackCodes({{4, 3}, {1, 3}}));
  WriteBytes(dir.path() / "three.gif", three.Trailer().bytes());
  // What the program takes for a tiny file is its own start (large under the sanitizers);
  // the hostile files may cost at most 256 MiB more.
  WriteBytes(dir.path() / "tiny.gif", TinyGif());
  Measured base = RunMeasured({"convert", dir / "tiny.gif", dir / "tiny-out.gif"});
  ASSERT_EQ(base.exitCode, 0);

  Measured convert = RunMeasured({"convert", dir / "huge.gif", dir / "huge-out.gif"});
  EXPECT_EQ(convert.exitCode, 0);
  EXPECT_LT(convert.seconds, 1.0);
  EXPECT_LT(convert.peakKiB - base.peakKiB, 256 * 1024);

  Measured refused = RunMeasured({"convert", dir / "three.gif", dir / "three-out.gif"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_LT(refused.seconds, 1.0);
  EXPECT_LT(refused.peakKiB - base.peakKiB, 256 * 1024);
  EXPECT_FALSE(fs::exists(dir / "three-out.gif"));

  RunResult r = RunCli({"info", dir / "three.gif"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Contains(r.err, "画像が大きすぎます.")) << r.err;
  EXPECT_TRUE(Contains(r.err, "--max-memory")) << r.err;
}

TEST(CliMaxMemory, RaisesTheBudgetOfEveryReader) {
  TempDir dir;
  // Three composed frames of 1000 x 1000: about 3 MB.
  auto gif = GifBuilder(1000, 1000, kTwo);
  for (int i = 0; i < 3; ++i) gif.Image(0, 0, 1, 1, {1});
  WriteBytes(dir.path() / "anim.gif", gif.Trailer().bytes());
  ASSERT_EQ(RunCli({"convert", dir / "anim.gif", dir / "anim.bmp"}).exitCode, 0);

  RunResult low = RunCli({"info", "--max-memory", "2", dir / "anim.gif"});
  EXPECT_EQ(low.exitCode, 1);
  EXPECT_TRUE(Contains(low.err, "画像が大きすぎます.")) << low.err;
  EXPECT_TRUE(Contains(low.err, "more than 2 MiB")) << low.err;
  EXPECT_EQ(RunCli({"info", "--max-memory=4", dir / "anim.gif"}).exitCode, 0);

  // The frame bitmap of the same animation is one 3000 x 1000 picture.
  RunResult bitmap = RunCli({"convert", dir / "anim.bmp", dir / "again.gif", "--max-memory", "1"});
  EXPECT_EQ(bitmap.exitCode, 1) << bitmap.err;
  EXPECT_FALSE(fs::exists(dir / "again.gif"));
  EXPECT_EQ(
      RunCli({"edit", dir / "anim.bmp", "--reverse", "-o", dir / "again.gif", "--max-memory", "64"})
          .exitCode,
      0);

  for (const char* bad : {"0", "-5", "lots", "2000000"}) {
    RunResult r = RunCli({"info", "--max-memory", bad, dir / "anim.gif"});
    EXPECT_EQ(r.exitCode, 2) << bad;
    EXPECT_TRUE(Contains(r.err, "give a size in MiB from 1 to")) << r.err;
  }
  EXPECT_EQ(RunCli({"info", dir / "anim.gif", "--max-memory"}).exitCode, 2);
}

}  // namespace
}  // namespace zel::clitest
