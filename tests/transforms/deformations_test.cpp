#include "transforms/deformations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/picture_fixtures.h"
#include "transforms/sampling.h"
#include "transforms/trig_tables.h"

namespace zel {
namespace {

using testing::At24;
using testing::At8;
using testing::Make24;
using testing::Make8;
using testing::SamePicture;

const Rgbq kFill{1, 2, 3, 0};

TEST(TrigTables, HoldTheFlooredValuesInTurnUnits) {
  const TrigTables& t = IntegerTrigTables();
  EXPECT_EQ(t.sine[0], 0);
  EXPECT_EQ(t.sine[512], 724);  // 1024 sin(pi / 4) = 724.08
  EXPECT_EQ(t.sine[1024], 1024);
  EXPECT_EQ(t.sine[2048], 0);
  EXPECT_EQ(t.arcsine[0], 0);
  EXPECT_EQ(t.arcsine[512], 341);  // asin(0.5) = 1/12 turn = 341.3
  EXPECT_EQ(t.arcsine[1024], 1024);
  EXPECT_EQ(t.arccosine[512], 682);
  // Below the half turn the sine table reads as it is, beyond it negated.
  EXPECT_EQ(TableSine(-1024), -1024);
  EXPECT_EQ(TableSine(3072), -1024);
  EXPECT_EQ(TableCosine(2048), -1024);
}

TEST(TrigTables, AngleIsMeasuredFromTheUpwardAxis) {
  struct Case {
    int dx, dy, expected;
  } cases[] = {{0, 5, 0},      {5, 0, 1024}, {0, -5, 2048},
               {-5, 0, -1024}, {0, 0, 0},    {1, 2, IntegerTrigTables().arcsine[512]}};
  for (const Case& c : cases) {
    const int r = static_cast<int>(std::sqrt(double(c.dx) * c.dx + double(c.dy) * c.dy));
    EXPECT_EQ(TableAngle(c.dx, c.dy, r), c.expected) << c.dx << "," << c.dy;
  }
}

TEST(SampleBilinear, UsesNineBitFractionsAndLeavesTheLastColumnAlone) {
  // Blue runs 0, 100, 200 along x; green 0 below, 200 above.
  PackedDib p = Make24(3, 2, [](int x, int y) {
    return Rgbq{uint8_t(100 * x), uint8_t(200 * y), 7, 0};
  });
  const uint8_t* px = p.Pixels();
  uint8_t out[3];
  SampleBilinear(px, out, 0.5, 0.25, 3, 2, p.Stride(), &kFill);
  EXPECT_EQ(out[0], 50);  // 0 + (100 * 256 >> 9)
  EXPECT_EQ(out[1], 50);  // 0 + (200 * 128 >> 9)
  EXPECT_EQ(out[2], 7);
  SampleBilinear(px, out, 1.999, 0, 3, 2, p.Stride(), &kFill);
  EXPECT_EQ(out[0], 199);  // fraction 511 / 512
  // Last column and last row: the pixel itself, no interpolation.
  SampleBilinear(px, out, 2.7, 0.5, 3, 2, p.Stride(), &kFill);
  EXPECT_EQ(out[0], 200);
  EXPECT_EQ(out[1], 0);
  // x = -0.5 truncates to column 0 and is inside.
  SampleBilinear(px, out, -0.5, 0, 3, 2, p.Stride(), &kFill);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[2], 7);
  // Outside: the fill, or the nearest edge pixel when there is none.
  SampleBilinear(px, out, 3.0, 0, 3, 2, p.Stride(), &kFill);
  EXPECT_EQ(out[0], 1);
  SampleBilinear(px, out, 9.0, 5.0, 3, 2, p.Stride(), nullptr);
  EXPECT_EQ(out[0], 200);
  EXPECT_EQ(out[1], 200);
  // Points that are not finite are never converted: fill, or (0, 0) clamped.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  SampleBilinear(px, out, nan, 0, 3, 2, p.Stride(), &kFill);
  EXPECT_EQ(out[0], 1);
  SampleBilinear(px, out, -inf, 1e300, 3, 2, p.Stride(), nullptr);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 200);
}

