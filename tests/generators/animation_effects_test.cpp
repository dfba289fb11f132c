#include "generators/animation_effects.h"

#include <gtest/gtest.h>

#include <memory>

#include "generators/effect_warp.h"
#include "platform/parallel.h"
#include "resources/string_table.h"
#include "support/picture_fixtures.h"
#include "transforms/deformations.h"

namespace zel {
namespace {

using testing::At8;
using testing::Make8;
using testing::SamePicture;

PackedDib Frame(int i) {
  return Make8(
      14, 10, [i](int x, int y) { return uint8_t(1 + (x + 2 * y + i) % 30); }, 32);
}

std::unique_ptr<DocumentState> AnimationDoc(int frames, int32_t transparentIndex = 31) {
  auto doc = std::make_unique<DocumentState>();
  EXPECT_TRUE(CreateDocumentContainer(*doc, 256));
  doc->undo.Reset();
  doc->backgroundColor = 0x1F1FE0;  // entry 31 of the test table, which undo writes back
  doc->kind = ImageKind::kGifAnimation;
  FrameSet& set = *doc->frameSet;
  set.transparentIndex = transparentIndex;
  for (int i = 0; i < frames; ++i) {
    set.frame(i).image = Frame(i);
    set.frame(i).delay = 10 + i;
    set.frame(i).left = i;
  }
  set.count = frames;
  doc->currentFrame = 2;
  doc->flags = kFlagStopped;
  SetCurrentPicture(*doc, Frame(2));
  return doc;
}

TEST(AnimationEffect, FewerThanFourFramesAreRefusedUnchanged) {
  auto doc = AnimationDoc(3);
  EXPECT_EQ(RunAnimationEffect(*doc, {Effect::kPunk, 40}, nullptr, 0), kMsgOutOfRange);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(SamePicture(doc->frameSet->frame(i).image, Frame(i)));
  EXPECT_EQ(doc->flags & kFlagBusy, 0u);
  EXPECT_TRUE(doc->undo.CanUndo());  // the snapshot is taken all the same
}

TEST(AnimationEffect, TurnRightTurnsEachFrameByItsStep) {
  auto doc = AnimationDoc(8);
  ASSERT_EQ(RunAnimationEffect(*doc, {Effect::kTurnRight, 40}, nullptr, 700), 0);
  const Fill fill{ColorFromBackground(doc->backgroundColor), 31};
  const FrameSet& set = *doc->frameSet;
  ASSERT_EQ(set.count, 8);
  for (int i = 0; i < 8; ++i) {
    EXPECT_TRUE(SamePicture(set.frame(i).image, Rotate(Frame(i), 1 - i / 4.0, fill))) << i;
    EXPECT_EQ(set.frame(i).delay, 10 + i);
    EXPECT_EQ(set.frame(i).left, i);
  }
  EXPECT_TRUE(SamePicture(doc->currentPicture, set.frame(0).image));
  EXPECT_EQ(doc->currentFrame, 0);
  EXPECT_EQ(doc->flags & (kFlagStopped | kFlagBusy), 0u);
  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_TRUE(SamePicture(doc->frameSet->frame(5).image, Frame(5)));
}

TEST(AnimationEffect, ZoomOutKeepsTheFirstFrame) {
  auto doc = AnimationDoc(5);
  ASSERT_EQ(RunAnimationEffect(*doc, {Effect::kZoomOut, 80}, nullptr, 0), 0);
  const FrameSet& set = *doc->frameSet;
  EXPECT_TRUE(SamePicture(set.frame(0).image, Frame(0)));
  for (int i = 1; i < 5; ++i) {
    EXPECT_FALSE(SamePicture(set.frame(i).image, Frame(i))) << i;
    EXPECT_EQ(At8(set.frame(i).image, 0, 0), 31) << i;  // the corner is outside the rectangle
  }
}

TEST(AnimationEffect, SwayingWithoutTransparentIndexFillsWithZero) {
  auto doc = AnimationDoc(4, -1);
  ASSERT_EQ(RunAnimationEffect(*doc, {Effect::kSwaying, 100}, nullptr, 0), 0);
  bool zero = false;
  for (int i = 0; i < 4; ++i) {
    const PackedDib& p = doc->frameSet->frame(i).image;
    for (int y = 0; y < 10; ++y) {
      for (int x = 0; x < 14; ++x) {
        EXPECT_LT(At8(p, x, y), 32);
        zero = zero || At8(p, x, y) == 0;
      }
    }
  }
  EXPECT_TRUE(zero);
}

TEST(AnimationEffect, SameFramesOnOneThreadAndOnSeveral) {
  auto one = AnimationDoc(12);
  auto many = AnimationDoc(12);
  SetParallelWorkers(1);
  ASSERT_EQ(RunAnimationEffect(*one, {Effect::kPunk, 60}, nullptr, 0), 0);
  SetParallelWorkers(4);
  ASSERT_EQ(RunAnimationEffect(*many, {Effect::kPunk, 60}, nullptr, 0), 0);
  SetParallelWorkers(0);
  for (int i = 0; i < 12; ++i) {
    EXPECT_TRUE(SamePicture(one->frameSet->frame(i).image, many->frameSet->frame(i).image));
  }
}

}  // namespace
}  // namespace zel
