// `zel-cli edit --merge`: a picture or animation laid over the input at --at, in front or
// with --behind under it, written as the editor would leave it; failures exit 1 and write
// nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "editor_load.h"
#include "imagefiles/bmp_file.h"
#include "support/gif_builder.h"

namespace zel::clitest {
namespace {

using zel::testing::GifBuilder;
using zel::testing::MakePicture;
using zel::testing::PixelColor;
using zel::testing::Rgb;

uint32_t Hex(Rgb c) {
  return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
}

class MergeCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Three 8 x 6 frames of blue, green and white.
    GifBuilder gif(8, 6, {{0, 0, 255}, {0, 255, 0}, {255, 255, 255}, {0, 0, 0}});
    gif.Looping();
    for (int f = 0; f < 3; ++f) {
      gif.Control(0x04, 10, -1);
      gif.Image(0, 0, 8, 6, std::vector<uint8_t>(48, uint8_t(f)));
    }
    anim_ = dir_ / "anim.gif";
    WriteBytes(anim_, gif.Trailer().bytes());
    red_ = dir_ / "red.bmp";
    ASSERT_TRUE(WriteBmpFile(MakePicture(2, 2, {0, 0, 0, 0}, {{255, 0, 0}}), red_));
  }

  TempDir dir_;
  std::string anim_;
  std::string red_;
};

TEST_F(MergeCliTest, PictureOverEveryFrameGrowsTheScreen) {
  const std::string out = dir_ / "out.gif";
  RunResult run = RunCli({"edit", anim_, "--merge", red_, "--at", "7,5", "-o", out});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  auto doc = Load(out);
  ASSERT_EQ(doc->frameSet->count, 3);
  const uint32_t bases[] = {0x0000FF, 0x00FF00, 0xFFFFFF};
  for (int f = 0; f < 3; ++f) {
    const PackedDib& frame = doc->frameSet->frame(f).image;
    ASSERT_EQ(frame.Header().width, 9);
    ASSERT_EQ(frame.Header().height, 7);
    EXPECT_EQ(Hex(PixelColor(frame, 7, 5)), 0xFF0000u);
    EXPECT_EQ(Hex(PixelColor(frame, 8, 6)), 0xFF0000u);
    EXPECT_EQ(Hex(PixelColor(frame, 6, 5)), bases[f]);
    // The new area takes the bottom-left pixel of the frame.
    EXPECT_EQ(Hex(PixelColor(frame, 0, 6)), bases[f]);
  }
}

TEST_F(MergeCliTest, AtAndBehindHoldWhereverGiven) {
  const std::string before = dir_ / "before.gif";
  const std::string after = dir_ / "after.gif";
  ASSERT_EQ(
      RunCli({"edit", anim_, "--at", "1,1", "--behind", "--merge", red_, "-o", before}).exitCode,
      0);
  ASSERT_EQ(
      RunCli({"edit", anim_, "--merge", red_, "--behind", "--at", "1,1", "-o", after}).exitCode, 0);
  EXPECT_EQ(ReadBytes(before), ReadBytes(after));
  // Behind the opaque frames the overlay does not show.
  auto doc = Load(before);
  EXPECT_EQ(Hex(PixelColor(doc->frameSet->frame(0).image, 1, 1)), 0x0000FFu);
}

TEST_F(MergeCliTest, FailuresExitWithTheMessageAndWriteNothing) {
  // 200 colours against 200 others, none within reach of another.
  std::vector<Rgb> a, b;
  std::vector<uint8_t> pixels;
  for (int i = 0; i < 200; ++i) {
    a.push_back({uint8_t(20 * (i / 100)), uint8_t(20 * ((i / 10) % 10)), uint8_t(20 * (i % 10))});
    b.push_back(
        {uint8_t(120 + 20 * (i / 100)), uint8_t(20 * ((i / 10) % 10)), uint8_t(20 * (i % 10))});
    pixels.push_back(uint8_t(i));
  }
  const std::string base = dir_ / "a.bmp";
  const std::string overlay = dir_ / "b.bmp";
  ASSERT_TRUE(WriteBmpFile(MakePicture(200, 1, pixels, a), base));
  ASSERT_TRUE(WriteBmpFile(MakePicture(200, 1, pixels, b), overlay));
  const std::string out = dir_ / "out.gif";
  RunResult run = RunCli({"edit", base, "--merge", overlay, "-o", out});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("元=200色、指定したｱﾆﾒ=200色"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(out));

  run = RunCli({"edit", anim_, "--merge", dir_ / "missing.png", "-o", out});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("ﾌｧｲﾙが見つかりません"), std::string::npos) << run.err;
  EXPECT_EQ(RunCli({"edit", anim_, "--merge", red_, "--at", "3", "-o", out}).exitCode, 2);
  EXPECT_EQ(RunCli({"edit", anim_, "--merge", red_, "--at", "-1,2", "-o", out}).exitCode, 2);
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace zel::clitest
