#include "color/color_adjustment.h"

#include <gtest/gtest.h>

#include "support/picture_fixtures.h"

namespace zel {
namespace {

using testing::At24;
using testing::Make24;
using testing::Make8;
using testing::SamePicture;

const Rgbq kBackground{192, 192, 192, 0};

Rgbq Adjust24(Rgbq pixel, ColorAdjustment a) {
  PackedDib p = Make24(1, 1, [pixel](int, int) { return pixel; });
  return At24(AdjustColors(p, a, -1, kBackground), 0, 0);
}

TEST(ColorAdjustment, FactorsFromTheSliders) {
  struct Case {
    ColorAdjustment a;
    AdjustmentFactors f;
  } cases[] = {
      {{0, 0, 0}, {16, 16, 16, 16}}, {{15, 0, 0}, {31, 31, 31, 16}},
      {{-15, -15, 0}, {1, 1, 1, 1}}, {{0, 15, -15}, {16, 31, 16, 31}},
      {{0, 0, 7}, {16, 16, 23, 16}}, {{40, -40, 0}, {31, 31, 31, 1}},
  };
  for (const Case& c : cases) {
    const AdjustmentFactors f = FactorsOf(c.a);
    EXPECT_EQ(f.gain, c.f.gain);
    EXPECT_EQ(f.red, c.f.red);
    EXPECT_EQ(f.green, c.f.green);
    EXPECT_EQ(f.contrast, c.f.contrast);
  }
}

TEST(ColorAdjustment, FullColourGainContrastBalanceAndGray) {
  EXPECT_EQ(Adjust24({200, 200, 200, 0}, {15, 0, 0}), (Rgbq{255, 255, 255, 0}));  // 387
  EXPECT_EQ(Adjust24({200, 200, 200, 0}, {-15, 0, 0}), (Rgbq{12, 12, 12, 0}));
  EXPECT_EQ(Adjust24({255, 0, 255, 0}, {0, -15, 0}), (Rgbq{135, 120, 135, 0}));
  // Balance -15: red at (16 + 15) / 16, blue and green as they were.
  EXPECT_EQ(Adjust24({100, 100, 100, 0}, {0, 0, -15}), (Rgbq{100, 100, 193, 0}));
  EXPECT_EQ(Adjust24({100, 100, 100, 0}, {0, 0, 15}), (Rgbq{100, 193, 100, 0}));
  // The contrast works on the unclamped gain: 200 * 31 >> 4 = 387 -> (259 * 8 >> 4) + 128.
  EXPECT_EQ(Adjust24({200, 0, 0, 0}, {15, -8, 0}).blue, 255);
  EXPECT_EQ(Adjust24({100, 0, 0, 0}, {15, -8, 0}).blue, (((193 - 128) * 8) >> 4) + 128);
  // Gray: (B + (R + 1) * 3 + (G + 1) * 6) / 10.
  EXPECT_EQ(Adjust24({10, 20, 30, 0}, {0, 0, 0, true}), (Rgbq{22, 22, 22, 0}));
}

TEST(ColorAdjustment, IndexedPicturesChangeTheTableAndShowTheBackgroundAtT) {
  PackedDib p = Make8(
      2, 2, [](int x, int y) { return uint8_t(x + 2 * y); }, 4);
  p.ColorTable()[0] = {200, 100, 0, 0};
  p.ColorTable()[1] = {0, 255, 255, 0};
  PackedDib out = AdjustColors(p, {0, -15, 0}, 3, kBackground);
  ASSERT_TRUE(out);
  // Contrast -15 with truncating division: 200 -> 132, 100 -> 127 (-28 / 16 = -1), 0 -> 120.
  EXPECT_EQ(out.ColorTable()[0], (Rgbq{132, 127, 120, 0}));
  EXPECT_EQ(out.ColorTable()[1], (Rgbq{120, 135, 135, 0}));
  EXPECT_EQ(out.ColorTable()[3], kBackground);
  EXPECT_EQ(std::memcmp(out.Pixels(), p.Pixels(), p.Stride() * 2), 0);
  // The 8-bit form clamps before the contrast: 200 * 31 / 16 = 387 -> 255 -> 191.
  PackedDib bright = AdjustColors(p, {15, -8, 0}, -1, kBackground);
  EXPECT_EQ(bright.ColorTable()[0].blue, (255 - 128) * 8 / 16 + 128);
  // Gray: min((B + 3R + 6G + 9) / 10, 255).
  PackedDib gray = AdjustColors(p, {0, 0, 0, true}, -1, kBackground);
  EXPECT_EQ(gray.ColorTable()[0].red, (200 + 0 + 600 + 9) / 10);
  // An index beyond the table writes nothing outside it.
  PackedDib beyond = AdjustColors(p, {1, 0, 0}, 4, kBackground);
  ASSERT_TRUE(beyond);
  EXPECT_EQ(std::memcmp(beyond.Pixels(), p.Pixels(), p.Stride() * 2), 0);
  EXPECT_FALSE(AdjustColors(NewPicture(4, 4, 4, 16), {1, 0, 0}, -1, kBackground));
}

TEST(GammaAdjustment, RowsFromTheTable) {
  EXPECT_EQ(GammaAdjustment(0), (ColorAdjustment{0, 0, 0, false}));
  EXPECT_EQ(GammaAdjustment(15), (ColorAdjustment{15, -4, 5, false}));
  EXPECT_EQ(GammaAdjustment(-15), (ColorAdjustment{-15, 4, -5, false}));
  EXPECT_EQ(GammaAdjustment(-5), (ColorAdjustment{-5, 1, -2, false}));
  EXPECT_EQ(GammaAdjustment(8), (ColorAdjustment{8, -2, 3, false}));
  const AdjustmentFactors top = FactorsOf(GammaAdjustment(15));
  EXPECT_EQ(top.gain, 31);
  EXPECT_EQ(top.contrast, 12);
  EXPECT_EQ(top.green, 36);
  // Row 0 leaves pictures as they were.
  PackedDib p24 = Make24(3, 2, [](int x, int y) {
    return Rgbq{uint8_t(x * 90), uint8_t(y * 200), 17, 0};
  });
  EXPECT_TRUE(SamePicture(AdjustColors(p24, GammaAdjustment(0), -1, kBackground), p24));
  PackedDib p8 = Make8(
      3, 2, [](int x, int) { return uint8_t(x); }, 16);
  EXPECT_TRUE(SamePicture(AdjustColors(p8, GammaAdjustment(0), -1, kBackground), p8));
}

}  // namespace
}  // namespace zel
