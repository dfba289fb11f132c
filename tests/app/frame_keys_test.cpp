#include "app/frame_keys.h"

#include <gtest/gtest.h>

#include "document/document_state.h"

namespace zel {
namespace {

TEST(FrameKeysTest, TargetsWrapAtTheEnds) {
  struct Case {
    FrameKey key;
    int32_t current, count, target;
  } cases[] = {
      {FrameKey::kNext, 0, 3, 1},     {FrameKey::kNext, 2, 3, 0},
      {FrameKey::kPrevious, 1, 3, 0}, {FrameKey::kPrevious, 0, 3, 2},
      {FrameKey::kFirst, 2, 3, 0},    {FrameKey::kLast, 0, 3, 2},
      {FrameKey::kNext, 0, 1, 0},     {FrameKey::kPrevious, 0, 1, 0},
      {FrameKey::kNext, 9, 3, 1},  // out of range counts as the first
      {FrameKey::kLast, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << static_cast<int>(c.key) << " " << c.current << "/" << c.count);
    EXPECT_EQ(FrameKeyTarget(c.key, c.current, c.count), c.target);
  }
}

class FrameKeysDocTest : public ::testing::Test {
 protected:
  void Open(int count, ImageKind kind = ImageKind::kGifAnimation) {
    ASSERT_TRUE(CreateDocumentContainer(doc, 16));
    FrameSet source(16);
    source.count = count;
    const Rgbq table[4] = {};
    for (int i = 0; i < count; ++i) {
      source.frame(i).image = NewPicture(1, 1, 8, 4, table);
      source.frame(i).image.Row(0)[0] = static_cast<uint8_t>(i);
      source.frame(i).delay = 10;
    }
    ASSERT_TRUE(InstallAnimation(doc, source, kind, 1000));
  }
  int Shown() const { return doc.currentPicture.Row(0)[0]; }
  DocumentState doc;
};

TEST_F(FrameKeysDocTest, StepStopsPlaybackAndShowsTheFrameAtOnce) {
  Open(3);
  ASSERT_EQ(doc.flags & kFlagStopped, 0u);
  ASSERT_TRUE(MoveByFrameKey(doc, FrameKey::kPrevious, 1001));
  EXPECT_NE(doc.flags & kFlagStopped, 0u);
  EXPECT_EQ(doc.flags & kFlagStep, 0u);
  EXPECT_EQ(doc.currentFrame, 2);
  EXPECT_EQ(Shown(), 2);
  ASSERT_TRUE(MoveByFrameKey(doc, FrameKey::kNext, 1002));
  EXPECT_EQ(Shown(), 0);
  ASSERT_TRUE(MoveByFrameKey(doc, FrameKey::kLast, 1003));
  EXPECT_EQ(Shown(), 2);
  ASSERT_TRUE(MoveByFrameKey(doc, FrameKey::kFirst, 1004));
  EXPECT_EQ(Shown(), 0);
  EXPECT_EQ(doc.currentFrame, 0);
}

TEST_F(FrameKeysDocTest, NothingMovesWhileBusyOrWithoutAnAnimation) {
  Open(3);
  doc.flags |= kFlagBusy;
  EXPECT_FALSE(MoveByFrameKey(doc, FrameKey::kNext, 1001));
  EXPECT_EQ(Shown(), 0);
  EXPECT_EQ(doc.flags & kFlagStopped, 0u);
  DocumentState empty;
  EXPECT_FALSE(MoveByFrameKey(empty, FrameKey::kNext, 1001));
}

TEST_F(FrameKeysDocTest, SpaceStartsAndStops) {
  Open(2);
  TogglePlayback(doc);
  EXPECT_NE(doc.flags & kFlagStopped, 0u);
  EXPECT_EQ(doc.flags & kFlagStep, 0u);  // stopping is not a step
  TogglePlayback(doc);
  EXPECT_EQ(doc.flags & kFlagStopped, 0u);
}

}  // namespace
}  // namespace zel
