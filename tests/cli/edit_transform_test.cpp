// `zel-cli edit` transforms, semi-transparency and colour adjustment on a three-frame
// animation: every frame is changed, the results read back hold the pixels the core
// computes, the untouched deformations give the input back, and bad arguments write
// nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "color/color_adjustment.h"
#include "document/document_state.h"
#include "editor_load.h"
#include "imagefiles/image_loader.h"
#include "support/gif_builder.h"
#include "transforms/deformations.h"
#include "transforms/one_step.h"
#include "transforms/tool_models.h"

namespace zel::clitest {
namespace {

namespace fs = std::filesystem;
using zel::testing::GifBuilder;
using zel::testing::Rgb;

constexpr int kWidth = 40;
constexpr int kHeight = 30;
constexpr int kFrames = 3;

// R, G, B of every pixel, top row first, through the colour table.
std::vector<uint8_t> RgbBytes(const PackedDib& picture) {
  std::vector<uint8_t> rgb;
  const DibHeader h = picture.Header();
  for (int y = 0; y < h.height; ++y) {
    const uint8_t* row = picture.Row(y);
    for (int x = 0; x < h.width; ++x) {
      const Rgbq c = picture.ColorTable()[row[x]];
      rgb.insert(rgb.end(), {c.red, c.green, c.blue});
    }
  }
  return rgb;
}

class EditTransformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<Rgb> colors;
    for (int i = 0; i < 64; ++i)
      colors.push_back({uint8_t(i * 4), uint8_t(255 - i * 4), uint8_t(i * 2)});
    GifBuilder gif(kWidth, kHeight, colors);
    gif.Looping();
    for (int f = 0; f < kFrames; ++f) {
      std::vector<uint8_t> pixels(kWidth * kHeight);
      for (int p = 0; p < kWidth * kHeight; ++p) {
        pixels[p] = static_cast<uint8_t>((p % kWidth + 3 * (p / kWidth) + 7 * f) % 60);
      }
      gif.Control(0x04, 10, 0);
      gif.Image(0, 0, kWidth, kHeight, pixels);
    }
    input_ = dir_ / "in.gif";
    WriteBytes(input_, gif.Trailer().bytes());
    in_ = Load(input_);
    ASSERT_EQ(in_->frameSet->count, kFrames);
  }

