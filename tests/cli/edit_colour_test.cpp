// `zel-cli edit` colour conversions: a photo reduced to index colour and written as GIF
// holds exactly the pixels the core conversion computes, as ImageMagick and the program's
// own loader read them back; the conversions the picture does not allow write nothing.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "color/index_color.h"
#include "color/palette_reference.h"
#include "color/quality_quantizer.h"
#include "document/document_state.h"
#include "editor_load.h"
#include "imagefiles/image_loader.h"

namespace zel::clitest {
namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 96;
constexpr int kHeight = 64;

// The picture's pixels as R, G, B bytes, top row first.
std::vector<uint8_t> RgbBytes(const PackedDib& picture) {
  std::vector<uint8_t> rgb;
  const DibHeader h = picture.Header();
  for (int y = 0; y < h.height; ++y) {
    const uint8_t* row = picture.Row(y);
    for (int x = 0; x < h.width; ++x) {
      if (h.bitCount == 8) {
        const Rgbq c = picture.ColorTable()[row[x]];
        rgb.insert(rgb.end(), {c.red, c.green, c.blue});
      } else {
        const uint8_t* p = row + 3 * x;
        rgb.insert(rgb.end(), {p[2], p[1], p[0]});
      }
    }
  }
  return rgb;
}

class EditColourTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (ImageMagickPath().empty()) GTEST_SKIP() << "ImageMagick is not installed";
    photo_ = dir_ / "photo.jpg";
    ASSERT_TRUE(
        ImageMagick({"-seed", "11", "-size", std::to_string(kWidth) + "x" + std::to_string(kHeight),
                     "plasma:fractal", "-quality", "92", photo_}));
    // A 16-colour reference GIF, no transparency.
    ASSERT_TRUE(ImageMagick({photo_, "+dither", "-colors", "16", dir_ / "ref16.gif"}));
  }

  // What ImageMagick decodes from a file: R, G, B bytes.
  std::vector<uint8_t> ImageMagickPixels(const std::string& path) {
    std::string out;
    EXPECT_TRUE(ImageMagick({path, "rgb:-"}, &out)) << path;
    return {out.begin(), out.end()};
  }

  TempDir dir_;
  std::string photo_;
};

