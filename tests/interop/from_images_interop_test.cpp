// zel-cli from-images on pictures ImageMagick made (PNG, JPEG, GIF, BMP): giflib and
// ImageMagick read the animation with one frame per picture, the reduced size, the delays,
// and exactly the frames the core generator makes of the same files.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "generators/several_pictures.h"
#include "interop/interop_helpers.h"

namespace zel {
namespace {

using interop::ColorOf;
using interop::Quote;
using interop::RunCommand;
using interop::TempDir;

std::string Cli(const std::vector<std::string>& args) {
  std::string command = Quote(ZEL_CLI_PATH) + " from-images";
  for (const std::string& a : args) command += " " + Quote(a);
  return command;
}

class FromImagesInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::vector<std::pair<std::string, std::string>> makes = {
        {"a.png", "-seed 7 plasma:fractal"},
        {"b.jpg", "gradient:red-blue -quality 90"},
        {"c.gif", "gradient:yellow-navy -colors 64"},
        {"d.bmp", "radial-gradient:white-green -type TrueColor"},
    };
    for (const auto& [name, how] : makes) {
      const std::string path = dir_.File(name);
      const auto made = RunCommand("convert -size 80x60 " + how + " " + Quote(path));
      ASSERT_EQ(made.status, 0) << made.output;
      inputs_.push_back(path);
    }
  }
  TempDir dir_;
  std::vector<std::string> inputs_;
};

TEST_F(FromImagesInterop, GiflibAndMagickReadTheGeneratorsFrames) {
  const std::string out = dir_.File("out.gif");
  std::vector<std::string> args = inputs_;
  for (const char* a : {"--colors", "64", "--side", "40", "--time", "100", "--per-cycle", "-o"}) {
    args.push_back(a);
  }
  args.push_back(out);
  const auto made = RunCommand(Cli(args));
  ASSERT_EQ(made.status, 0) << made.output;

  SeveralPicturesOptions options;
  options.colorCountIndex = 2;
  options.side = 40;
  options.timeValue = 100;
  options.perCycle = true;
  std::unique_ptr<FrameSet> expected;
  ASSERT_EQ(MakeSeveralPictureFrames(inputs_, options, 0xC0C0C0, 40, nullptr, &expected), 0);

  const auto gif = interop::ReadWithGiflib(out);
  ASSERT_TRUE(gif);
  EXPECT_EQ(gif->screenWidth, 40);
  EXPECT_EQ(gif->screenHeight, 30);
  EXPECT_LE(gif->globalColors.size(), 64u);
  ASSERT_EQ(gif->images.size(), 4u);
  const int delays[] = {25, 25, 25, 25};
  for (int i = 0; i < 4; ++i) {
    const interop::GiflibImage& image = gif->images[static_cast<size_t>(i)];
    EXPECT_EQ(image.delay, delays[i]);
    ASSERT_EQ(image.width, 40);
    ASSERT_EQ(image.height, 30);
    const PackedDib& frame = expected->frame(i).image;
    const std::vector<interop::Rgba>& colors =
        image.localColors.empty() ? gif->globalColors : image.localColors;
    int differences = 0;
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 40; ++x) {
        const uint8_t index = image.raster[static_cast<size_t>(y) * 40 + static_cast<size_t>(x)];
        ASSERT_LT(index, colors.size());
        differences += !(colors[index] == ColorOf(frame, frame.Row(y)[x]));
      }
    }
    EXPECT_EQ(differences, 0) << "frame " << i;
  }

  const auto magick = interop::ReadWithMagick(out, true, dir_.path());
  ASSERT_TRUE(magick);
  ASSERT_EQ(magick->size(), 4u);
  for (const interop::MagickFrame& f : *magick) {
    EXPECT_EQ(f.image.width, 40);
    EXPECT_EQ(f.image.height, 30);
    EXPECT_EQ(f.delay, 25);
  }
}

TEST_F(FromImagesInterop, RefusalsWriteNothing) {
  const std::string out = dir_.File("refused.gif");
  std::vector<std::string> many;
  for (int i = 0; i < 41; ++i) many.push_back(inputs_[0]);
  many.insert(many.end(), {"-o", out});
  const auto tooMany = RunCommand(Cli(many));
  EXPECT_EQ(tooMany.status, 2) << tooMany.output;
  EXPECT_NE(tooMany.output.find("at most 40"), std::string::npos) << tooMany.output;

  const std::string other = dir_.File("other.png");
  ASSERT_EQ(RunCommand("convert -size 81x60 xc:white " + Quote(other)).status, 0);
  const auto size = RunCommand(Cli({inputs_[0], other, "-o", out}));
  EXPECT_EQ(size.status, 1) << size.output;
  EXPECT_NE(size.output.find("81 x 60"), std::string::npos) << size.output;

  const std::string broken = dir_.File("broken.png");
  interop::WriteFileBytes(broken, {0x89, 'P', 'N', 'G'});
  const auto unreadable = RunCommand(Cli({inputs_[0], broken, "-o", out}));
  EXPECT_EQ(unreadable.status, 1) << unreadable.output;
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace zel