  std::unique_ptr<DocumentState> Edit(const std::vector<std::string>& ops) {
    std::vector<std::string> args{"edit", input_};
    args.insert(args.end(), ops.begin(), ops.end());
    args.insert(args.end(), {"-o", dir_ / "out.gif"});
    const RunResult run = RunCli(args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return Load(dir_ / "out.gif");
  }

  const PackedDib& Frame(int i) const { return in_->frameSet->frame(i).image; }
  Fill InputFill() const {
    return {ColorFromBackground(in_->backgroundColor), in_->frameSet->transparentIndex};
  }

  TempDir dir_;
  std::string input_;
  std::unique_ptr<DocumentState> in_;
};

TEST_F(EditTransformTest, EveryFrameHoldsTheCoreResult) {
  const Fill fill = InputFill();
  const QuadCorners warp{{3, 2}, {38, 0}, {0, 27}, {36, 30}};
  struct Case {
    std::vector<std::string> ops;
    std::function<PackedDib(const PackedDib&)> expected;
  } cases[] = {
      {{"--rotate", "30"}, [&](const PackedDib& p) { return Rotate(p, RotationTurn(30), fill); }},
      {{"--fisheye", "-45"},
       [&](const PackedDib& p) { return Fisheye(p, FisheyeStrength(-45), fill); }},
      {{"--corners", "3,2,38,0,0,27,36,30"},
       [&](const PackedDib& p) { return QuadWarp(p, warp, fill); }},
      {{"--edges", "2,1,28,39"},
       [&](const PackedDib& p) {
         return QuadWarp(p, QuadCorners{{1, 2}, {39, 2}, {1, 28}, {39, 28}}, fill);
       }},
      {{"--zoom", "50,200"}, [](const PackedDib& p) { return ResizeSmooth(p, 20, 30); }},
      {{"--stretch", "17x45"}, [](const PackedDib& p) { return ResizeSmooth(p, 17, 45); }},
      {{"--crop", "5,4,20,10"}, [](const PackedDib& p) { return CropImage(p, 5, 4, 25, 14); }},
      {{"--turn-left"}, [](const PackedDib& p) { return TurnLeft90(p); }},
      {{"--flip-v"}, [](const PackedDib& p) { return MirrorVertical(p); }},
      {{"--gamma", "7"},
       [&](const PackedDib& p) {
         return AdjustColors(p, GammaAdjustment(7), fill.transparentIndex, fill.color);
       }},
      {{"--adjust", "4,-3,-6,gray"},
       [&](const PackedDib& p) {
         return AdjustColors(p, ColorAdjustment{4, -3, -6, true}, fill.transparentIndex,
                             fill.color);
       }},
  };
  for (const Case& c : cases) {
    auto out = Edit(c.ops);
    ASSERT_EQ(out->frameSet->count, kFrames) << c.ops[0];
    for (int i = 0; i < kFrames; ++i) {
      PackedDib expected = c.expected(Frame(i));
      ASSERT_TRUE(expected) << c.ops[0];
      EXPECT_EQ(RgbBytes(out->frameSet->frame(i).image), RgbBytes(expected))
          << c.ops[0] << " frame " << i;
    }
  }
}

TEST_F(EditTransformTest, UntouchedDeformationsAndInverseTurnsGiveTheInputBack) {
  const std::vector<std::vector<std::string>> identities = {
      {"--corners", "0,0,40,0,0,30,40,30"},   {"--edges", "0,0,30,40"},
      {"--turn-left", "--turn-right"},        {"--flip-h", "--flip-h"},
      {"--rotate", "0", "--zoom", "100,100"},
  };
  for (const auto& ops : identities) {
    auto out = Edit(ops);
    for (int i = 0; i < kFrames; ++i) {
      EXPECT_EQ(RgbBytes(out->frameSet->frame(i).image), RgbBytes(Frame(i))) << ops[0] << " " << i;
    }
  }
}

TEST_F(EditTransformTest, CropKeepsTheRectangleAndSemiTransparencyPatternsEveryFrame) {
  auto cropped = Edit({"--crop", "30,20,50,50"});  // cut to the picture
  ASSERT_EQ(cropped->width, 10);
  ASSERT_EQ(cropped->height, 10);
  const std::vector<uint8_t> whole = RgbBytes(Frame(1));
  const std::vector<uint8_t> part = RgbBytes(cropped->frameSet->frame(1).image);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(part[(y * 10 + x) * 3 + c], whole[((20 + y) * kWidth + 30 + x) * 3 + c]);
      }
    }
  }

  auto semi = Edit({"--semi", "75"});
  const int32_t t = semi->frameSet->transparentIndex;
  ASSERT_GE(t, 0);
  for (int i = 0; i < kFrames; ++i) {
    const PackedDib& p = semi->frameSet->frame(i).image;
    int transparent = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) transparent += p.Row(y)[x] == t;
    }
    EXPECT_EQ(transparent, kWidth * kHeight * 3 / 4) << i;
  }
}

TEST_F(EditTransformTest, BadArgumentsAndRefusedOperationsWriteNothing) {
  const std::vector<std::vector<std::string>> refused = {
      {"--rotate", "91"},        {"--rotate", "1e1"},        {"--rotate", "ten"},
      {"--fisheye", ""},         {"--corners", "1,2,3"},     {"--corners", "0,0,40,0,0,30,40,30,1"},
      {"--edges", "0, 0,30,40"}, {"--stretch", "0x10"},      {"--stretch", "10"},
      {"--zoom", "24"},          {"--zoom", "100,201"},      {"--crop", "0,0,0,5"},
      {"--crop", "40,0,5,5"},    {"--crop", "-1,0,5,5"},     {"--semi", "30"},
      {"--adjust", "16,0,0"},    {"--adjust", "1,2,3,grey"}, {"--gamma", "-16"},
      {"--icon-size"},  // an animation
  };
  for (const auto& ops : refused) {
    std::vector<std::string> args{"edit", input_};
    args.insert(args.end(), ops.begin(), ops.end());
    args.insert(args.end(), {"-o", dir_ / "refused.gif"});
    const RunResult run = RunCli(args);
    EXPECT_EQ(run.exitCode, 2) << ops[0] << " " << (ops.size() > 1 ? ops[1] : "");
    EXPECT_FALSE(run.err.empty());
    EXPECT_FALSE(fs::exists(dir_ / "refused.gif")) << ops[0];
  }
  EXPECT_NE(RunCli({"help"}).out.find("--adjust GAIN,CONTRAST,BALANCE[,gray]"), std::string::npos);
}

}  // namespace
}  // namespace zel::clitest
