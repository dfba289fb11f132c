// Frames opened from a video clip against FFmpeg's own pictures of the same times, scaled
// the same way.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "generators/video_animation.h"
#include "imagefiles/png_reader.h"
#include "support/gif_builder.h"
#include "support/video_clips.h"

namespace zel {
namespace {

// PSNR of an 8-bit frame against a 24-bit picture of the same size, over red, green and blue.
double Psnr(const PackedDib& frame, const PackedDib& reference) {
  const DibHeader h = frame.Header();
  EXPECT_EQ(reference.Header().width, h.width);
  EXPECT_EQ(reference.Header().height, h.height);
  EXPECT_EQ(reference.Header().bitCount, 24);
  double squares = 0;
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* f = frame.Pixels() + frame.Stride() * y;
    const uint8_t* r = reference.Pixels() + reference.Stride() * y;
    for (int32_t x = 0; x < h.width; ++x) {
      const Rgbq c = frame.ColorTable()[f[x]];
      const double db = c.blue - r[3 * x], dg = c.green - r[3 * x + 1], dr = c.red - r[3 * x + 2];
      squares += db * db + dg * dg + dr * dr;
    }
  }
  const double mse = squares / (3.0 * h.width * h.height);
  return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

TEST(VideoInterop, EachFrameIsCloseToFfmpegsPictureAtItsTime) {
  const std::string clip = testing::BarsClip();
  ASSERT_FALSE(clip.empty());
  const std::string dir = testing::MakeTempDir();
  // Output frame k at 10 frames a second is source picture 3k of the 30-frame clip; one
  // FFmpeg run writes the pictures of four of them, scaled as the frames are.
  const std::vector<int> outputs = {0, 3, 10, 19};
  ASSERT_TRUE(testing::RunQuietly(
      {"ffmpeg", "-nostdin", "-y", "-i", clip, "-vf",
       "select='eq(n\\,0)+eq(n\\,9)+eq(n\\,30)+eq(n\\,57)',scale=80:60:flags=lanczos",
       "-vsync", "0", "-pix_fmt", "rgb24", dir + "/ref%d.png"}));
  for (bool highQuality : {true, false}) {
    VideoImportSettings s;
    s.fps = 10;
    s.width = 80;
    s.highQuality = highQuality;
    std::unique_ptr<FrameSet> frames;
    ASSERT_EQ(MakeVideoFrames(clip, s, 256, nullptr, &frames), VideoImportResult::kDone);
    ASSERT_EQ(frames->count, 20);
    for (size_t i = 0; i < outputs.size(); ++i) {
      PackedDib reference;
      ASSERT_EQ(ReadPngFile(reference, dir + "/ref" + std::to_string(i + 1) + ".png", {}), 0);
      const double psnr = Psnr(frames->frame(outputs[i]).image, reference);
      EXPECT_GE(psnr, 28.0) << "frame " << outputs[i] << " high quality " << highQuality;
    }
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zel
