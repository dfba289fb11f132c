// zel-cli between every format it reads and writes, with ImageMagick making the inputs and
// checking the outputs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>

#include "cli/cli_runner.h"

namespace zel::clitest {
namespace {

struct FormatCase {
  const char* name;
  std::vector<std::string> makeInput;  // ImageMagick arguments before the input file name
  const char* input;
  const char* output;
  std::vector<std::string> extra;  // more zel-cli arguments
  int exitCode;
  const char* stderrHas;
  const char* infoHas;  // a line `zel-cli info OUT` prints, "" when no output
  int tolerance;        // largest channel difference from the input, -1: do not compare
};

void PrintTo(const FormatCase& c, std::ostream* os) {
  *os << c.name;
}

class FormatTest : public testing::TestWithParam<FormatCase> {};

// Pixels as ImageMagick sees them, flattened on white.
std::string Rgb(const std::string& path) {
  std::string out;
  EXPECT_TRUE(ImageMagick(
      {path + "[0]", "-background", "white", "-flatten", "-depth", "8", "rgb:-"}, &out));
  return out;
}

int LargestDifference(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return 1000;
  int worst = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    worst = std::max(worst, std::abs(int(uint8_t(a[i])) - int(uint8_t(b[i]))));
  }
  return worst;
}

TEST_P(FormatTest, ConvertsOrExplainsWhy) {
  const FormatCase& c = GetParam();
  if (ImageMagickPath().empty()) GTEST_SKIP() << "ImageMagick is not installed";
  TempDir dir;
  std::string in = dir / c.input;
  std::string out = dir / c.output;
  std::vector<std::string> make = c.makeInput;
  make.push_back(in);
  ASSERT_TRUE(ImageMagick(make));

  std::vector<std::string> args = {"convert", in, out};
  args.insert(args.end(), c.extra.begin(), c.extra.end());
  RunResult r = RunCli(args);
  ASSERT_EQ(r.exitCode, c.exitCode) << r.err;
  EXPECT_NE(r.err.find(c.stderrHas), std::string::npos) << r.err;
  if (c.exitCode != 0) {
    EXPECT_EQ(CountEntries(dir.path()), 1);  // no output, no temporary file
    return;
  }
  if (*c.infoHas) {
    RunResult info = RunCli({"info", out});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find(c.infoHas), std::string::npos) << info.out;
  }
  if (c.tolerance >= 0) {
    EXPECT_LE(LargestDifference(Rgb(in), Rgb(out)), c.tolerance);
  }
}

const std::vector<std::string> kPhoto = {"-size", "40x30", "plasma:fractal", "-seed", "3"};
const std::vector<std::string> kFewColours = {
    "-size", "32x32", "gradient:red-blue", "-colors", "16", "-type", "Palette"};

const FormatCase kFormatCases[] = {
    {"JpegToBmp",
     {"-size", "40x30", "gradient:white-navy", "-quality", "95"},
     "in.jpg",
     "out.bmp",
     {},
     0,
     "",
     "kind         bitmap",
     6},
    {"PngToJpeg",
     {"-size", "40x30", "gradient:yellow-green"},
     "in.png",
     "out.jpg",
     {"--quality", "95"},
     0,
     "",
     "kind         jpeg",
     12},
    {"PaletteBmpToGif", kFewColours, "in.bmp", "out.gif", {}, 0, "", "format       GIF", 0},
    {"PalettePngToIcon", kFewColours, "in.png", "out.ico", {}, 0, "", "", 0},
    {"GifAnimationToFrameBitmap",
     {"-size", "12x8", "xc:red", "xc:blue", "xc:lime", "-set", "delay", "15", "-loop", "0"},
     "in.gif",
     "out.bmp",
     {},
     0,
     "",
     "frames       3",
     -1},
    {"TrueColourToGifNeedsFewerColours",
     {"-size", "40x30", "gradient:red-blue"},
     "in.png",
     "out.gif",
     {},
     2,
     "needs an 8-bit picture",
     "",
     -1},
    {"PaletteToJpegNeedsTrueColour",
     kFewColours,
     "in.gif",
     "out.jpg",
     {},
     2,
     "JPEG needs a 24-bit picture",
     "",
     -1},
    {"IconNeedsThirtyTwoPixels",
     {"-size", "33x32", "xc:red", "-type", "Palette"},
     "in.bmp",
     "out.ico",
     {},
     2,
     "32 x 32",
     "",
     -1},
    {"OnePixelJpegToBmp",
     {"-size", "1x1", "xc:red", "-quality", "90"},
     "in.jpg",
     "out.bmp",
     {},
     0,
     "",
     "kind         bitmap",
     -1},
};

INSTANTIATE_TEST_SUITE_P(Cli, FormatTest, testing::ValuesIn(kFormatCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FormatInfo, DescribesEveryFormat) {
  if (ImageMagickPath().empty()) GTEST_SKIP() << "ImageMagick is not installed";
  TempDir dir;
  struct Case {
    const char* file;
    std::vector<std::string> make;
    const char* lines[3];
  } cases[] = {
      {"a.png",
       {"-size", "7x5", "gradient:red-blue"},
       {"kind         png", "size         7x5", "bits         24"}},
      {"a.jpg",
       {"-size", "9x4", "xc:red"},
       {"kind         jpeg", "size         9x4", "transparent  -1"}},
      {"a.bmp",
       {"-size", "3x2", "xc:red", "-type", "Palette", "-compress", "None"},
       {"kind         bitmap", "size         3x2", "bits         8"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> make = c.make;
    make.push_back(dir / c.file);
    ASSERT_TRUE(ImageMagick(make));
    RunResult r = RunCli({"info", dir / c.file});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* line : c.lines) EXPECT_NE(r.out.find(line), std::string::npos) << r.out;
  }
  WriteBytes(dir / "bad.png", {137, 'P', 'N', 'G', 1, 2, 3});
  RunResult bad = RunCli({"info", dir / "bad.png"});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_NE(bad.err.find("画像ファイルが壊れているか"), std::string::npos);
}

}  // namespace
}  // namespace zel::clitest
