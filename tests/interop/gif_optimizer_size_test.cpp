// Sizes: an animation another optimiser made, opened and saved optimised, comes out no
// bigger than gifsicle -O3 makes our normal save of it. The figures are printed side by
// side.

#include <gtest/gtest.h>

#include <cstdio>
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

TEST(GifOptimizerSize, NoBiggerThanGifsicleO3OnOurNormalSave) {
  TempDir work;
  // The same frames, as the peers get them: a moving object over a textured background,
  // and the interop sources with transparency and sprites.
  std::vector<std::pair<std::string, std::string>> sources;
  {
    FrameSet frames = testing::MakeMovingObject(200, 150, 24);
    std::vector<uint8_t> bytes;
    ASSERT_EQ(BuildGifFile(frames, false, nullptr, bytes), kGifWriteOk);
    WriteFileBytes(work.File("moving.gif"), bytes);
    sources.emplace_back("moving object", work.File("moving.gif"));
    // Nearly every pixel changes: the rectangles are whole frames and the LZW coding of
    // the unchanged pixels decides.
    FrameSet dithered = testing::MakeDithered(200, 150, 20);
    std::vector<uint8_t> ditheredBytes;
    ASSERT_EQ(BuildGifFile(dithered, false, nullptr, ditheredBytes), kGifWriteOk);
    WriteFileBytes(work.File("dithered.gif"), ditheredBytes);
    sources.emplace_back("dithered", work.File("dithered.gif"));
  }
  {
    // The same kind of animation as ImageMagick dithers it down to 64 colours.
    std::string frameFiles;
    for (int i = 0; i < 20; ++i) {
      const std::string file = work.File("dither" + std::to_string(100 + i) + ".png");
      char draw[160];
      std::snprintf(draw, sizeof draw,
                    "-fill orange -draw 'circle %d,%d %d,%d' -fill white "
                    "-draw 'rectangle 10,120 %d,130'",
                    20 + i * 8, 40 + i * 3, 32 + i * 8, 40 + i * 3, 10 + i * 9);
      CommandResult made = RunCommand("convert -size 200x150 gradient:navy-skyblue " +
                                      std::string(draw) + " " + Quote(file));
      ASSERT_EQ(made.status, 0) << made.output;
      frameFiles += Quote(file) + " ";
    }
    const std::string plain = work.File("magick_dithered.gif");
    CommandResult made =
        RunCommand("convert -delay 5 -loop 0 " + frameFiles + "-colors 64 " + Quote(plain));
    ASSERT_EQ(made.status, 0) << made.output;
    sources.emplace_back("magick dither", plain);
  }
  for (Source source : {Source::kOpaque, Source::kAlpha, Source::kSprite}) {
    std::string path = MakeSource(source, work.path());
    ASSERT_FALSE(path.empty());
    sources.emplace_back(SourceName(source), path);
  }

  std::printf("%-14s %-28s %10s %10s %12s\n", "frames", "made by", "peer file", "ours",
              "gifsicle -O3");
  for (const auto& [sourceName, sourcePath] : sources) {
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
      WriteFileBytes(work.File("normal.gif"), normal);
      result = RunCommand(
          Format("gifsicle -O3 %s -o %s", work.File("normal.gif"), work.File("gifsicle.gif")));
      ASSERT_EQ(result.status, 0) << result.output;
      const size_t theirs = SizeOf(work.File("gifsicle.gif"));
      std::printf("%-14s %-28s %10zu %10zu %12zu\n", sourceName.c_str(), maker.name, SizeOf(made),
                  ours.size(), theirs);
      EXPECT_LE(ours.size(), theirs);
    }
  }
}

}  // namespace
}  // namespace zel::interop
