#include "app/tools/tool_session.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/progress.h"

namespace zel {
namespace {

// An 8-bit 3 x 2 picture whose pixels all hold `fill`.
PackedDib Pic(uint8_t fill) {
  std::vector<Rgbq> table(256);
  for (int i = 0; i < 256; ++i) table[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
  PackedDib p = NewPicture(3, 2, 8, 256, table.data());
  for (int y = 0; y < 2; ++y) std::memset(p.Row(y), fill, 3);
  return p;
}

int FillOf(const PackedDib& p) {
  return p ? p.Row(0)[0] : -1;
}

std::vector<uint8_t> Bytes(const PackedDib& p) {
  return p ? std::vector<uint8_t>(p.data(), p.data() + p.size()) : std::vector<uint8_t>{};
}

// The transform of the tests: every pixel v becomes v + 100. A picture of fill 13 fails.
PackedDib Shift(const PackedDib& source) {
  if (FillOf(source) == 13) return {};
  PackedDib result = DuplicateBlock(source);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) result.Row(y)[x] = static_cast<uint8_t>(source.Row(y)[x] + 100);
  }
  return result;
}

std::unique_ptr<DocumentState> MakeDoc(char kind, const std::vector<uint8_t>& fills) {
  auto doc = std::make_unique<DocumentState>();
  EXPECT_TRUE(CreateDocumentContainer(*doc, 256));
  doc->undo.Reset();
  doc->kind = static_cast<ImageKind>(kind);
  FrameSet& frames = *doc->frameSet;
  for (size_t i = 0; i < fills.size(); ++i) frames.frame(static_cast<int>(i)).image = Pic(fills[i]);
  frames.count = IsAnimation(doc->kind) ? static_cast<int32_t>(fills.size()) : 0;
  doc->currentFrame = 2 % static_cast<int>(fills.size());
  doc->flags = kFlagStopped;
  SetCurrentPicture(*doc, Pic(fills[doc->currentFrame]));
  return doc;
}

std::vector<int> Fills(const DocumentState& doc) {
  std::vector<int> fills;
  for (int i = 0; i < doc.frameSet->count; ++i)
    fills.push_back(FillOf(doc.frameSet->frame(i).image));
  return fills;
}

TEST(ToolSession, CancelAfterPreviewsGivesBackTheExactSourceWithoutSnapshot) {
  auto doc = MakeDoc('g', {7});
  const std::vector<uint8_t> before = Bytes(doc->currentPicture);
  {
    ToolSession tool(*doc);
    ASSERT_TRUE(tool.Open());
    EXPECT_FALSE(tool.Changed());
    EXPECT_EQ(Bytes(tool.Source()), before);
    for (uint8_t fill : {20, 30, 40}) ASSERT_TRUE(tool.ShowPreview(Pic(fill)));
    // A preview that failed leaves the previous one in place.
    EXPECT_FALSE(tool.ShowPreview(PackedDib{}));
    EXPECT_EQ(FillOf(doc->currentPicture), 40);
    EXPECT_TRUE(tool.Changed());
    tool.Cancel();
    EXPECT_FALSE(tool.IsOpen());
  }
  EXPECT_EQ(Bytes(doc->currentPicture), before);
  EXPECT_FALSE(doc->toolSource);
  EXPECT_FALSE(doc->undo.CanUndo());

  // A session dropped while open cancels too.
  {
    ToolSession tool(*doc);
    ASSERT_TRUE(tool.Open());
    tool.ShowPreview(Pic(99));
  }
  EXPECT_EQ(Bytes(doc->currentPicture), before);
}

TEST(ToolSession, OkWithoutChangeTakesNoSnapshotAndChangesNothing) {
  auto doc = MakeDoc('a', {1, 2, 3});
  const std::vector<uint8_t> before = Bytes(doc->currentPicture);
  ToolSession tool(*doc);
  ASSERT_TRUE(tool.Open());
  int calls = 0;
  EXPECT_EQ(tool.Ok(kUndoTransform,
                    [&calls](const PackedDib& p) {
                      ++calls;
                      return Shift(p);
                    }),
            ToolSession::Outcome::kUnchanged);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(Bytes(doc->currentPicture), before);
  EXPECT_EQ(Fills(*doc), (std::vector<int>{1, 2, 3}));
  EXPECT_FALSE(doc->undo.CanUndo());
  EXPECT_FALSE(doc->toolSource);
}

TEST(ToolSession, OkOnAPictureAppliesTheFullTransformToTheSourceAndUndoRestoresIt) {
  auto doc = MakeDoc('b', {5});
  ToolSession tool(*doc);
  ASSERT_TRUE(tool.Open());
  tool.ShowPreview(Pic(77));  // the preview is not what OK installs
  EXPECT_EQ(tool.Ok(kUndoTransform, Shift), ToolSession::Outcome::kApplied);
  EXPECT_EQ(FillOf(doc->currentPicture), 105);
  EXPECT_FALSE(doc->toolSource);
  ASSERT_TRUE(doc->undo.CanUndo());
  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_EQ(FillOf(doc->currentPicture), 5);

  // A transform that fails puts the source back.
  auto failing = MakeDoc('b', {13});
  ToolSession second(*failing);
  ASSERT_TRUE(second.Open());
  second.ShowPreview(Pic(1));
  EXPECT_EQ(second.Ok(kUndoTransform, Shift), ToolSession::Outcome::kFailed);
  EXPECT_EQ(FillOf(failing->currentPicture), 13);
}

TEST(ToolSession, OkOnAnAnimationTransformsEveryFrameAndShowsTheFirst) {
  for (int threads : {1, 2, 3}) {
    auto doc = MakeDoc('a', {1, 2, 13, 4, 5});
    ToolSession tool(*doc);
    ASSERT_TRUE(tool.Open());
    tool.ShowPreview(Pic(50));
    EXPECT_EQ(tool.Ok(kUndoTransform, Shift, threads), ToolSession::Outcome::kApplied);
    // The frame whose transform failed keeps its picture.
    EXPECT_EQ(Fills(*doc), (std::vector<int>{101, 102, 13, 104, 105})) << threads;
    EXPECT_EQ(FillOf(doc->currentPicture), 101) << threads;
    ASSERT_TRUE(doc->undo.Undo(*doc));
    EXPECT_EQ(Fills(*doc), (std::vector<int>{1, 2, 13, 4, 5})) << threads;
  }
}

TEST(ToolSession, OpenNeedsAPicture) {
  DocumentState empty;
  ToolSession tool(empty);
  EXPECT_FALSE(tool.Open());
  EXPECT_FALSE(tool.ShowPreview(Pic(1)));
  EXPECT_EQ(tool.Ok(kUndoTransform, Shift), ToolSession::Outcome::kUnchanged);
}

class CountingProgress : public ProgressSink {
 public:
  void ReportProgress(int percent) override {
    EXPECT_GE(percent, last);
    EXPECT_LE(percent, 100);
    last = percent;
    ++reports;
  }
  void RestartClock() override {}
  void DisableCancel() override {}
  bool TakeCancel() override { return false; }
  int last = 0;
  int reports = 0;
};

// Frames are independent: the result over two workers is byte for byte the one-thread one,
// installed in frame order.
TEST(TransformEveryFrame, WorkersGiveTheOneThreadResult) {
  std::vector<uint8_t> fills;
  for (int i = 0; i < 40; ++i) fills.push_back(static_cast<uint8_t>(i * 3));
  auto one = MakeDoc('a', fills);
  auto two = MakeDoc('a', fills);
  std::atomic<int> calls{0};
  auto transform = [&calls](const PackedDib& p) {
    ++calls;
    return Shift(p);
  };
  CountingProgress progress;
  EXPECT_EQ(TransformEveryFrame(*one->frameSet, transform, 1, &progress), 40);
  EXPECT_EQ(progress.last, 100);
  EXPECT_EQ(TransformEveryFrame(*two->frameSet, transform, 2), 40);
  EXPECT_EQ(calls, 80);
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(Bytes(one->frameSet->frame(i).image), Bytes(two->frameSet->frame(i).image)) << i;
    EXPECT_EQ(FillOf(two->frameSet->frame(i).image), (i * 3 + 100) % 256) << i;
  }
  EXPECT_GE(FrameWorkerCount(100), 1);
  EXPECT_LE(FrameWorkerCount(100), 2);
  EXPECT_EQ(FrameWorkerCount(1), 1);
}

TEST(ToolSession, EndingAToolRestartsAnAnimationFromItsFirstFrame) {
  auto anim = MakeDoc('f', {1, 2, 3});
  anim->flags = kFlagStopped | kFlagStep | kFlagLoaded;
  RestartPlaybackAfterTool(*anim, 1234);
  EXPECT_EQ(anim->flags, uint32_t{kFlagLoaded});
  EXPECT_EQ(anim->currentFrame, 0);
  EXPECT_EQ(anim->lastFrameTick, 1234u);

  auto picture = MakeDoc('g', {1});
  picture->flags = kFlagStopped;
  RestartPlaybackAfterTool(*picture, 1234);
  EXPECT_EQ(picture->flags, uint32_t{kFlagStopped});
}

}  // namespace
}  // namespace zel
