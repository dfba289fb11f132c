#include "generators/motion_tracer.h"

#include <gtest/gtest.h>

#include "generators/motion_test_helpers.h"
#include "imagefiles/bmp_file.h"
#include "platform/file_io.h"
#include "platform/private_folder.h"
#include "resources/string_table.h"

namespace zel {
namespace {

using testing::InkRun;
using testing::MakeMotionBitmap;

TEST(MotionTracer, ResultsByDrawing) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, int>> ink;
    Outcome result;
    size_t points;
  };
  auto gap = InkRun(2, 7, 5);
  for (const auto& p : InkRun(9, 14, 5)) gap.push_back(p);
  const Case cases[] = {
      // Rows from the bottom find the left end: the start is an end, no pixel twice.
      {"ten pixels", InkRun(3, 12, 2), Outcome::Failed(kMsgTooFewElements), 0},
      {"eleven pixels", InkRun(3, 13, 2), Outcome::Done(), 11},
      {"empty", {}, Outcome::Failed(kMsgMotionBitmapError), 0},
      {"a one-pixel gap is bridged", gap, Outcome::Done(), 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<MotionPoint> points;
    EXPECT_EQ(TraceMotionBitmap(MakeMotionBitmap(30, 30, c.ink), &points), c.result);
    EXPECT_EQ(points.size(), c.points);
  }
}

TEST(MotionTracer, MiddleStartRunsFromEndToEnd) {
  // The diagonal from the top-left corner meets the line in its middle, at (18, 20).
  std::vector<MotionPoint> points;
  ASSERT_TRUE(TraceMotionBitmap(MakeMotionBitmap(40, 40, InkRun(10, 30, 20)), &points).done());
  ASSERT_EQ(points.size(), 22u);  // 21 pixels, the start twice
  EXPECT_EQ(points.front(), (MotionPoint{10, 20}));
  EXPECT_EQ(points.back(), (MotionPoint{30, 20}));
  EXPECT_EQ(points[8], (MotionPoint{18, 20}));
  EXPECT_EQ(points[9], (MotionPoint{18, 20}));
  for (size_t i = 1; i < points.size(); ++i) EXPECT_LE(std::abs(points[i].x - points[i - 1].x), 1);
}

TEST(MotionTracer, InkIsTheDarkerEntry) {
  std::vector<MotionPoint> points;
  EXPECT_TRUE(TraceMotionBitmap(MakeMotionBitmap(30, 30, InkRun(3, 20, 4), true), &points).done());
  EXPECT_EQ(points.size(), 18u);
}

TEST(MotionTracer, OnlyOneBitPictures) {
  std::vector<MotionPoint> points;
  PackedDib color = NewPicture(30, 30, 8, 256);
  EXPECT_EQ(TraceMotionBitmap(color, &points), Outcome::Failed(kMsgMonochromeOnly));
  EXPECT_EQ(TraceMotionBitmap(PackedDib(), &points), Outcome::Failed(kMsgMonochromeOnly));
}

TEST(MotionTracer, FileKeepsTheOldPathOnFailure) {
  PrivateFolder folder;
  ASSERT_TRUE(folder.Create("zel-trace-"));
  const std::string bmp = folder.path() + "mov1.bmp";
  const std::string mtb = MotionPathFileOf(bmp);
  EXPECT_EQ(mtb, folder.path() + "mov1.mtb");
  EXPECT_EQ(MotionPathFileOf("/a.b/name"), "");

  ASSERT_TRUE(WriteBmpFile(MakeMotionBitmap(30, 30, InkRun(0, 29, 7)), bmp));
  ASSERT_TRUE(TraceMotionFile(bmp, mtb).done());
  const std::vector<MotionPoint> first = ReadMotionPathFile(mtb);
  ASSERT_EQ(first.size(), 31u);  // started in the middle: one pixel twice
  EXPECT_EQ(EncodeMotionPath(first), *ReadFileBytes(mtb));

  ASSERT_TRUE(WriteBmpFile(MakeMotionBitmap(30, 30, InkRun(0, 4, 7)), bmp));
  EXPECT_EQ(TraceMotionFile(bmp, mtb), Outcome::Failed(kMsgTooFewElements));
  EXPECT_EQ(ReadMotionPathFile(mtb), first);
  EXPECT_EQ(TraceMotionFile(folder.path() + "missing.bmp", mtb), Outcome::Failed(kMsgBadImageFile));
}

TEST(MotionTracer, PathFileBytes) {
  const std::vector<MotionPoint> points = {{1, 2}, {-3, 300}};
  const std::vector<uint8_t> bytes = EncodeMotionPath(points);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 0, 2, 0, 0xFD, 0xFF, 0x2C, 0x01}));
  std::vector<uint8_t> withTail = bytes;
  withTail.push_back(7);  // a remainder is ignored
  EXPECT_EQ(DecodeMotionPath(withTail.data(), withTail.size()), points);
}

}  // namespace
}  // namespace zel