TEST(Resize, SmoothInterpolatesFullColourAndReadsTheLastColumnPlain) {
  PackedDib p = Make24(10, 10, [](int x, int y) {
    return Rgbq{uint8_t(20 * x), uint8_t(y), 0, 0};
  });
  PackedDib big = ResizeSmooth(p, 20, 20);
  ASSERT_TRUE(big);
  EXPECT_EQ(big.Header().width, 20);
  EXPECT_EQ(big.Header().height, 20);
  EXPECT_EQ(big.Header().sizeImage, big.Stride() * 20);
  EXPECT_EQ(At24(big, 2, 0).blue, 20);
  EXPECT_EQ(At24(big, 3, 0).blue, 30);    // source x 1.5
  EXPECT_EQ(At24(big, 19, 0).blue, 180);  // source x 9.5: column 9 itself
  EXPECT_EQ(At24(big, 18, 0).blue, 180);
  // The fast form takes the nearest pixel.
  PackedDib fast = ResizeFast(p, 20, 20);
  EXPECT_EQ(At24(fast, 3, 0).blue, 20);
}

TEST(Resize, IndexedPicturesTakeNearestPixelsAndKeepTheirTable) {
  PackedDib p = Make8(
      4, 2, [](int x, int y) { return uint8_t(x + 10 * y); }, 32);
  PackedDib results[] = {ResizeSmooth(p, 8, 1), ResizeFast(p, 8, 1)};
  for (const PackedDib& r : results) {
    ASSERT_TRUE(r);
    EXPECT_EQ(r.ColorCount(), 32u);
    EXPECT_EQ(std::memcmp(r.ColorTable(), p.ColorTable(), 4 * 32), 0);
    const uint8_t expected[8] = {0, 0, 1, 1, 2, 2, 3, 3};
    for (int x = 0; x < 8; ++x) EXPECT_EQ(At8(r, x, 0), expected[x]);
  }
  PackedDib shrunk = ResizeSmooth(p, 2, 1);
  EXPECT_EQ(At8(shrunk, 1, 0), 2);
}

TEST(Resize, RefusesEmptySizesAndOtherDepths) {
  PackedDib p = Make8(4, 4, [](int, int) { return uint8_t(1); });
  EXPECT_FALSE(ResizeFast(p, 0, 4));
  EXPECT_FALSE(ResizeSmooth(p, 4, -1));
  PackedDib mono = NewPicture(8, 8, 1, 2);
  EXPECT_FALSE(ResizeSmooth(mono, 4, 4));
  EXPECT_FALSE(Rotate(mono, 0.5, Fill{}));
  EXPECT_FALSE(FisheyePreview(mono, 0.5, Fill{}));
  EXPECT_FALSE(QuadWarp(mono, UntouchedCorners(8, 8), Fill{}));
  EXPECT_FALSE(Rotate(PackedDib{}, 0.5, Fill{}));
}

TEST(Rotate, QuarterTurnFillsWhatTheTurnedFrameLeavesUncovered) {
  // A wide 8 x 4 picture turned by 90 degrees covers only the middle columns.
  PackedDib p24 = Make24(8, 4, [](int, int) { return Rgbq{10, 20, 30, 0}; });
  PackedDib r24 = Rotate(p24, -0.5, Fill{kFill, -1});
  ASSERT_TRUE(r24);
  for (int y = 0; y < 4; ++y) {
    EXPECT_EQ(At24(r24, 0, y), kFill);
    EXPECT_EQ(At24(r24, 7, y), kFill);
    EXPECT_EQ(At24(r24, 4, y), (Rgbq{10, 20, 30, 0}));
  }
  PackedDib p8 = Make8(8, 4, [](int, int) { return uint8_t(5); });
  PackedDib r8 = Rotate(p8, -0.5, Fill{kFill, -1});
  EXPECT_EQ(At8(r8, 0, 1), 0);  // no transparent index: index 0
  EXPECT_EQ(At8(r8, 4, 1), 5);
  PackedDib t8 = Rotate(p8, -0.5, Fill{kFill, 9});
  EXPECT_EQ(At8(t8, 0, 1), 9);
  EXPECT_EQ(std::memcmp(t8.ColorTable(), p8.ColorTable(), 1024), 0);
}

TEST(Rotate, PositiveAngleTurnsClockwiseOnScreen) {
  // The marker at the top middle (stored row 8) goes to the right middle.
  auto marked = [](int x, int y) { return uint8_t(x == 4 && y == 8 ? 200 : 1); };
  PackedDib p = Make8(9, 9, marked);
  PackedDib results[] = {Rotate(p, -90 / 180.0, Fill{}), RotatePreview(p, -90 / 180.0, Fill{})};
  for (const PackedDib& r : results) {
    ASSERT_TRUE(r);
    EXPECT_EQ(At8(r, 8, 4), 200);
    EXPECT_EQ(At8(r, 4, 8), 1);
  }
}

