#include "generators/effect_warp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/picture_fixtures.h"
#include "transforms/deformations.h"

namespace zel {
namespace {

using testing::At8;
using testing::Make24;
using testing::Make8;
using testing::SamePicture;

// Pixels 1..15, never 0, in a 16-entry table: a fill of 0 or of index 7 stands out.
PackedDib Pattern(int w, int h) {
  return Make8(
      w, h, [](int x, int y) { return uint8_t(1 + (x * 3 + y * 5) % 15); }, 16);
}

int CountIndex(const PackedDib& p, uint8_t index) {
  const DibHeader h = p.Header();
  int n = 0;
  for (int y = 0; y < h.height; ++y) {
    for (int x = 0; x < h.width; ++x) n += At8(p, x, y) == index;
  }
  return n;
}

TEST(Swirl, TurnsTheCentreAndKeepsTheCorners) {
  const PackedDib source = Pattern(9, 9);
  const Fill fill{{}, 7};
  EXPECT_TRUE(SamePicture(Swirl(source, 0, fill), source));
  const PackedDib turned = Swirl(source, 1, fill);
  ASSERT_TRUE(turned);
  // The centre pixel stays; the corners are at the full radius, where nothing turns.
  EXPECT_EQ(At8(turned, 4, 4), At8(source, 4, 4));
  for (auto [x, y] : {std::pair{0, 0}, {8, 0}, {0, 8}, {8, 8}}) {
    EXPECT_EQ(At8(turned, x, y), At8(source, x, y)) << x << "," << y;
  }
  EXPECT_FALSE(SamePicture(turned, source));
}

TEST(Swirl, FillsOutsidePointsWithTheTransparentIndexOrItsLowByte) {
  // Near the corners points turn out of the picture. Without a transparent index they get
  // its low 8 bits, 255, where the table has that entry; a smaller table gets entry 0,
  // never an index beyond the table.
  const struct {
    int tableSize;
    int32_t transparent;
    uint8_t fill;
  } cases[] = {{256, -1, 255}, {16, -1, 0}, {256, 7, 7}, {16, 7, 7}};
  for (const auto& c : cases) {
    const PackedDib source = Make8(
        9, 9, [](int x, int y) { return uint8_t(1 + (x * 3 + y * 5) % 15); }, c.tableSize);
    const PackedDib out = Swirl(source, 1, Fill{{}, c.transparent});
    ASSERT_TRUE(out);
    const int filled = CountIndex(out, c.fill);
    EXPECT_GT(filled, 0) << c.tableSize << " " << c.transparent;
    // Every other pixel is a source pixel (1..15).
    int fromSource = 0;
    for (int y = 0; y < 9; ++y) {
      for (int x = 0; x < 9; ++x) {
        const uint8_t v = At8(out, x, y);
        fromSource += v != c.fill && v >= 1 && v <= 15;
      }
    }
    EXPECT_EQ(filled + fromSource, 81) << c.tableSize << " " << c.transparent;
  }
  const PackedDib notFinite =
      Swirl(Pattern(9, 9), std::numeric_limits<double>::quiet_NaN(), Fill{{}, -1});
  ASSERT_TRUE(notFinite);
  EXPECT_EQ(CountIndex(notFinite, 0), 81);
  EXPECT_FALSE(Swirl(Make24(4, 4, [](int, int) { return Rgbq{1, 2, 3, 0}; }), 0.5, Fill{}));
}

TEST(ShrinkToRect, ShrinksIntoTheCentredRectangle) {
  const PackedDib source = Pattern(8, 8);
  const Fill fill{{}, 0};
  const PackedDib half = ShrinkToRect(source, 0.5, 8, 8, fill);
  ASSERT_TRUE(half);
  // The rectangle is columns 2..5 and rows 2..5; everything else is fill.
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= 2 && x < 6 && y >= 2 && y < 6;
      EXPECT_EQ(At8(half, x, y) != 0, inside) << x << "," << y;
    }
  }
  EXPECT_TRUE(SamePicture(ShrinkToRect(source, 1, 8, 8, fill), source));
}

TEST(ShrinkToRect, NegativeScaleTurnsThePictureHalfRound) {
  // Every pixel its own index, so the picture cannot be mistaken for itself mirrored.
  const PackedDib source = Make8(
      12, 8, [](int x, int y) { return uint8_t(1 + x + 12 * y); }, 256);
  const Fill fill{{}, 0};
  // Scale -0.5 of 12 x 8: the rectangle 6 x 4 about the centre with its corners swapped.
  // The warp reads the source from the far corner (column 9, stored row 6) on, at twice
  // the distance: columns 9..4 show source columns 0..10, stored rows 6..3 rows 0..6.
  const PackedDib turned = ShrinkToRect(source, -0.5, 12, 8, fill);
  ASSERT_TRUE(turned);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 12; ++x) {
      const bool inside = x >= 4 && x <= 9 && y >= 3 && y <= 6;
      const int expected = inside ? At8(source, 2 * (9 - x), 2 * (6 - y)) : 0;
      EXPECT_EQ(At8(turned, x, y), expected) << x << "," << y;
    }
  }
}

TEST(ShrinkToRect, NoAreaOrNoFiniteScaleGivesTheFillOnly) {
  const PackedDib source = Pattern(10, 10);
  for (double scale : {0.05, 0.0, -0.05, std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity()}) {
    const PackedDib out = ShrinkToRect(source, scale, 10, 10, Fill{{}, 9});
    ASSERT_TRUE(out) << scale;
    EXPECT_EQ(CountIndex(out, 9), 100) << scale;
  }
  // A 24-bit picture is filled with the colour.
  const PackedDib full = Make24(5, 5, [](int, int) { return Rgbq{1, 2, 3, 0}; });
  const PackedDib filled = ShrinkToRect(full, 0.1, 5, 5, Fill{{9, 8, 7, 0}, -1});
  ASSERT_TRUE(filled);
  EXPECT_EQ(testing::At24(filled, 2, 2), (Rgbq{9, 8, 7, 0}));
}

TEST(QuadWarp, CornersThatAreNotFiniteOrCollapsedAreFilled) {
  const PackedDib source = Pattern(10, 10);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  QuadCorners collapsed;  // every corner at one point
  collapsed.topLeft = collapsed.topRight = collapsed.bottomLeft = collapsed.bottomRight = {5, 5};
  QuadCorners flat = UntouchedCorners(10, 10);  // no height
  flat.bottomLeft.y = flat.bottomRight.y = 0;
  QuadCorners notFinite = UntouchedCorners(10, 10);
  notFinite.topRight = {nan, inf};
  for (const QuadCorners& corners : {collapsed, flat, notFinite}) {
    for (const PackedDib& out :
         {QuadWarp(source, corners, Fill{{}, 0}), QuadWarpPreview(source, corners, Fill{{}, 0})}) {
      ASSERT_TRUE(out);
      const int filled = CountIndex(out, 0);
      // Whatever is not fill is a source pixel: nothing was read from outside.
      for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) EXPECT_LE(At8(out, x, y), 15);
      }
      EXPECT_GT(filled, 0);
    }
  }
  const PackedDib full = Make24(6, 6, [](int, int) { return Rgbq{1, 2, 3, 0}; });
  EXPECT_TRUE(QuadWarp(full, notFinite, Fill{}));
  EXPECT_TRUE(QuadWarp(full, collapsed, Fill{}));
}

}  // namespace
}  // namespace zel
