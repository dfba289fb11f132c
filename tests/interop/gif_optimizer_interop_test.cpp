// The optimised GIF save shows, in giflib and in ImageMagick, exactly the frames of the
// normal save: same pixels, same transparency, same delays.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imagefiles/gif_encoder.h"
#include "imagefiles/gif_optimizer.h"
#include "interop/interop_helpers.h"
#include "support/animation_cases.h"

namespace zel::interop {
namespace {

using testing::AnimationCase;
using testing::AnimationCases;

Rgba Normalized(Rgba p) {
  return p.a == 0 ? Rgba{} : p;
}

// The frames a GIF89a display shows, composed from what DGifSlurp read: each image drawn
// over the screen without its transparent pixels, then disposed of as it asks.
std::vector<std::vector<Rgba>> ComposeGiflib(const GiflibFile& file) {
  const int sw = file.screenWidth, sh = file.screenHeight;
  std::vector<Rgba> screen(static_cast<size_t>(sw) * sh);
  std::vector<std::vector<Rgba>> shown;
  for (const GiflibImage& image : file.images) {
    const std::vector<Rgba>& colors =
        image.localColors.empty() ? file.globalColors : image.localColors;
    std::vector<Rgba> saved = screen;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const int sx = image.left + x, sy = image.top + y;
        if (sx >= sw || sy >= sh) continue;
        const int index = image.raster[static_cast<size_t>(y) * image.width + x];
        if (index == image.transparentIndex) continue;
        Rgba c = static_cast<size_t>(index) < colors.size() ? colors[index] : Rgba{};
        c.a = 255;
        screen[static_cast<size_t>(sy) * sw + sx] = c;
      }
    }
    shown.push_back(screen);
    if (image.disposal == 2) {
      for (int y = image.top; y < std::min(image.top + image.height, sh); ++y) {
        for (int x = image.left; x < std::min(image.left + image.width, sw); ++x) {
          screen[static_cast<size_t>(y) * sw + x] = Rgba{};
        }
      }
    } else if (image.disposal == 3) {
      screen = saved;
    }
  }
  return shown;
}

class GifOptimizerInterop : public ::testing::TestWithParam<AnimationCase> {
 protected:
  TempDir work_;
};

TEST_P(GifOptimizerInterop, PeersShowTheNormalSaveFrames) {
  FrameSet frames = GetParam().make();
  std::vector<uint8_t> normalBytes, optimizedBytes;
  ASSERT_EQ(BuildGifFile(frames, false, nullptr, normalBytes), kGifWriteOk);
  ASSERT_EQ(BuildOptimizedGifFile(frames, nullptr, optimizedBytes), kGifWriteOk);
  const std::string normal = work_.File("normal.gif");
  const std::string optimized = work_.File("optimized.gif");
  WriteFileBytes(normal, normalBytes);
  WriteFileBytes(optimized, optimizedBytes);

  std::optional<GiflibFile> giflibNormal = ReadWithGiflib(normal);
  std::optional<GiflibFile> giflibOptimized = ReadWithGiflib(optimized);
  ASSERT_TRUE(giflibNormal && giflibOptimized);
  EXPECT_EQ(giflibOptimized->hasLoopBlock, giflibNormal->hasLoopBlock);
  std::vector<std::vector<Rgba>> expected = ComposeGiflib(*giflibNormal);
  std::vector<std::vector<Rgba>> actual = ComposeGiflib(*giflibOptimized);
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t f = 0; f < expected.size(); ++f) {
    EXPECT_TRUE(actual[f] == expected[f]) << "giflib, frame " << f;
    EXPECT_EQ(giflibOptimized->images[f].delay, giflibNormal->images[f].delay);
  }

  std::optional<std::vector<MagickFrame>> magickNormal = ReadWithMagick(normal, true, work_.path());
  std::optional<std::vector<MagickFrame>> magickOptimized =
      ReadWithMagick(optimized, true, work_.path());
  ASSERT_TRUE(magickNormal && magickOptimized);
  ASSERT_EQ(magickOptimized->size(), magickNormal->size());
  for (size_t f = 0; f < magickNormal->size(); ++f) {
    const MagickFrame& a = (*magickOptimized)[f];
    const MagickFrame& b = (*magickNormal)[f];
    EXPECT_EQ(a.delay, b.delay) << "frame " << f;
    ASSERT_EQ(a.image.pixels.size(), b.image.pixels.size());
    size_t differing = 0;
    for (size_t p = 0; p < a.image.pixels.size(); ++p) {
      if (!(Normalized(a.image.pixels[p]) == Normalized(b.image.pixels[p]))) ++differing;
    }
    EXPECT_EQ(differing, 0u) << "ImageMagick, frame " << f;
  }
}

INSTANTIATE_TEST_SUITE_P(Animations, GifOptimizerInterop, ::testing::ValuesIn(AnimationCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zel::interop