TEST(RotatePreview, TruncatesTheRadiusAndMirrorsThroughTheCentre) {
  // At angle 0 the diagonal neighbour (dx 1, dy 1) has r = 1 and angle 0: it reads the
  // pixel straight above the centre. Its point mirror reads the one straight below.
  PackedDib p = Make8(5, 5, [](int x, int y) { return uint8_t(10 * x + y); });
  PackedDib r = RotatePreview(p, 0, Fill{});
  ASSERT_TRUE(r);
  EXPECT_EQ(At8(r, 3, 3), At8(p, 2, 3));
  EXPECT_EQ(At8(r, 1, 1), At8(p, 2, 1));
  EXPECT_EQ(At8(r, 2, 4), At8(p, 2, 4));  // on the axes it is exact
  EXPECT_EQ(At8(r, 0, 2), At8(p, 0, 2));
  // 24 bits: the same mapping, whole pixels.
  PackedDib p24 = Make24(5, 5, [](int x, int y) { return Rgbq{uint8_t(x), uint8_t(y), 9, 0}; });
  PackedDib r24 = RotatePreview(p24, 0, Fill{kFill, -1});
  EXPECT_EQ(At24(r24, 3, 3), At24(p24, 2, 3));
  EXPECT_EQ(At24(r24, 1, 1), At24(p24, 2, 1));
}

TEST(Fisheye, StrengthZeroReproducesThePicture) {
  PackedDib p8 = Make8(7, 6, [](int x, int y) { return uint8_t(x * 7 + y); });
  PackedDib p24 = Make24(7, 6, [](int x, int y) {
    return Rgbq{uint8_t(x * 30), uint8_t(y * 40), 5, 0};
  });
  EXPECT_TRUE(SamePicture(Fisheye(p8, 0, Fill{}), p8));
  EXPECT_TRUE(SamePicture(FisheyePreview(p8, 0, Fill{}), p8));
  EXPECT_TRUE(SamePicture(Fisheye(p24, 0, Fill{kFill, -1}), p24));
  EXPECT_TRUE(SamePicture(FisheyePreview(p24, 0, Fill{kFill, -1}), p24));
}

TEST(Fisheye, HalfStrengthMagnifiesTheCentreTwofold) {
  // 9 x 9, centre (4, 4), R = 5.66; k = 0.5: the pixel next to the centre reads at half
  // its distance (f = 0.5 + 0.5 d / R), the corners stay.
  PackedDib p = Make8(9, 9, [](int x, int y) { return uint8_t(10 * x + y); });
  PackedDib r = Fisheye(p, 0.5, Fill{});
  ASSERT_TRUE(r);
  const double R = std::sqrt(32.0);
  const double f = 0.5 + 0.5 * 2 / R;  // d = 2
  EXPECT_EQ(At8(r, 6, 4), At8(p, 4 + int(2 * f), 4));
  EXPECT_EQ(At8(r, 4, 4), At8(p, 4, 4));
  EXPECT_EQ(At8(r, 0, 0), At8(p, 0, 0));
  EXPECT_EQ(At8(r, 8, 8), At8(p, 8, 8));
  // Strength is clamped to 1.
  EXPECT_TRUE(SamePicture(Fisheye(p, 7, Fill{}), Fisheye(p, 1, Fill{})));
}

TEST(FisheyePreview, ComputesOneQuadrantAndMirrorsIt) {
  PackedDib p = Make8(6, 5, [](int x, int y) { return uint8_t(10 * x + y); });
  PackedDib r = FisheyePreview(p, 0.5, Fill{});
  ASSERT_TRUE(r);
  // Centre ((6 - 1) / 2, (5 - 1) / 2) = (2, 2), R = 2.83.
  const double R = std::sqrt(8.0);
  for (int y = 0; y <= 2; ++y) {
    for (int x = 0; x <= 2; ++x) {
      const double dx = x - 2, dy = y - 2, d = std::sqrt(dx * dx + dy * dy);
      const double f = 1 - 0.5 * (R - d) / R;
      const int sx = int(dx * f) + 2, sy = int(dy * f) + 2;
      EXPECT_EQ(At8(r, x, y), At8(p, sx, sy));
      EXPECT_EQ(At8(r, 5 - x, y), At8(p, 5 - sx, sy));
      EXPECT_EQ(At8(r, x, 4 - y), At8(p, sx, 4 - sy));
      EXPECT_EQ(At8(r, 5 - x, 4 - y), At8(p, 5 - sx, 4 - sy));
    }
  }
}

