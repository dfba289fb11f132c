// The GIF reader on damaged files: every truncation and thousands of bit flips of a few
// small files must load or fail cleanly. Run under the sanitizers by scripts/test --sanitize.
#include <gtest/gtest.h>

#include <random>

#include "imagefiles/gif_decoder.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

using testing::GifBuilder;
using testing::Rgb;

std::vector<std::vector<uint8_t>> Seeds() {
  std::vector<Rgb> four = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  std::vector<Rgb> eight(8, Rgb{9, 9, 9});
  std::vector<uint8_t> noise(12 * 9);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 37 % 8);
  return {
      GifBuilder(12, 9, four)
          .Looping()
          .Control(0x05, 10, 3)
          .Image(0, 0, 12, 9, std::vector<uint8_t>(108, 1))
          .Control(0x09, 20, 3)
          .Image(2, 1, 5, 4, std::vector<uint8_t>(20, 3), eight, true)
          .Control(0x0D, 30, 0)
          .Image(4, 4, 12, 9, noise, eight)
          .Trailer()
          .bytes(),
      GifBuilder(12, 9, {})
          .Image(0, 0, 12, 9, noise, eight, true)
          .Control(0x01, 5, 2)
          .Image(3, 3, 2, 2, {1, 2, 2, 1}, four)
          .Trailer()
          .bytes(),
  };
}

void LoadEverything(const std::vector<uint8_t>& bytes) {
  FrameSet fs(8);
  if (LoadGifAnimationData(bytes.data(), bytes.size(), fs, 8) == 0) {
    for (int i = 0; i < fs.count; ++i) ASSERT_TRUE(fs.frame(i).image);
  } else {
    ASSERT_EQ(fs.count, 0);
  }
  PackedDib picture;
  if (ReadGifPictureData(picture, bytes.data(), bytes.size(), nullptr) != 0) {
    ASSERT_FALSE(picture);
  }
}

TEST(GifRobustness, TruncatedAndBitFlippedFilesLoadOrFailCleanly) {
  std::mt19937 rng(2026);
  for (const auto& seed : Seeds()) {
    for (size_t n = 0; n <= seed.size(); ++n) {
      LoadEverything(std::vector<uint8_t>(seed.begin(), seed.begin() + n));
    }
    for (int round = 0; round < 3000; ++round) {
      std::vector<uint8_t> bytes = seed;
      int flips = 1 + static_cast<int>(rng() % 4);
      for (int f = 0; f < flips; ++f) bytes[rng() % bytes.size()] ^= uint8_t(1u << (rng() % 8));
      LoadEverything(bytes);
    }
  }
}

}  // namespace
}  // namespace zel
