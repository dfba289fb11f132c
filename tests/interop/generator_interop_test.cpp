// Generated animations written by zel-cli make-anime, read back by ImageMagick and by giflib
// after gifsicle has decoded and re-encoded them: every frame shows the pixels, the
// transparency and the delay the generator computed.
#include <gtest/gtest.h>

#include <string>

#include "document/document_state.h"
#include "generators/picture_to_animation.h"
#include "imagefiles/bmp_file.h"
#include "interop/interop_helpers.h"

namespace zel {
namespace {

using interop::ColorOf;
using interop::Quote;
using interop::RunCommand;
using interop::TempDir;
using CommandResult = interop::CommandResult;

PackedDib Photo(int w, int h) {
  PackedDib p = NewPicture(w, h, 24, 0);
  uint32_t state = 3;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      state = state * 1103515245u + 12345u;
      uint8_t* px = p.Row(y) + 3 * x;
      px[0] = static_cast<uint8_t>(x * 4 + (state >> 28));
      px[1] = static_cast<uint8_t>(y * 5 + (state >> 27));
      px[2] = static_cast<uint8_t>((x + y) * 3);
    }
  }
  return p;
}

struct GeneratorCase {
  const char* name;
  const char* arguments;  // zel-cli's
  MakeAnimeOptions options;
};

TEST(GeneratorInterop, MagickAndGifsicleShowTheComputedFrames) {
  TempDir dir;
  const PackedDib photo = Photo(64, 48);
  const std::string source = dir.File("photo.bmp");
  ASSERT_TRUE(WriteBmpFile(photo, source));

  MakeAnimeOptions punk;
  punk.effect = Effect::kPunk;
  punk.frames = 20;
  punk.amplitude = 50;
  punk.flags = 0;
  MakeAnimeOptions sway;
  sway.effect = Effect::kSwaying;
  sway.frames = 6;
  sway.amplitude = 80;
  sway.timeValue = 100;
  sway.colorCountIndex = 4;
  sway.transparentSource = 1;
  sway.flags = kMakeAnimeMargin | kMakeAnimePerCycle;
  const GeneratorCase cases[] = {
      {"punk", "--effect パンク --frames 20 --amplitude 50 --diffusion", punk},
      {"sway",
       "--effect swaying --frames 6 --amplitude 80 --time 100 --per-cycle --colors 32 "
       "--transparent top-left --margin --diffusion",
       sway},
  };
  for (const GeneratorCase& c : cases) {
    SCOPED_TRACE(c.name);
    GeneratedAnimation expected;
    ASSERT_TRUE(GenerateAnimation(photo, -1, kDefaultBackgroundColor, c.options, 256, nullptr,
                                nullptr, &expected).done());
    const FrameSet& frames = *expected.frames;
    const std::string gif = dir.File(std::string(c.name) + ".gif");
    const CommandResult made = RunCommand(Quote(ZEL_CLI_PATH) + " make-anime " + Quote(source) +
                                          " " + c.arguments + " -o " + Quote(gif));
    ASSERT_EQ(made.status, 0) << made.output;

    // ImageMagick, coalesced: colours, transparency and delays of every frame.
    auto shown = interop::ReadWithMagick(gif, true, dir.path());
    ASSERT_TRUE(shown);
    interop::ExpectFramesMatchMagick(frames, *shown, c.name);

    // gifsicle decodes every frame and writes its own file; giflib reads that one.
    const std::string copy = dir.File(std::string(c.name) + "_gifsicle.gif");
    const CommandResult copied =
        RunCommand("gifsicle --no-comments " + Quote(gif) + " -o " + Quote(copy));
    ASSERT_EQ(copied.status, 0) << copied.output;
    auto file = interop::ReadWithGiflib(copy);
    ASSERT_TRUE(file);
    ASSERT_EQ(static_cast<int>(file->images.size()), frames.count);
    for (int i = 0; i < frames.count; ++i) {
      const interop::GiflibImage& image = file->images[static_cast<size_t>(i)];
      const PackedDib& frame = frames.frame(i).image;
      const DibHeader h = frame.Header();
      ASSERT_EQ(image.width, h.width);
      ASSERT_EQ(image.height, h.height);
      EXPECT_EQ(image.delay, frames.frame(i).delay) << i;
      EXPECT_GE(image.transparentIndex, 0) << i;  // gifsicle may renumber the colours
      const auto& table = image.localColors.empty() ? file->globalColors : image.localColors;
      int wrong = 0;
      for (int y = 0; y < h.height; ++y) {
        for (int x = 0; x < h.width; ++x) {
          const int index = frame.Row(y)[x];
          const int read = image.raster[static_cast<size_t>(y) * image.width + x];
          if (index == frames.transparentIndex) {
            wrong += read != image.transparentIndex;
          } else {
            const interop::Rgba a = ColorOf(frame, index);
            const interop::Rgba b = table[static_cast<size_t>(read)];
            wrong += a.r != b.r || a.g != b.g || a.b != b.b;
          }
        }
      }
      EXPECT_EQ(wrong, 0) << "frame " << i;
    }
  }
}

}  // namespace
}  // namespace zel