TEST_F(EditColourTest, ConvertedGifHoldsTheComputedPixels) {
  struct Case {
    std::vector<std::string> options;
    // The same conversion in this process, on the loaded photo.
    std::function<std::optional<IndexConversion>(const DocumentState&)> core;
  } cases[] = {
      {{"--colors", "256"},
       [](const DocumentState& d) {
         return ConvertToIndexColor(d.currentPicture, {7, 0, false}, d.backgroundColor);
       }},
      {{"--colors", "8", "--no-dither"},
       [](const DocumentState& d) {
         return ConvertToIndexColor(d.currentPicture, {2, 0, true}, d.backgroundColor);
       }},
      {{"--transparent", "bottom-right", "--colors", "32"},
       [](const DocumentState& d) {
         return ConvertToIndexColor(d.currentPicture, {4, 4, false}, d.backgroundColor);
       }},
      {{"--colors", "256", "--hq"},
       [](const DocumentState& d) {
         return QualityConvertToIndexColor(d.currentPicture, {7, 0, false}, d.backgroundColor);
       }},
      {{"--hq", "--transparent", "top-left", "--no-dither", "--colors", "64"},
       [](const DocumentState& d) {
         return QualityConvertToIndexColor(d.currentPicture, {5, 1, true}, d.backgroundColor);
       }},
      {{"--palette-from", "@ref16.gif"},
       [this](const DocumentState& d) {
         return ReferencePaletteConvert(d.currentPicture, dir_ / "ref16.gif", {7, 0, false},
                                        d.backgroundColor, d.frameMax)
             .conversion;
       }},
  };
  std::unique_ptr<DocumentState> source = Load(photo_);
  ASSERT_EQ(source->currentPicture.Header().bitCount, 24);
  for (const Case& c : cases) {
    std::vector<std::string> args = {"edit", photo_};
    std::string label;
    for (const std::string& o : c.options) {
      args.push_back(o[0] == '@' ? dir_ / o.substr(1) : o);
      label += o + " ";
    }
    SCOPED_TRACE(label);
    const std::string out = dir_ / "out.gif";
    fs::remove(out);
    args.insert(args.end(), {"-o", out});
    RunResult run = RunCli(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    std::optional<IndexConversion> expected = c.core(*source);
    ASSERT_TRUE(expected.has_value());
    const std::vector<uint8_t> computed = RgbBytes(expected->picture);
    ASSERT_EQ(computed.size(), size_t{kWidth} * kHeight * 3);

    std::unique_ptr<DocumentState> written = Load(out);
    ASSERT_EQ(written->currentPicture.Header().bitCount, 8);
    EXPECT_EQ(RgbBytes(written->currentPicture), computed);
    EXPECT_EQ(written->frameSet->transparentIndex, expected->transparentIndex);
    // A transparent corner shows as the background colour in the table; ImageMagick
    // decodes the colour of the entry either way.
    EXPECT_EQ(ImageMagickPixels(out), computed);
  }
}

TEST_F(EditColourTest, PureIndexAndBackToFullColour) {
  // Five colours keep exactly; the GIF back to full colour gives the same pixels.
  const std::string few = dir_ / "few.png";
  ASSERT_TRUE(ImageMagick({"-size",   "20x10", "xc:#102030",        "-fill",
                           "#F0E0D0", "-draw", "rectangle 2,2 9,7", "-fill",
                           "#00FF00", "-draw", "point 15,5",        "-fill",
                           "#0000FE", "-draw", "point 0,9",         "-fill",
                           "#808081", "-draw", "point 19,0",        "PNG24:" + few}));
  RunResult run =
      RunCli({"edit", few, "--pure-index", "--transparent", "top-left", "-o", dir_ / "few.gif"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::unique_ptr<DocumentState> png = Load(few);
  std::unique_ptr<DocumentState> gif = Load(dir_ / "few.gif");
  std::optional<IndexConversion> expected =
      ConvertToPureIndex(png->currentPicture, 1, png->backgroundColor);
  ASSERT_TRUE(expected.has_value());
  EXPECT_EQ(expected->picture.Header().clrUsed, 5u);
  EXPECT_EQ(RgbBytes(gif->currentPicture), RgbBytes(expected->picture));
  EXPECT_EQ(gif->frameSet->transparentIndex, expected->transparentIndex);

  // --full-colour on the GIF, then a reduction: both steps run in order.
  run = RunCli({"edit", dir_ / "few.gif", "--full-colour", "-o", dir_ / "full.bmp"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::unique_ptr<DocumentState> bmp = Load(dir_ / "full.bmp");
  EXPECT_EQ(bmp->currentPicture.Header().bitCount, 24);
  EXPECT_EQ(RgbBytes(bmp->currentPicture), RgbBytes(gif->currentPicture));
}

// --colors --hq on an animation: the frames in full colour reduced together to one palette.
TEST_F(EditColourTest, HighQualityReducesAnAnimationToOnePalette) {
  const std::string anim = dir_ / "moving.gif";
  std::vector<std::string> args = {"-size", "48x32", "-delay", "8", "-loop", "0"};
  for (int f = 0; f < 5; ++f) {
    args.insert(
        args.end(),
        {"(", photo_, "-crop", "48x32+0+0", "+repage", "-fill", "#E03020", "-draw",
         "rectangle " + std::to_string(4 + 6 * f) + ",8 " + std::to_string(12 + 6 * f) + ",20",
         ")"});
  }
  args.push_back(anim);
  ASSERT_TRUE(ImageMagick(args));
  std::unique_ptr<DocumentState> source = Load(anim);
  ASSERT_TRUE(IsAnimation(source->kind));
  ASSERT_EQ(source->frameSet->count, 5);

  const std::string out = dir_ / "moving_hq.gif";
  RunResult run = RunCli({"edit", anim, "--colors", "32", "--hq", "-o", out});
  ASSERT_EQ(run.exitCode, 0) << run.err;

  std::vector<PackedDib> full;
  for (int i = 0; i < 5; ++i) full.push_back(ConvertToFullColor(source->frameSet->frame(i).image));
  std::optional<IndexedFrames> expected =
      QualityConvertFrames(full, {4, 0, false}, source->backgroundColor);
  ASSERT_TRUE(expected);
  std::unique_ptr<DocumentState> written = Load(out);
  ASSERT_EQ(written->frameSet->count, 5);
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(RgbBytes(written->frameSet->frame(i).image), RgbBytes(expected->pictures[i]));
    EXPECT_EQ(written->frameSet->frame(i).delay, 8);
  }
  EXPECT_LE(expected->pictures[0].ColorCount(), 33u);
}

TEST_F(EditColourTest, RefusalsWriteNothing) {
  const std::string anim = dir_ / "anim.gif";
  ASSERT_TRUE(ImageMagick({"-size", "8x6", "xc:red", "xc:blue", "-loop", "0", anim}));
  const std::string gif = dir_ / "ref16.gif";
  struct Case {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {{"edit", anim, "--colors", "16"}, "needs a single picture"},
      {{"edit", photo_, "--colors", "3"}, "2, 4, 8, 16, 32, 64, 128 or 256"},
      {{"edit", photo_, "--colors", "512"}, "2, 4, 8, 16, 32, 64, 128 or 256"},
      {{"edit", photo_, "--transparent", "middle", "--colors", "16"}, "bottom-right"},
      {{"edit", gif, "--colors", "16"}, "needs a full-colour picture"},
      {{"edit", photo_, "--pure-index"}, "more than 255 colours"},
      {{"edit", photo_, "--palette-from", photo_}, "cannot be used"},
      {{"edit", photo_, "--palette-from", dir_ / "none.gif"}, "does not exist"},
      {{"edit", photo_, "--no-dither", "--palette-from", anim}, "cannot be used"},
      {{"edit", photo_, "--hq=1", "--colors", "16"}, "takes no value"},
      {{"edit", anim, "--hq", "--pure-index"}, "needs a single picture"},
  };
  const std::string out = dir_ / "refused.gif";
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-o", out});
    RunResult run = RunCli(args);
    SCOPED_TRACE(run.err);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find(c.says), std::string::npos);
    EXPECT_FALSE(fs::exists(out));
  }
}

}  // namespace
}  // namespace zel::clitest
