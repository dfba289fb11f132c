#include "generators/motion_placement.h"

#include <gtest/gtest.h>

#include "generators/motion_command.h"
#include "generators/motion_test_helpers.h"
#include "integration/integration_fixtures.h"
#include "platform/file_io.h"
#include "support/picture_fixtures.h"

namespace zel {
namespace {

using testing::MotionStore;

constexpr int kHorizontal = 4;

TEST(MotionPlacement, HorizontalAtFullRangeMovesTheWholeWidth) {
  MotionStore store;
  store.defs.SetSelected(kHorizontal);
  std::optional<PreparedMotion> motion = PrepareMotion(store.defs, 96, 50, 97);
  ASSERT_TRUE(motion);
  EXPECT_EQ(motion->points.size(), 97u);
  EXPECT_DOUBLE_EQ(motion->scaleX, 1.0);
  int lowest = 1000;
  int highest = -1000;
  for (int step = 0; step < 97; ++step) {
    const MotionShift shift = MotionShiftAt(*motion, step);
    EXPECT_EQ(shift.dy, 0);
    lowest = std::min(lowest, shift.dx);
    highest = std::max(highest, shift.dx);
  }
  EXPECT_EQ(lowest, -48);
  EXPECT_EQ(highest, 47);
  EXPECT_EQ(MotionShiftAt(*motion, 0).dx, -48);
}

TEST(MotionPlacement, StepsSpreadOverThePath) {
  MotionStore store;
  store.defs.SetSelected(kHorizontal);
  std::optional<PreparedMotion> motion = PrepareMotion(store.defs, 96, 96, 10);
  ASSERT_TRUE(motion);
  const int forward[10] = {0, 9, 19, 29, 38, 48, 58, 67, 77, 87};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(MotionPointIndex(*motion, i), forward[i]);
  motion->flags |= kMotionReverse;
  for (int i = 0; i < 10; ++i) EXPECT_EQ(MotionPointIndex(*motion, i), forward[9 - i]);
  // Steps past the frames stay on the path.
  EXPECT_EQ(MotionPointIndex(*motion, -5), 87);
  motion->flags = 0;
  EXPECT_EQ(MotionPointIndex(*motion, 50), 87);
}

TEST(MotionPlacement, WrapKeepsEverythingElseTheGapIsFilled) {
  // A 4 x 2 picture shifted right by 1 and down by 1 (path point at (3, 0) of a 4 x 4
  // definition with range 50 on an 8 x 8 picture... kept simple: scale 1).
  PreparedMotion motion;
  motion.pictureWidth = 4;
  motion.pictureHeight = 2;
  motion.frameCount = 1;
  motion.bitmapWidth = 4;
  motion.bitmapHeight = 2;
  motion.scaleX = motion.scaleY = 1;
  motion.centerX = 2;
  motion.centerY = 1;
  motion.points = {{3, 0}};  // dx = 1, dy = 2 - 0 - 1 - 1 = 0
  auto check8 = [&](int32_t flags, const std::vector<int>& bottom) {
    motion.flags = flags;
    PackedDib picture = testing::Make8(4, 2, [](int x, int y) { return uint8_t(10 * y + x); });
    PackedDib out = PlaceMotion(motion, picture, 0, 0, 9);
    ASSERT_TRUE(out);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(testing::At8(out, x, 0), bottom[x]) << x;
  };
  check8(kMotionWrap, {3, 0, 1, 2});
  check8(0, {9, 0, 1, 2});

  // Down by one on the screen: the top row comes from the row above it in storage.
  motion.points = {{2, 0}};
  motion.bitmapHeight = 3;  // dy = 3 - 0 - 1 - 1 = 1
  motion.flags = 0;
  PackedDib picture = testing::Make24(4, 2, [](int x, int y) {
    return Rgbq{uint8_t(x), uint8_t(y), 7, 0};
  });
  PackedDib out = PlaceMotion(motion, picture, 0, 0x00112233, -1);
  ASSERT_TRUE(out);
  EXPECT_EQ(testing::At24(out, 2, 0), (Rgbq{2, 1, 7, 0}));
  EXPECT_EQ(testing::At24(out, 2, 1), (Rgbq{0x11, 0x22, 0x33, 0}));
  motion.flags = kMotionWrap;
  out = PlaceMotion(motion, picture, 0, 0, -1);
  EXPECT_EQ(testing::At24(out, 2, 1), (Rgbq{2, 0, 7, 0}));
}

// Output (c, r) = input (c - dx, r + dy), wrapped or filled, pixel by pixel.
TEST(MotionPlacement, EveryShiftMatchesThePixelRule) {
  const int w = 7;
  const int h = 5;
  PackedDib eight = testing::Make8(w, h, [](int x, int y) { return uint8_t(10 * y + x); });
  PackedDib full = testing::Make24(w, h, [](int x, int y) {
    return Rgbq{uint8_t(x), uint8_t(y), 50, 0};
  });
  PreparedMotion motion;
  motion.pictureWidth = w;
  motion.pictureHeight = h;
  motion.frameCount = 1;
  motion.bitmapWidth = 2 * w + 1;
  motion.bitmapHeight = 2 * h + 1;
  motion.scaleX = motion.scaleY = 1;
  motion.centerX = w;
  motion.centerY = h;
  for (int32_t flags : {0, int32_t{kMotionWrap}}) {
    for (int dx = -w; dx <= w; ++dx) {
      for (int dy = -h; dy <= h; dy += 2) {
        SCOPED_TRACE(::testing::Message() << "flags " << flags << " dx " << dx << " dy " << dy);
        motion.flags = flags;
        // dy = Hb - y - cy - 1 = h - y.
        motion.points = {{static_cast<int16_t>(w + dx), static_cast<int16_t>(h - dy)}};
        ASSERT_EQ(MotionShiftAt(motion, 0).dx, dx);
        ASSERT_EQ(MotionShiftAt(motion, 0).dy, dy);
        PackedDib out8 = PlaceMotion(motion, eight, 0, 0x00A0B0C0, 77);
        PackedDib out24 = PlaceMotion(motion, full, 0, 0x00A0B0C0, 77);
        ASSERT_TRUE(out8 && out24);
        for (int r = 0; r < h; ++r) {
          for (int c = 0; c < w; ++c) {
            int sc = c - dx;
            int sr = r + dy;
            if (flags) {
              sc = (sc % w + w) % w;
              sr = (sr % h + h) % h;
            }
            const bool inside = sc >= 0 && sc < w && sr >= 0 && sr < h;
            ASSERT_EQ(testing::At8(out8, c, r), inside ? testing::At8(eight, sc, sr) : 77);
            ASSERT_EQ(testing::At24(out24, c, r),
                      (inside ? testing::At24(full, sc, sr) : Rgbq{0xA0, 0xB0, 0xC0, 0}));
          }
        }
      }
    }
  }
}

TEST(MotionPlacement, DamagedDefinitionsAreRefusedOrClamped) {
  MotionStore store;
  MotionDefinitions& defs = store.defs;
  MotionRecord record = *defs.Read(kHorizontal);
  defs.SetSelected(kHorizontal);
  EXPECT_FALSE(PrepareMotion(defs, 0, 10, 10));
  EXPECT_FALSE(PrepareMotion(defs, 10, 10, 0));

  for (auto [w, h] : {std::pair{0, 96}, std::pair{96, 0}, std::pair{-5, 96}}) {
    MotionRecord bad = record;
    bad.width = w;
    bad.height = h;
    ASSERT_TRUE(defs.Write(kHorizontal, bad));
    EXPECT_FALSE(PrepareMotion(defs, 96, 96, 10));
  }
  // A path far outside the bitmap is pulled to its edge.
  const std::vector<MotionPoint> far(12, MotionPoint{30000, -30000});
  const std::vector<uint8_t> bytes = EncodeMotionPath(far);
  ASSERT_TRUE(WriteFileAtomically(MotionPathFileOf(record.bitmapPath), bytes.data(), bytes.size()));
  ASSERT_TRUE(defs.Write(kHorizontal, record));
  std::optional<PreparedMotion> motion = PrepareMotion(defs, 96, 96, 10);
  ASSERT_TRUE(motion);
  EXPECT_EQ(motion->points[0], (MotionPoint{95, 0}));
  EXPECT_EQ(MotionShiftAt(*motion, 3).dx, 47);
  EXPECT_EQ(MotionShiftAt(*motion, 3).dy, 47);
  // Fewer than 10 points.
  ASSERT_TRUE(WriteFileAtomically(MotionPathFileOf(record.bitmapPath), bytes.data(), 36));
  EXPECT_FALSE(PrepareMotion(defs, 96, 96, 10));
}

TEST(MotionCommand, MovesEveryFrameAndUndoRestores) {
  MotionStore store;
  store.defs.SetSelected(kHorizontal);
  store.defs.SetFlags(0);
  testing::ScratchFolder folder;
  auto one = testing::LoadAnimation(folder.path(), 5);
  auto two = testing::LoadAnimation(folder.path(), 5);
  std::vector<std::vector<uint32_t>> before;
  for (int i = 0; i < 5; ++i) before.push_back(testing::PixelColors(one->frameSet->frame(i).image));

  ASSERT_TRUE(MoveAnimation(*one, store.defs, 0, 1).done());
  ASSERT_TRUE(MoveAnimation(*two, store.defs, 0, 2).done());
  EXPECT_FALSE(one->flags & kFlagBusy);
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(testing::SamePicture(one->frameSet->frame(i).image, two->frameSet->frame(i).image));
  }
  // Frame 0 goes left on the 4-pixel-wide picture: the transparent index fills the right.
  const PackedDib& first = one->frameSet->frame(0).image;
  const int transparent = std::max(one->frameSet->transparentIndex, 0);
  for (int y = 0; y < 3; ++y) EXPECT_EQ(testing::At8(first, 3, y), transparent) << y;
  EXPECT_TRUE(testing::SamePicture(one->currentPicture, first));
  EXPECT_NE(testing::PixelColors(first), before[0]);

  one->undo.Undo(*one);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(testing::PixelColors(one->frameSet->frame(i).image), before[i]) << i;
  }

  // A single picture, or no definition, changes nothing.
  auto picture = testing::LoadGifPicture(folder.path(), -1);
  EXPECT_EQ(MoveAnimation(*picture, store.defs, 0), Outcome::NothingDone());
  while (store.defs.Count() > 0) store.defs.Delete(0);
  EXPECT_EQ(MoveAnimation(*two, store.defs, 0), Outcome::NothingDone());
}

}  // namespace
}  // namespace zel
