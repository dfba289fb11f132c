// WebP files as zel-cli's input: info, convert and edit read them as the editor opens them.
#include <gtest/gtest.h>

#include "cli/cli_runner.h"
#include "support/webp_builder.h"

namespace zel::clitest {
namespace {

using zel::testing::WebpAnimationBuilder;
using zel::testing::WebpPixels;

std::vector<uint8_t> ThreeFrames() {
  return WebpAnimationBuilder(12, 8, 4)
      .Frame(WebpPixels::Filled(12, 8, 0xFFFF0000), 0, 0, 150)
      .Frame(WebpPixels::Filled(4, 4, 0xFF0000FF), 2, 2, 70)
      .Frame(WebpPixels::Filled(12, 8, 0x00000000), 0, 0, 30)
      .bytes();
}

TEST(WebpInput, InfoConvertAndEditReadWebpFiles) {
  TempDir dir;
  const std::string in = dir / "in.webp";
  WriteBytes(in, ThreeFrames());

  RunResult info = RunCli({"info", in});
  ASSERT_EQ(info.exitCode, 0) << info.err;
  EXPECT_NE(info.out.find("kind         frame-animation"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("frames       3"), std::string::npos) << info.out;

  RunResult convert = RunCli({"convert", in, dir / "out.gif"});
  ASSERT_EQ(convert.exitCode, 0) << convert.err;
  RunResult gif = RunCli({"info", dir / "out.gif"});
  ASSERT_EQ(gif.exitCode, 0) << gif.err;
  EXPECT_NE(gif.out.find("frames       3"), std::string::npos) << gif.out;
  EXPECT_NE(gif.out.find("loop         3"), std::string::npos) << gif.out;

  RunResult edit = RunCli({"edit", in, "--delete-frame", "1", "-o", dir / "edited.gif"});
  ASSERT_EQ(edit.exitCode, 0) << edit.err;
  gif = RunCli({"info", dir / "edited.gif"});
  EXPECT_NE(gif.out.find("frames       2"), std::string::npos) << gif.out;
}

TEST(WebpInput, DamagedWebpIsRefusedAndNothingIsWritten) {
  TempDir dir;
  std::vector<uint8_t> bytes = ThreeFrames();
  bytes.resize(bytes.size() - 5);
  const std::string in = dir / "cut.webp";
  WriteBytes(in, bytes);
  RunResult r = RunCli({"convert", in, dir / "out.gif"});
  EXPECT_NE(r.exitCode, 0);
  EXPECT_NE(r.err.find("cut.webp"), std::string::npos) << r.err;
  EXPECT_EQ(CountEntries(dir.path()), 1);
}

}  // namespace
}  // namespace zel::clitest
