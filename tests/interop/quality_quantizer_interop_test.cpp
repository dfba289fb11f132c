// The high-quality reduction measured against pngquant and ImageMagick on pictures
// ImageMagick makes: the error against the source (ImageMagick's `compare -metric RMSE`,
// normalised to 0..1) must be no worse than pngquant's and at most 0.75 times that of
// `convert -colors 256`, and better than the program's own quantizer; in a video-like
// animation the still background must stay still.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "color/index_color.h"
#include "color/quality_quantizer.h"
#include "imagefiles/bmp_file.h"
#include "interop/interop_helpers.h"

namespace zel::interop {
namespace {

// The normalised RMSE that `compare` prints in parentheses; -1 when it cannot compare.
double CompareRmse(const std::string& a, const std::string& b) {
  CommandResult result = RunCommand("compare -metric RMSE " + Quote(a) + " " + Quote(b) + " null:");
  const size_t open = result.output.find('(');
  if (open == std::string::npos) {
    ADD_FAILURE() << "compare: " << result.output;
    return -1;
  }
  return std::strtod(result.output.c_str() + open + 1, nullptr);
}

// A 24-bit picture read from a file ImageMagick wrote.
PackedDib ReadFullColor(const std::string& path) {
  PackedDib picture;
  EXPECT_EQ(ReadBmpFile(picture, path), kBmpReadOk) << path;
  if (picture) {
    EXPECT_EQ(picture.Header().bitCount, 24);
  }
  return picture;
}

struct Source {
  const char* name;
  const char* magick;  // the ImageMagick arguments that make it
};

// Photo-like pictures: fractal plasma, and gradients with fine noise.
const Source kSources[] = {
    {"plasma", "-size 480x360 -seed 7 plasma:fractal -blur 0x1"},
    {"sky", "-size 480x360 gradient:navy-orange -seed 3 -attenuate 0.1 +noise Gaussian"},
    {"meadow",
     "-size 480x360 gradient:darkgreen-khaki -seed 5 -attenuate 0.15 +noise Gaussian -blur 0x0.7"},
};

TEST(QualityQuantizerInterop, ErrorAgainstPngquantAndMagick) {
  TempDir dir;
  for (const Source& source : kSources) {
    SCOPED_TRACE(source.name);
    const std::string png = dir.File(std::string(source.name) + ".png");
    const std::string bmp = dir.File(std::string(source.name) + ".bmp");
    ASSERT_EQ(
        RunCommand(std::string("convert ") + source.magick + " -depth 8 " + Quote(png)).status, 0);
    ASSERT_EQ(RunCommand("convert " + Quote(png) + " -type TrueColor BMP3:" + Quote(bmp)).status,
              0);
    const std::string im = dir.File("im.png"), ours = dir.File("ours.bmp");
    ASSERT_EQ(RunCommand("convert " + Quote(png) + " -colors 256 " + Quote(im)).status, 0);
    const double imRmse = CompareRmse(png, im);
    PackedDib picture = ReadFullColor(bmp);
    ASSERT_TRUE(picture);

    // pngquant in the same mode: its default diffusion, or none. Each mode with a corner
    // (256 colours) and without (255 and the transparent entry, which no pixel uses).
    for (bool noDiffusion : {false, true}) {
      const std::string pq = dir.File("pq.png");
      ASSERT_EQ(RunCommand(std::string("pngquant 256 --force ") + (noDiffusion ? "--nofs " : "") +
                           "-o " + Quote(pq) + " " + Quote(png))
                    .status,
                0);
      const double pqRmse = CompareRmse(png, pq);
      // The program's own quantizer in the same mode.
      const std::string plainOwn = dir.File("own.bmp");
      auto own = ConvertToIndexColor(picture, {7, 0, noDiffusion}, 0xC0C0C0);
      ASSERT_TRUE(own);
      ASSERT_TRUE(WriteBmpFile(own->picture, plainOwn));
      const double ownRmse = CompareRmse(png, plainOwn);
      for (int corner : {0, 1}) {
        SCOPED_TRACE(testing::Message() << "noDiffusion " << noDiffusion << " corner " << corner);
        auto result = QualityConvertToIndexColor(picture, {7, corner, noDiffusion}, 0xC0C0C0);
        ASSERT_TRUE(result);
        if (corner != 0) {
          // The corner colour's entry shows the source colour again for the comparison.
          const uint8_t* s = picture.Pixels() + picture.Stride() * (picture.Header().height - 1);
          result->picture.ColorTable()[result->transparentIndex] = Rgbq{s[0], s[1], s[2], 0};
        }
        ASSERT_TRUE(WriteBmpFile(result->picture, ours));
        const double oursRmse = CompareRmse(png, ours);
        EXPECT_LT(oursRmse, ownRmse);
        // The figures go to the test report (--gtest_output=xml).
        testing::Test::RecordProperty(
            std::string(source.name) + (noDiffusion ? "_plain" : "") + "_corner" +
                std::to_string(corner),
            std::to_string(oursRmse) + " pngquant " + std::to_string(pqRmse) + " magick " +
                std::to_string(imRmse) + " own " + std::to_string(ownRmse));
        EXPECT_LE(oursRmse, pqRmse) << "pngquant " << pqRmse;
        EXPECT_LE(oursRmse, 0.75 * imRmse) << "ImageMagick " << imRmse;
      }
    }
  }
}

// The error of the high-quality reduction at most pngquant's (2 % allowed) at the same colour
// count, in both modes, on pictures of different kinds and sizes: dense ones (noise, plasma)
// take the merged histogram, the drawing the exact one, and a picture above a million pixels
// keeps the thorough search. The pictures are written at 8 bits per channel, as both read them.
TEST(QualityQuantizerInterop, ErrorWithinPngquantsAtTheSameColourCount) {
  if (RunCommand("pngquant --version").status != 0) GTEST_SKIP() << "pngquant is not installed";
  struct Case {
    const char* name;
    const char* magick;
    int colorCountIndex;  // 3: 16 colours, 5: 64, 7: 256
  };
  const Case cases[] = {
      {"noisy sky 1024x1024", "-size 1024x1024 gradient:navy-orange -seed 4 -attenuate 0.2 "
       "+noise Gaussian", 7},
      {"plasma 320x240", "-size 320x240 -seed 3 plasma: -blur 0x0.5", 5},
      {"drawing 400x300", "logo: -resize 400x300!", 3},
      {"noise 320x240", "-size 320x240 xc:gray50 -colorspace sRGB -type TrueColor -seed 9 "
       "-attenuate 0.6 +noise Gaussian", 7},
  };
  TempDir dir;
  for (const Case& c : cases) {
    const std::string png = dir.File("source.png"), bmp = dir.File("source.bmp");
    ASSERT_EQ(RunCommand(std::string("convert ") + c.magick + " -depth 8 " + Quote(png)).status,
              0);
    ASSERT_EQ(RunCommand("convert " + Quote(png) + " -type TrueColor BMP3:" + Quote(bmp)).status,
              0);
    PackedDib picture = ReadFullColor(bmp);
    ASSERT_TRUE(picture);
    const int colours = 2 << c.colorCountIndex;
    for (bool noDiffusion : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.name << ", " << colours << " colours"
                                      << (noDiffusion ? ", no diffusion" : ""));
      const std::string pq = dir.File("pq.png"), ours = dir.File("ours.bmp");
      ASSERT_EQ(RunCommand("pngquant " + std::to_string(colours) + " --force " +
                           (noDiffusion ? "--nofs " : "") + "-o " + Quote(pq) + " " + Quote(png))
                    .status,
                0);
      // No transparent corner: at 256 colours the last entry is the transparent one, which
      // no pixel uses, so this side has one colour less.
      auto result =
          QualityConvertToIndexColor(picture, {c.colorCountIndex, 0, noDiffusion}, 0xC0C0C0);
      ASSERT_TRUE(result);
      ASSERT_TRUE(WriteBmpFile(result->picture, ours));
      const double pqRmse = CompareRmse(png, pq);
      EXPECT_LE(CompareRmse(png, ours), 1.02 * pqRmse) << "pngquant " << pqRmse;
    }
  }
}

// Fifty frames: a still plasma photo with a disc that moves across it.
TEST(QualityQuantizerInterop, StillBackgroundStaysStill) {
  TempDir dir;
  const std::string bmp = dir.File("photo.bmp");
  ASSERT_EQ(RunCommand("convert -size 200x150 -seed 11 plasma:fractal -blur 0x1 -type TrueColor "
                       "BMP3:" +
                       Quote(bmp))
                .status,
            0);
  PackedDib photo = ReadFullColor(bmp);
  ASSERT_TRUE(photo);
  const int w = photo.Header().width, h = photo.Header().height;
  constexpr int kFrames = 50;
  std::vector<PackedDib> frames;
  for (int f = 0; f < kFrames; ++f) {
    PackedDib frame = DuplicateBlock(photo);
    const int cx = 10 + f * 3, cy = 40 + f;
    for (int y = 0; y < h; ++y) {
      uint8_t* p = frame.Pixels() + frame.Stride() * y;
      for (int x = 0; x < w; ++x, p += 3) {
        const int dx = x - cx, dy = y - cy;
        if (dx * dx + dy * dy < 18 * 18) {
          p[0] = static_cast<uint8_t>(40 + 4 * f);
          p[1] = static_cast<uint8_t>(200 - x);
          p[2] = static_cast<uint8_t>(60 + y);
        }
      }
    }
    frames.push_back(std::move(frame));
  }

  // Share of the pixels unchanged in the source whose index changes from frame to frame.
  auto flicker = [&](const std::vector<PackedDib>& reduced) {
    long unchanged = 0, changed = 0;
    for (size_t f = 1; f < reduced.size(); ++f) {
      for (int y = 0; y < h; ++y) {
        const uint8_t* s = frames[f].Pixels() + frames[f].Stride() * y;
        const uint8_t* ps = frames[f - 1].Pixels() + frames[f].Stride() * y;
        const uint8_t* d = reduced[f].Pixels() + reduced[f].Stride() * y;
        const uint8_t* pd = reduced[f - 1].Pixels() + reduced[f].Stride() * y;
        for (int x = 0; x < w; ++x) {
          if (s[3 * x] != ps[3 * x] || s[3 * x + 1] != ps[3 * x + 1] ||
              s[3 * x + 2] != ps[3 * x + 2]) {
            continue;
          }
          ++unchanged;
          if (d[x] != pd[x]) ++changed;
        }
      }
    }
    return static_cast<double>(changed) / static_cast<double>(unchanged);
  };

  for (int corner : {0, 1}) {
    SCOPED_TRACE(testing::Message() << "corner " << corner);
    auto result = QualityConvertFrames(frames, {7, corner, false}, 0xC0C0C0);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->pictures.size(), size_t{kFrames});
    EXPECT_LE(flicker(result->pictures), 0.01);
    if (corner != 0) continue;

    // One palette for all frames still matches pngquant and beats ImageMagick on each frame
    // reduced alone.
    for (int f : {0, 24, 49}) {
      SCOPED_TRACE(testing::Message() << "frame " << f);
      const std::string source = dir.File("frame.bmp"), png = dir.File("frame.png");
      const std::string pq = dir.File("frame_pq.png"), im = dir.File("frame_im.png");
      const std::string ours = dir.File("frame_ours.bmp");
      ASSERT_TRUE(WriteBmpFile(frames[f], source));
      ASSERT_TRUE(WriteBmpFile(result->pictures[f], ours));
      ASSERT_EQ(RunCommand("convert " + Quote(source) + " " + Quote(png)).status, 0);
      ASSERT_EQ(RunCommand("pngquant 256 --force -o " + Quote(pq) + " " + Quote(png)).status, 0);
      ASSERT_EQ(RunCommand("convert " + Quote(png) + " -colors 256 " + Quote(im)).status, 0);
      const double oursRmse = CompareRmse(png, ours);
      const double pqRmse = CompareRmse(png, pq), imRmse = CompareRmse(png, im);
      EXPECT_LE(oursRmse, pqRmse) << "pngquant " << pqRmse;
      EXPECT_LE(oursRmse, 0.75 * imRmse) << "ImageMagick " << imRmse;
    }
  }

  // Each frame dithered on its own shimmers, which is what the steady mapping prevents.
  std::vector<PackedDib> alone;
  for (int f = 0; f < 8; ++f) {
    auto one = QualityConvertToIndexColor(frames[f], {7, 0, false}, 0xC0C0C0);
    ASSERT_TRUE(one);
    alone.push_back(std::move(one->picture));
  }
  EXPECT_GT(flicker(alone), 0.05);
}

}  // namespace
}  // namespace zel::interop
