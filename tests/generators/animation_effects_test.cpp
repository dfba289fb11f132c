#include "generators/animation_effects.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

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

std::vector<uint8_t> Bytes(const PackedDib& p) {
  return std::vector<uint8_t>(p.data(), p.data() + p.size());
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
  EXPECT_EQ(RunAnimationEffect(*doc, {Effect::kPunk, 40}, nullptr, 0), Outcome::Failed(kMsgOutOfRange));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(SamePicture(doc->frameSet->frame(i).image, Frame(i)));
  EXPECT_EQ(doc->flags & kFlagBusy, 0u);
  EXPECT_FALSE(doc->undo.CanUndo());  // a refusal leaves no undo step behind
}

TEST(AnimationEffect, TurnRightTurnsEachFrameByItsStep) {
  auto doc = AnimationDoc(8);
  ASSERT_TRUE(RunAnimationEffect(*doc, {Effect::kTurnRight, 40}, nullptr, 700).done());
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
  ASSERT_TRUE(RunAnimationEffect(*doc, {Effect::kZoomOut, 80}, nullptr, 0).done());
  const FrameSet& set = *doc->frameSet;
  EXPECT_TRUE(SamePicture(set.frame(0).image, Frame(0)));
  for (int i = 1; i < 5; ++i) {
    EXPECT_FALSE(SamePicture(set.frame(i).image, Frame(i))) << i;
    EXPECT_EQ(At8(set.frame(i).image, 0, 0), 31) << i;  // the corner is outside the rectangle
  }
}

TEST(AnimationEffect, SwayingWithoutTransparentIndexFillsWithItsLowByte) {
  // No transparent index: the swirl fills with 255 where the frames' tables hold it (every
  // 256-entry table), else with entry 0; never with an index beyond the table.
  for (const auto& [tableSize, fill] : {std::pair{256, 255}, {32, 0}}) {
    auto doc = AnimationDoc(4, -1);
    for (int i = 0; i < 4; ++i) {
      doc->frameSet->frame(i).image = Make8(
          14, 10, [i](int x, int y) { return uint8_t(1 + (x + 2 * y + i) % 30); }, tableSize);
    }
    const std::vector<uint8_t> before = Bytes(doc->frameSet->frame(3).image);
    ASSERT_TRUE(RunAnimationEffect(*doc, {Effect::kSwaying, 100}, nullptr, 0).done());
    int filled = 0;
    for (int i = 0; i < 4; ++i) {
      const PackedDib& p = doc->frameSet->frame(i).image;
      for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 14; ++x) {
          const uint8_t v = At8(p, x, y);
          EXPECT_TRUE(v == fill || (v >= 1 && v <= 30)) << tableSize << ": " << int(v);
          filled += v == fill;
        }
      }
    }
    EXPECT_GT(filled, 0) << tableSize;
    ASSERT_TRUE(doc->undo.Undo(*doc));
    EXPECT_EQ(Bytes(doc->frameSet->frame(3).image), before);
    EXPECT_EQ(doc->frameSet->transparentIndex, -1);
  }
}

TEST(AnimationEffect, ZoomInOutAtFullAmplitudeShowsEveryFrame) {
  // With an even frame count the outermost frames' scale falls below 0 (1 - 2 * 2/3 for
  // the last of 4): their pictures come small and turned half round, not blank.
  for (int n : {4, 6, 10}) {
    auto doc = AnimationDoc(n);
    ASSERT_TRUE(RunAnimationEffect(*doc, {Effect::kZoomInOut, 100}, nullptr, 0).done());
    const std::vector<FrameStep> steps = EffectSchedule(Effect::kZoomInOut, n, 1.0);
    const Fill fill{ColorFromBackground(doc->backgroundColor), 31};
    EXPECT_LT(steps[static_cast<size_t>(n - 1)].value, 0) << n;
    for (int i = 0; i < n; ++i) {
      const PackedDib& image = doc->frameSet->frame(i).image;
      int shown = 0;
      for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 14; ++x) shown += At8(image, x, y) != 31;
      }
      EXPECT_GT(shown, 0) << n << " frames, frame " << i;
      if (steps[static_cast<size_t>(i)].warp == WarpKind::kRect) {
        EXPECT_TRUE(SamePicture(
            image, ShrinkToRect(Frame(i), steps[static_cast<size_t>(i)].value, 14, 10, fill)))
            << n << " frames, frame " << i;
      }
    }
    ASSERT_TRUE(doc->undo.Undo(*doc));
    for (int i = 0; i < n; ++i) EXPECT_TRUE(SamePicture(doc->frameSet->frame(i).image, Frame(i)));
  }
}

TEST(AnimationEffect, SameFramesOnOneThreadAndOnSeveral) {
  auto one = AnimationDoc(12);
  auto many = AnimationDoc(12);
  SetParallelWorkers(1);
  ASSERT_TRUE(RunAnimationEffect(*one, {Effect::kPunk, 60}, nullptr, 0).done());
  SetParallelWorkers(4);
  ASSERT_TRUE(RunAnimationEffect(*many, {Effect::kPunk, 60}, nullptr, 0).done());
  SetParallelWorkers(0);
  for (int i = 0; i < 12; ++i) {
    EXPECT_TRUE(SamePicture(one->frameSet->frame(i).image, many->frameSet->frame(i).image));
  }
}

}  // namespace
}  // namespace zel
