#include "imagefiles/icon_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <filesystem>

#include "platform/file_io.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

using testing::MakePicture;
using testing::Rgb;

// Pixel (x, y), y counted from the top.
uint8_t PixelAt(int x, int y) {
  return static_cast<uint8_t>((x + 3 * y) % 5);
}

PackedDib IconPicture() {
  std::vector<uint8_t> pixels;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) pixels.push_back(PixelAt(x, y));
  }
  return MakePicture(32, 32, pixels, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 8, 7}, {1, 2, 3}});
}

TEST(IconFile, LayoutOfThe2238Bytes) {
  PackedDib picture = IconPicture();
  std::vector<uint8_t> f = BuildIconFile(picture, 3);
  ASSERT_EQ(f.size(), 2238u);
  const std::vector<uint8_t> head = {
      0,  0,  1, 0, 1,    0,                                          // directory
      32, 32, 0, 0, 1,    0,    8, 0, 0xA8, 0x08, 0, 0, 22, 0, 0, 0,  // entry: 2216 bytes at 22
      40, 0,  0, 0, 32,   0,    0, 0, 64,   0,    0, 0, 1,  0, 8, 0,  // header: 32 x 64, 8 bits
      0,  0,  0, 0, 0x80, 0x04, 0, 0, 0,    0,    0, 0, 0,  0, 0, 0,  // compression 0, size 1152
      0,  1,  0, 0, 0,    0,    0, 0};                                // 256 colours used
  EXPECT_EQ(std::vector<uint8_t>(f.begin(), f.begin() + 62), head);
  // Palette: the five entries (blue, green, red, 0), then zeros.
  EXPECT_EQ(
      std::vector<uint8_t>(f.begin() + 62, f.begin() + 62 + 20),
      (std::vector<uint8_t>{0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 7, 8, 9, 0, 3, 2, 1, 0}));
  EXPECT_TRUE(std::all_of(f.begin() + 82, f.begin() + 1086, [](uint8_t b) { return b == 0; }));
  // Colour bits and mask, bottom row first; mask bits most significant first.
  for (int r = 0; r < 32; ++r) {
    int y = 31 - r;
    for (int x = 0; x < 32; ++x) {
      ASSERT_EQ(f[1086 + 32 * r + x], PixelAt(x, y)) << x << "," << y;
      bool masked = (f[2110 + 4 * r + x / 8] >> (7 - x % 8)) & 1;
      ASSERT_EQ(masked, PixelAt(x, y) == 3) << x << "," << y;
    }
  }
  // Bottom row (y = 31) starts 3, 4, 0, 1, 2, 3, ...: pixels 0 and 5 are masked.
  EXPECT_EQ(f[2110], 0x84);
}

TEST(IconFile, MaskFollowsTheTransparentIndex) {
  PackedDib picture = IconPicture();
  struct Case {
    int32_t index;
    int maskedBits;
  } cases[] = {{-1, 0}, {256, 0}, {7, 0}, {0, 205}, {4, 205}};
  for (const Case& c : cases) {
    std::vector<uint8_t> f = BuildIconFile(picture, c.index);
    ASSERT_EQ(f.size(), 2238u);
    int bits = 0;
    for (size_t i = 2110; i < f.size(); ++i) bits += std::popcount(f[i]);
    EXPECT_EQ(bits, c.maskedBits) << c.index;
  }
}

TEST(IconFile, OnlyThirtyTwoSquareEightBitPictures) {
  std::string dir = testing::MakeTempDir();
  std::vector<Rgb> two = {{0, 0, 0}, {255, 255, 255}};
  struct Case {
    const char* name;
    PackedDib picture;
  } cases[] = {
      {"31 x 32", MakePicture(31, 32, std::vector<uint8_t>(31 * 32), two)},
      {"32 x 31", MakePicture(32, 31, std::vector<uint8_t>(32 * 31), two)},
      {"24-bit", NewPicture(32, 32, 24, 0)},
      {"4-bit", NewPicture(32, 32, 4, 16)},
      {"none", PackedDib()},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(BuildIconFile(c.picture, 0).empty()) << c.name;
    EXPECT_FALSE(WriteIconFile(c.picture, dir + "/x.ico", 0)) << c.name;
    EXPECT_FALSE(std::filesystem::exists(dir + "/x.ico")) << c.name;
  }
  PackedDib picture = IconPicture();
  ASSERT_TRUE(WriteIconFile(picture, dir + "/x.ico", 2));
  EXPECT_EQ(ReadFileBytes(dir + "/x.ico"), BuildIconFile(picture, 2));
  EXPECT_FALSE(WriteIconFile(picture, dir + "/missing/x.ico", 2));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zel
