// Sizes: an animation another optimiser made, opened and saved optimised, comes out no
// bigger than gifsicle -O3 makes our normal save of it. The figures are printed side by
// side.

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "imagefiles/gif_decoder.h"
#include "imagefiles/gif_encoder.h"
#include "imagefiles/gif_optimizer.h"
#include "interop/interop_helpers.h"
#include "interop/interop_sources.h"
#include "support/animation_cases.h"

namespace zel::interop {
namespace {

struct Maker {
  const char* name;
  const char* command;  // %s %s: input, output
};

const Maker kMakers[] = {
    {"gifsicle -O2", "gifsicle -O2 %s -o %s"},
    {"gifsicle -O3", "gifsicle -O3 %s -o %s"},
    {"magick Optimize", "convert %s -layers Optimize %s"},
    {"magick OptimizeTransparency", "convert %s -coalesce -layers OptimizeTransparency %s"},
};

std::string Format(const char* pattern, const std::string& a, const std::string& b) {
  char text[1024];
  std::snprintf(text, sizeof text, pattern, Quote(a).c_str(), Quote(b).c_str());
  return text;
}

size_t SizeOf(const std::string& path) {
  return ReadFileBytes(path).size();
}

// The sources, each a row of its own so that ctest spreads them over the cores.
enum class SizeSource { kMovingObject, kDithered, kMagickDither, kOpaque, kAlpha, kSprite };

struct SizeCase {
  const char* name;
  SizeSource source;
};

const SizeCase kSizeCases[] = {
    {"MovingObject", SizeSource::kMovingObject}, {"Dithered", SizeSource::kDithered},
    {"MagickDither", SizeSource::kMagickDither}, {"Opaque", SizeSource::kOpaque},
    {"Alpha", SizeSource::kAlpha},               {"Sprite", SizeSource::kSprite},
};

// Writes the source's frames as the peers get them; their name in the table and the file.
void MakeSizeSource(SizeSource source, TempDir& work, std::string& name, std::string& path) {
  switch (source) {
    case SizeSource::kMovingObject:
    case SizeSource::kDithered: {
      // A moving object over a textured background; or nearly every pixel changing: the
      // rectangles are whole frames and the LZW coding of the unchanged pixels decides.
      const bool moving = source == SizeSource::kMovingObject;
      FrameSet frames = moving ? testing::MakeMovingObject(200, 150, 24)
                               : testing::MakeDithered(200, 150, 20);
      std::vector<uint8_t> bytes;
      ASSERT_EQ(BuildGifFile(frames, false, nullptr, bytes), kGifWriteOk);
      name = moving ? "moving object" : "dithered";
      path = work.File(moving ? "moving.gif" : "dithered.gif");
      WriteFileBytes(path, bytes);
      return;
    }
    case SizeSource::kMagickDither: {
      // The same kind of animation as ImageMagick dithers it down to 64 colours; its frames
      // are drawn in the same run.
      std::string frames;
      for (int i = 0; i < 20; ++i) {
        char draw[200];
        std::snprintf(draw, sizeof draw,
                      "\\( -size 200x150 gradient:navy-skyblue -fill orange "
                      "-draw 'circle %d,%d %d,%d' -fill white "
                      "-draw 'rectangle 10,120 %d,130' \\) ",
                      20 + i * 8, 40 + i * 3, 32 + i * 8, 40 + i * 3, 10 + i * 9);
        frames += draw;
      }
      name = "magick dither";
      path = work.File("magick_dithered.gif");
      CommandResult made =
          RunCommand("convert -delay 5 -loop 0 " + frames + "-colors 64 " + Quote(path));
      ASSERT_EQ(made.status, 0) << made.output;
      return;
    }
    case SizeSource::kOpaque:
    case SizeSource::kAlpha:
    case SizeSource::kSprite: {
      // The interop sources with transparency and sprites.
      const Source interop = source == SizeSource::kOpaque  ? Source::kOpaque
                             : source == SizeSource::kAlpha ? Source::kAlpha
                                                            : Source::kSprite;
      name = SourceName(interop);
      path = MakeSource(interop, work.path());
      ASSERT_FALSE(path.empty());
      return;
    }
  }
}

void PrintTo(const SizeCase& c, std::ostream* os) {
  *os << c.name;
}

class GifOptimizerSize : public ::testing::TestWithParam<SizeCase> {};

TEST_P(GifOptimizerSize, NoBiggerThanGifsicleO3OnOurNormalSave) {
  TempDir work;
  std::string sourceName, sourcePath;
  ASSERT_NO_FATAL_FAILURE(MakeSizeSource(GetParam().source, work, sourceName, sourcePath));

  std::printf("%-14s %-28s %10s %10s %12s\n", "frames", "made by", "peer file", "ours",
              "gifsicle -O3");
  std::map<std::vector<uint8_t>, size_t> gifsicleSizes;  // normal save -> gifsicle -O3 size
  for (const Maker& maker : kMakers) {
    SCOPED_TRACE(sourceName + " / " + maker.name);
    const std::string made = work.File("made.gif");
    CommandResult result = RunCommand(Format(maker.command, sourcePath, made));
    ASSERT_EQ(result.status, 0) << result.output;

    FrameSet frames(256);
    ASSERT_TRUE(LoadGifAnimation(made, frames, 256));
    std::vector<uint8_t> ours, normal;
    ASSERT_EQ(BuildOptimizedGifFile(frames, nullptr, ours), kGifWriteOk);
    ASSERT_EQ(BuildGifFile(frames, false, nullptr, normal), kGifWriteOk);
    // Makers whose files load to the same frames give the same normal save: gifsicle
    // runs once for each different one.
    auto known = gifsicleSizes.find(normal);
    if (known == gifsicleSizes.end()) {
      WriteFileBytes(work.File("normal.gif"), normal);
      result = RunCommand(
          Format("gifsicle -O3 %s -o %s", work.File("normal.gif"), work.File("gifsicle.gif")));
      ASSERT_EQ(result.status, 0) << result.output;
      known = gifsicleSizes.emplace(normal, SizeOf(work.File("gifsicle.gif"))).first;
    }
    const size_t theirs = known->second;
    std::printf("%-14s %-28s %10zu %10zu %12zu\n", sourceName.c_str(), maker.name, SizeOf(made),
                ours.size(), theirs);
    EXPECT_LE(ours.size(), theirs);
  }
}

INSTANTIATE_TEST_SUITE_P(Interop, GifOptimizerSize, ::testing::ValuesIn(kSizeCases),
                         [](const ::testing::TestParamInfo<SizeCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace zel::interop
