// Merges made by zel-cli over animations ImageMagick wrote: a piece cut from one of its
// frames pasted back, and a second animation laid over the first. ImageMagick, coalescing,
// and giflib read the results with exactly the expected frames.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/packed_dib.h"
#include "imagefiles/png_reader.h"
#include "interop/interop_helpers.h"

namespace zel {
namespace {

using interop::MagickFrame;
using interop::PlacedImage;
using interop::Quote;
using interop::Rgba;
using interop::RgbaImage;
using interop::RunCommand;
using interop::TempDir;
using CommandResult = interop::CommandResult;

// `count` colours far apart from each other.
std::vector<Rgba> Colors(int count, uint8_t base) {
  std::vector<Rgba> colors;
  for (int i = 0; i < count; ++i) {
    colors.push_back({uint8_t(base + 40 * (i % 4)), uint8_t(60 * ((i / 4) % 4)),
                      uint8_t(255 - 50 * (i / 16)), 255});
  }
  return colors;
}

// Six frames of a pattern that moves; `holes` makes every fifth pixel transparent.
std::vector<PlacedImage> Frames(int w, int h, const std::vector<Rgba>& colors, bool holes) {
  std::vector<PlacedImage> frames;
  for (int f = 0; f < 6; ++f) {
    PlacedImage frame;
    frame.image = RgbaImage(w, h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        Rgba c = colors[static_cast<size_t>((x / 4 + y / 3 + f) % colors.size())];
        if (holes && (x + y + f) % 5 == 0) c = Rgba{0, 0, 0, 0};
        frame.image.At(x, y) = c;
      }
    }
    frame.delay = 10;
    frames.push_back(std::move(frame));
  }
  return frames;
}

// Counts the pixels where two frame lists differ (sizes must agree).
void ExpectSameFrames(const std::vector<MagickFrame>& got, const std::vector<RgbaImage>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    ASSERT_EQ(got[i].image.width, want[i].width) << i;
    ASSERT_EQ(got[i].image.height, want[i].height) << i;
    int wrong = 0;
    for (size_t p = 0; p < want[i].pixels.size(); ++p) {
      wrong += !(got[i].image.pixels[p] == want[i].pixels[p]);
    }
    EXPECT_EQ(wrong, 0) << "frame " << i;
    EXPECT_EQ(got[i].delay, 10) << i;
  }
}

// giflib reads as many images with the colours ImageMagick shows (full-screen frames).
void ExpectGiflibFrames(const std::string& path, const std::vector<RgbaImage>& want) {
  auto file = interop::ReadWithGiflib(path);
  ASSERT_TRUE(file);
  ASSERT_EQ(file->images.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    const interop::GiflibImage& image = file->images[i];
    if (image.width != want[i].width || image.height != want[i].height) continue;
    const auto& table = image.localColors.empty() ? file->globalColors : image.localColors;
    int wrong = 0;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const int index = image.raster[static_cast<size_t>(y) * image.width + x];
        const Rgba w = want[i].At(x, y);
        if (index == image.transparentIndex) continue;
        const Rgba c = table[static_cast<size_t>(index)];
        wrong += c.r != w.r || c.g != w.g || c.b != w.b;
      }
    }
    EXPECT_EQ(wrong, 0) << "giflib frame " << i;
  }
}

TEST(MergeInterop, APieceCutFromAFramePastedBackReplacesThatAreaInEveryFrame) {
  TempDir dir;
  const std::string anim = dir.File("anim.gif");
  ASSERT_TRUE(interop::WriteAnimationWithMagick(Frames(48, 32, Colors(24, 0), false), 48, 32, "",
                                                anim, dir.path()));
  // Frame 3 as shown, cut at 12 x 10 + 20 + 8, kept as an indexed PNG of the same colours.
  const std::string cut = dir.File("cut.png");
  CommandResult made = RunCommand("convert " + Quote(anim) +
                                  " -coalesce -delete 0-2 -delete 1--1 -crop 12x10+20+8 +repage "
                                  "PNG8:" +
                                  Quote(cut));
  ASSERT_EQ(made.status, 0) << made.output;
  PackedDib piece;
  ASSERT_EQ(ReadPngFile(piece, cut, {}), 0);
  ASSERT_EQ(piece.Header().bitCount, 8);

  const std::string out = dir.File("out.gif");
  made = RunCommand(Quote(ZEL_CLI_PATH) + " edit " + Quote(anim) + " --merge " + Quote(cut) +
                    " --at 30,4 -o " + Quote(out));
  ASSERT_EQ(made.status, 0) << made.output;

  auto frames = interop::ReadWithMagick(anim, true, dir.path());
  auto cutFrames = interop::ReadWithMagick(cut, false, dir.path());
  ASSERT_TRUE(frames && cutFrames);
  const RgbaImage& patch = (*cutFrames)[0].image;
  std::vector<RgbaImage> want;
  for (const MagickFrame& f : *frames) {
    RgbaImage image = f.image;
    for (int y = 0; y < patch.height; ++y) {
      for (int x = 0; x < patch.width; ++x) image.At(30 + x, 4 + y) = patch.At(x, y);
    }
    want.push_back(image);
  }
  auto got = interop::ReadWithMagick(out, true, dir.path());
  ASSERT_TRUE(got);
  ExpectSameFrames(*got, want);
  ExpectGiflibFrames(out, want);
}

TEST(MergeInterop, TwoAnimationsOfEqualFramesEqualMagicksCompositeOfTheCoalescedFrames) {
  TempDir dir;
  const std::string base = dir.File("base.gif");
  const std::string over = dir.File("over.gif");
  ASSERT_TRUE(interop::WriteAnimationWithMagick(Frames(40, 30, Colors(20, 0), false), 40, 30, "",
                                                base, dir.path()));
  ASSERT_TRUE(interop::WriteAnimationWithMagick(Frames(16, 12, Colors(12, 20), true), 16, 12,
                                                "-dispose Background", over, dir.path()));
  const std::string expected = dir.File("expected.miff");
  CommandResult made =
      RunCommand("convert " + Quote(base) + " -coalesce null: \\( " + Quote(over) +
                 " -coalesce \\) -geometry +10+6 -layers composite " + Quote(expected));
  ASSERT_EQ(made.status, 0) << made.output;

  const std::string out = dir.File("out.gif");
  made = RunCommand(Quote(ZEL_CLI_PATH) + " edit " + Quote(base) + " --merge " + Quote(over) +
                    " --at 10,6 -o " + Quote(out));
  ASSERT_EQ(made.status, 0) << made.output;

  auto composite = interop::ReadWithMagick(expected, false, dir.path());
  ASSERT_TRUE(composite);
  std::vector<RgbaImage> want;
  for (const MagickFrame& f : *composite) want.push_back(f.image);
  auto got = interop::ReadWithMagick(out, true, dir.path());
  ASSERT_TRUE(got);
  ExpectSameFrames(*got, want);
  ExpectGiflibFrames(out, want);
}

}  // namespace
}  // namespace zel
