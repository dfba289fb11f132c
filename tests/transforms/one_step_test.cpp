#include "transforms/one_step.h"

#include <gtest/gtest.h>

#include "support/picture_fixtures.h"

namespace zel {
namespace {

using testing::At24;
using testing::At8;
using testing::Make24;
using testing::Make8;
using testing::SamePicture;

const Rgbq kClear{7, 8, 9, 0};

TEST(CropImage, CopiesTheRectangleInTopDownCoordinates) {
  // Pixel value 10 * top-down row + x.
  PackedDib p = Make8(
      6, 4, [](int x, int y) { return uint8_t(10 * (3 - y) + x); }, 64);
  PackedDib c = CropImage(p, 1, 2, 4, 4);
  ASSERT_TRUE(c);
  EXPECT_EQ(c.Header().width, 3);
  EXPECT_EQ(c.Header().height, 2);
  EXPECT_EQ(c.Header().sizeImage, c.Stride() * 2);
  EXPECT_EQ(c.ColorCount(), 64u);
  EXPECT_EQ(c.Row(0)[0], 21);
  EXPECT_EQ(c.Row(1)[2], 33);
  // Reversed corners are ordered; the far corner is cut to the picture.
  EXPECT_TRUE(SamePicture(CropImage(p, 4, 4, 1, 2), c));
  PackedDib cut = CropImage(p, 4, 1, 99, 99);
  EXPECT_EQ(cut.Header().width, 2);
  EXPECT_EQ(cut.Header().height, 3);
  // One pixel, and empty rectangles.
  PackedDib one = CropImage(p, 5, 3, 6, 4);
  ASSERT_TRUE(one);
  EXPECT_EQ(one.Row(0)[0], 35);
  EXPECT_FALSE(CropImage(p, 2, 2, 2, 4));
  EXPECT_FALSE(CropImage(p, 7, 0, 9, 4));
  PackedDib p24 = Make24(3, 3, [](int x, int y) { return Rgbq{uint8_t(x), uint8_t(y), 0, 0}; });
  EXPECT_EQ(At24(CropImage(p24, 2, 0, 3, 1), 0, 0), (Rgbq{2, 2, 0, 0}));
}

TEST(AddMargin, CentresOnTheDiagonalSquare) {
  PackedDib p = Make24(100, 60, [](int, int) { return Rgbq{50, 60, 70, 0}; });
  int32_t t = -1;
  PackedDib m = AddMargin(p, kClear, t);
  ASSERT_TRUE(m);
  EXPECT_EQ(m.Header().width, 116);  // diagonal 116.6
  EXPECT_EQ(m.Header().height, 116);
  // Offsets 8 from the left and 28 from the top.
  EXPECT_EQ(At24(m, 7, 60), kClear);
  EXPECT_EQ(At24(m, 8, 60), (Rgbq{50, 60, 70, 0}));
  EXPECT_EQ(At24(m, 107, 60), (Rgbq{50, 60, 70, 0}));
  EXPECT_EQ(At24(m, 108, 60), kClear);
  const uint8_t* topRow = m.Row(28);
  EXPECT_EQ(topRow[3 * 8], 50);
  EXPECT_EQ(m.Row(27)[3 * 8], kClear.blue);
  EXPECT_EQ(m.Row(87)[3 * 8], 50);
  EXPECT_EQ(m.Row(88)[3 * 8], kClear.blue);
  EXPECT_EQ(t, -1);
}

TEST(AddMargin, IndexedPicturesUseOrAppendTheTransparentEntry) {
  struct Case {
    int colors;
    int32_t t;
    bool made;
    int32_t newT;
    uint32_t newColors;
  } cases[] = {
      {256, -1, false, -1, 0},  // full table, no index: no margin
      {255, -1, true, 255, 256}, {16, -1, true, 16, 17},
      {256, 3, true, 3, 256},  // an existing index: the table stays
      {16, 20, true, 20, 21},  // an index beyond the table grows it
  };
  for (const Case& c : cases) {
    PackedDib p = Make8(
        8, 8, [](int, int) { return uint8_t(1); }, c.colors);
    int32_t t = c.t;
    PackedDib m = AddMargin(p, kClear, t);
    EXPECT_EQ(bool(m), c.made) << c.colors << " " << c.t;
    EXPECT_EQ(t, c.made ? c.newT : c.t);
    if (!m) continue;
    EXPECT_EQ(m.ColorCount(), c.newColors);
    EXPECT_EQ(m.Header().clrUsed, c.newColors);
    // Side 11, offsets 1 and 1: stored rows 2..9 hold the picture.
    EXPECT_EQ(At8(m, 0, 0), c.newT);
    EXPECT_EQ(At8(m, 1, 1), c.newT);
    EXPECT_EQ(At8(m, 1, 2), 1);
    if (c.newColors > uint32_t(c.colors)) {
      EXPECT_EQ(m.ColorTable()[c.newT], kClear);
    }
    EXPECT_EQ(m.ColorTable()[1], p.ColorTable()[1]);
  }
}

TEST(AddMargin, NeedsEightPixelsEachWay) {
  int32_t t = -1;
  EXPECT_FALSE(AddMargin(Make24(7, 100, [](int, int) { return Rgbq{}; }), kClear, t));
  EXPECT_FALSE(AddMargin(Make8(
                             100, 7, [](int, int) { return uint8_t(0); }, 4),
                         kClear, t));
  EXPECT_TRUE(AddMargin(Make8(
                            8, 8, [](int, int) { return uint8_t(0); }, 4),
                        kClear, t));
}

TEST(Turns, QuarterTurnsMoveStoredPixelsAndUndoEachOther) {
  // 8 x 3: turning left puts stored (i, j) at (h - 1 - j, i).
  PackedDib p = Make8(
      8, 3, [](int x, int y) { return uint8_t(10 * y + x); }, 32);
  PackedDib left = TurnLeft90(p);
  ASSERT_TRUE(left);
  EXPECT_EQ(left.Header().width, 3);
  EXPECT_EQ(left.Header().height, 8);
  EXPECT_EQ(left.Header().sizeImage, left.Stride() * 8);
  EXPECT_EQ(left.ColorCount(), 32u);
  EXPECT_EQ(At8(left, 2 - 0, 5), At8(p, 5, 0));
  EXPECT_EQ(At8(left, 2 - 2, 7), At8(p, 7, 2));
  PackedDib right = TurnRight90(p);
  EXPECT_EQ(At8(right, 1, 8 - 1 - 4), At8(p, 4, 1));
  EXPECT_TRUE(SamePicture(TurnRight90(left), p));
  EXPECT_TRUE(SamePicture(TurnLeft90(right), p));
  EXPECT_TRUE(SamePicture(TurnLeft90(TurnLeft90(TurnLeft90(left))), p));
}

TEST(Turns, EveryDepthTurnsBackAndForth) {
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    const uint32_t colors = bits <= 8 ? (1u << bits) : 0;
    PackedDib p = NewPicture(13, 5, bits, colors);
    uint32_t seed = 12345;
    for (size_t i = 0; i < p.Stride() * 5; ++i) {
      seed = seed * 1103515245 + 12345;
      p.Pixels()[i] = uint8_t(seed >> 16);
    }
    // Padding bits are not pixels: compare after one round trip.
    PackedDib once = TurnLeft90(TurnRight90(p));
    ASSERT_TRUE(once) << bits;
    EXPECT_EQ(once.Header().width, 13);
    PackedDib twice = TurnLeft90(TurnRight90(once));
    EXPECT_EQ(std::memcmp(once.Pixels(), twice.Pixels(), once.Stride() * 5), 0) << bits;
    const size_t wholeBytes = size_t(13) * bits / 8;
    for (int y = 0; y < 5; ++y) {
      EXPECT_EQ(
          std::memcmp(once.Pixels() + y * p.Stride(), p.Pixels() + y * p.Stride(), wholeBytes), 0)
          << bits;
    }
  }
}

TEST(Mirrors, ReverseRowsOrColumnsAndAreTheirOwnInverse) {
  PackedDib p = Make24(3, 2, [](int x, int y) { return Rgbq{uint8_t(x), uint8_t(y), 1, 0}; });
  PackedDib h = MirrorHorizontal(p);
  EXPECT_EQ(At24(h, 0, 1), At24(p, 2, 1));
  EXPECT_EQ(At24(h, 1, 0), At24(p, 1, 0));
  PackedDib v = MirrorVertical(p);
  EXPECT_EQ(At24(v, 0, 0), At24(p, 0, 1));
  EXPECT_TRUE(SamePicture(MirrorHorizontal(h), p));
  EXPECT_TRUE(SamePicture(MirrorVertical(v), p));
  PackedDib p8 = Make8(
      5, 1, [](int x, int) { return uint8_t(x); }, 8);
  EXPECT_EQ(At8(MirrorHorizontal(p8), 0, 0), 4);
  EXPECT_FALSE(MirrorVertical(NewPicture(4, 4, 4, 16)));
}

}  // namespace
}  // namespace zel
