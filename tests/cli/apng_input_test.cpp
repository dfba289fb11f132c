// Animated PNG files as zel-cli's input: info and convert read them as the editor opens
// them, and an animation written as PNG reads back as the same animation.
#include <gtest/gtest.h>

#include "cli/cli_runner.h"
#include "support/video_clips.h"

namespace zel::clitest {
namespace {

TEST(ApngInput, AnimatedPngOpensAsAnAnimationAndRoundTrips) {
  const std::string in = zel::testing::TestClip(
      "bars.png", {"-f", "lavfi", "-i", "testsrc2=s=32x24:r=10:d=0.5", "-plays", "3", "-f",
                   "apng"});
  if (in.empty()) GTEST_SKIP() << "no ffmpeg";
  TempDir dir;

  RunResult info = RunCli({"info", in});
  ASSERT_EQ(info.exitCode, 0) << info.err;
  EXPECT_NE(info.out.find("kind         frame-animation"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("frames       5"), std::string::npos) << info.out;

  RunResult convert = RunCli({"convert", in, dir / "out.gif"});
  ASSERT_EQ(convert.exitCode, 0) << convert.err;
  RunResult gif = RunCli({"info", dir / "out.gif"});
  EXPECT_NE(gif.out.find("frames       5"), std::string::npos) << gif.out;
  EXPECT_NE(gif.out.find("loop         2"), std::string::npos) << gif.out;  // three plays

  // GIF to animated PNG and back in: the same frames and looping.
  RunResult back = RunCli({"convert", dir / "out.gif", dir / "back.png"});
  ASSERT_EQ(back.exitCode, 0) << back.err;
  RunResult png = RunCli({"info", dir / "back.png"});
  ASSERT_EQ(png.exitCode, 0) << png.err;
  EXPECT_NE(png.out.find("kind         frame-animation"), std::string::npos) << png.out;
  EXPECT_NE(png.out.find("frames       5"), std::string::npos) << png.out;
  ASSERT_EQ(RunCli({"convert", dir / "back.png", dir / "again.gif"}).exitCode, 0);
  gif = RunCli({"info", dir / "again.gif"});
  EXPECT_NE(gif.out.find("loop         2"), std::string::npos) << gif.out;
}

}  // namespace
}  // namespace zel::clitest