TEST(Fisheye, OnePixelPictureIsFilledNotConverted) {
  // R = 0: the sample point is not a number.
  PackedDib p8 = Make8(1, 1, [](int, int) { return uint8_t(7); });
  EXPECT_EQ(At8(Fisheye(p8, 0.3, Fill{kFill, 4}), 0, 0), 4);
  EXPECT_EQ(At8(FisheyePreview(p8, 0.3, Fill{kFill, 4}), 0, 0), 4);
  PackedDib p24 = Make24(1, 1, [](int, int) { return Rgbq{9, 9, 9, 0}; });
  EXPECT_EQ(At24(Fisheye(p24, 0.3, Fill{kFill, -1}), 0, 0), kFill);
}

TEST(QuadWarp, UntouchedCornersReproduceThePicture) {
  PackedDib p8 = Make8(7, 5, [](int x, int y) { return uint8_t(x * 7 + y); });
  PackedDib p24 = Make24(7, 5, [](int x, int y) {
    return Rgbq{uint8_t(x * 30), uint8_t(y * 40), 5, 0};
  });
  EXPECT_TRUE(SamePicture(QuadWarp(p8, UntouchedCorners(7, 5), Fill{}), p8));
  EXPECT_TRUE(SamePicture(QuadWarpPreview(p8, UntouchedCorners(7, 5), Fill{}), p8));
  EXPECT_TRUE(SamePicture(QuadWarp(p24, UntouchedCorners(7, 5), Fill{kFill, -1}), p24));
  EXPECT_TRUE(SamePicture(QuadWarpPreview(p24, UntouchedCorners(7, 5), Fill{kFill, -1}), p24));
}

TEST(QuadWarp, SlantedLeftEdgeLeavesTheCornerUncovered) {
  // The top-left corner moved to the middle of the top edge: the left and right edges meet,
  // the top and bottom edges stay parallel. The bottom row still starts with column 0; the
  // top row is filled left of the slanted edge; along a row the source columns only grow
  // (by angle, so not evenly) up to the last ones.
  PackedDib p = Make8(8, 8, [](int x, int) { return uint8_t(x + 1); });
  QuadCorners q = UntouchedCorners(8, 8);
  q.topLeft = {4, 0};
  PackedDib r = QuadWarp(p, q, Fill{kFill, 0});
  ASSERT_TRUE(r);
  EXPECT_EQ(At8(r, 0, 0), 1);
  EXPECT_GE(At8(r, 7, 0), 7);
  EXPECT_EQ(At8(r, 0, 7), 0);
  EXPECT_EQ(At8(r, 2, 7), 0);
  EXPECT_GE(At8(r, 7, 7), 7);
  for (int x = 1; x < 8; ++x) EXPECT_GE(At8(r, x, 0), At8(r, x - 1, 0));
  // Rows stay rows: every output pixel of row r reads source row r.
  PackedDib rows = Make8(8, 8, [](int, int y) { return uint8_t(y + 1); });
  PackedDib rr = QuadWarpPreview(rows, q, Fill{kFill, 0});
  for (int y = 0; y < 8; ++y) EXPECT_EQ(At8(rr, 7, y), y + 1);
  // 8-bit preview and result sample alike.
  EXPECT_TRUE(SamePicture(QuadWarpPreview(p, q, Fill{kFill, 0}), r));
}

TEST(QuadWarp, TiltedTopEdgeTakesTheAngleBranch) {
  // Raising the top-right corner above the frame: top and bottom edges meet; the top row's
  // right part now reads rows below the top, the left column stays untouched.
  PackedDib p = Make8(8, 8, [](int, int y) { return uint8_t(y + 1); });
  QuadCorners q = UntouchedCorners(8, 8);
  q.topRight = {8, -4};
  PackedDib r = QuadWarp(p, q, Fill{kFill, 0});
  ASSERT_TRUE(r);
  for (int y = 0; y < 8; ++y) EXPECT_EQ(At8(r, 0, y), y + 1);
  EXPECT_LT(At8(r, 7, 7), 8);
  EXPECT_EQ(At8(r, 7, 0), 1);
  // Degenerate corners (all in one point) fill everything instead of failing.
  QuadCorners dot{{3, 3}, {3, 3}, {3, 3}, {3, 3}};
  PackedDib d = QuadWarp(p, dot, Fill{kFill, 0});
  ASSERT_TRUE(d);
}

}  // namespace
}  // namespace zel
