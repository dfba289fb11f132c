#include "transforms/tool_session.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "color/color_adjustment.h"
#include "document/document_state.h"
#include "support/picture_fixtures.h"
#include "transforms/deformations.h"
#include "transforms/tool_models.h"

namespace zel {
namespace {

using testing::Make24;
using testing::SamePicture;

PackedDib Pic(int w, int h, int seed) {
  return Make24(w, h, [seed](int x, int y) {
    return Rgbq{uint8_t(x * 13 + seed), uint8_t(y * 7), uint8_t(seed * 5), 0};
  });
}

std::unique_ptr<DocumentState> MakeDoc(char kind, int frames) {
  auto doc = std::make_unique<DocumentState>();
  EXPECT_TRUE(CreateDocumentContainer(*doc, 256));
  doc->undo.Reset();
  doc->kind = static_cast<ImageKind>(kind);
  doc->frameSet->transparentIndex = -1;
  if (IsAnimation(doc->kind)) {
    for (int i = 0; i < frames; ++i) doc->frameSet->frame(i).image = Pic(12, 8, i);
    doc->frameSet->count = frames;
    doc->currentFrame = 1;
    SetCurrentPicture(*doc, DuplicateBlock(doc->frameSet->frame(1).image));
  } else {
    SetCurrentPicture(*doc, Pic(12, 8, 0));
  }
  return doc;
}

FrameTransform RotateBy(double turn, Fill fill) {
  return [turn, fill](const PackedDib& p) { return Rotate(p, turn, fill); };
}

TEST(ToolSession, CancelAfterPreviewsGivesBackThePicture) {
  auto doc = MakeDoc('j', 0);
  PackedDib before = DuplicateBlock(doc->currentPicture);
  ToolSession tool(*doc);
  ASSERT_TRUE(tool.Open());
  EXPECT_NE(doc->flags & kFlagBusy, 0u);
  for (int angle : {10, 45, -30}) {
    ASSERT_TRUE(tool.ShowPreview(RotatePreview(tool.source(), RotationTurn(angle), tool.fill())));
  }
  EXPECT_FALSE(SamePicture(doc->currentPicture, before));
  tool.Cancel();
  tool.Close(0);
  EXPECT_TRUE(SamePicture(doc->currentPicture, before));
  EXPECT_FALSE(doc->toolSource);
  EXPECT_EQ(doc->flags & kFlagBusy, 0u);
  EXPECT_FALSE(doc->undo.CanUndo());
}

TEST(ToolSession, OkWithoutAChangeTakesNoSnapshot) {
  auto doc = MakeDoc('b', 0);
  PackedDib before = DuplicateBlock(doc->currentPicture);
  ToolSession tool(*doc);
  ASSERT_TRUE(tool.Open());
  EXPECT_FALSE(tool.ShowPreview(PackedDib{}));  // a failed preview changes nothing
  EXPECT_EQ(tool.Ok(RotateBy(0.2, tool.fill()), false), Outcome::NothingDone());
  tool.Close(0);
  EXPECT_TRUE(SamePicture(doc->currentPicture, before));
  EXPECT_FALSE(doc->undo.CanUndo());
}

TEST(ToolSession, OkOnAPictureInstallsTheFullQualityResultAndUndoes) {
  auto doc = MakeDoc('p', 0);
  PackedDib before = DuplicateBlock(doc->currentPicture);
  ToolSession tool(*doc);
  ASSERT_TRUE(tool.Open());
  const Fill fill = tool.fill();
  tool.ShowPreview(RotatePreview(tool.source(), 0.25, fill));
  ASSERT_TRUE(tool.Ok(RotateBy(0.25, fill), false).done());
  tool.Close(0);
  EXPECT_TRUE(SamePicture(doc->currentPicture, Rotate(before, 0.25, fill)));
  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_TRUE(SamePicture(doc->currentPicture, before));
}

TEST(ToolSession, AngleZeroAtOkInstallsTheSourceItself) {
  auto doc = MakeDoc('g', 0);
  PackedDib before = DuplicateBlock(doc->currentPicture);
  ToolSession tool(*doc);
  ASSERT_TRUE(tool.Open());
  tool.ShowPreview(RotatePreview(tool.source(), 0.1, tool.fill()));
  ASSERT_TRUE(tool.Ok(RotateBy(0, tool.fill()), true).done());
  EXPECT_TRUE(SamePicture(doc->currentPicture, before));
  EXPECT_TRUE(doc->undo.CanUndo());
}

TEST(ToolSession, OkOnAnAnimationTransformsEveryFrameAndShowsTheFirst) {
  auto doc = MakeDoc('a', 5);
  std::vector<PackedDib> originals;
  for (int i = 0; i < 5; ++i) originals.push_back(DuplicateBlock(doc->frameSet->frame(i).image));
  ToolSession tool(*doc);
  ASSERT_TRUE(tool.Open());
  const ColorAdjustment adjust = GammaAdjustment(9);
  const Rgbq background = ColorFromBackground(doc->backgroundColor);
  tool.ShowPreview(AdjustColors(tool.source(), adjust, -1, background));
  ASSERT_TRUE(tool.Ok([&](const PackedDib& p) { return AdjustColors(p, adjust, -1, background); },
                      false, {2, {}})
                  .done());
  tool.Close(4321);
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(SamePicture(doc->frameSet->frame(i).image,
                            AdjustColors(originals[i], adjust, -1, background)))
        << i;
  }
  EXPECT_TRUE(SamePicture(doc->currentPicture, doc->frameSet->frame(0).image));
  EXPECT_EQ(doc->currentFrame, 0);
  EXPECT_EQ(doc->lastFrameTick, 4321u);
  EXPECT_EQ(doc->flags & kFlagBusy, 0u);
  ASSERT_TRUE(doc->undo.Undo(*doc));
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(SamePicture(doc->frameSet->frame(i).image, originals[i]));
}

TEST(ToolSession, CancelledPassChangesNothing) {
  auto doc = MakeDoc('f', 4);
  PackedDib before = DuplicateBlock(doc->currentPicture);
  ToolSession tool(*doc);
  ASSERT_TRUE(tool.Open());
  tool.ShowPreview(FisheyePreview(tool.source(), 0.3, tool.fill()));
  FramePassOptions options{1, [](int, int) { return false; }};
  EXPECT_EQ(tool.Ok([](const PackedDib& p) { return Fisheye(p, 0.3, Fill{}); }, false, options),
            Outcome::Cancelled());
  tool.Close(0);
  EXPECT_TRUE(SamePicture(doc->currentPicture, before));
  EXPECT_FALSE(doc->undo.CanUndo());
}

TEST(ToolSession, DroppedWhileOpenGivesBackThePicture) {
  auto doc = MakeDoc('g', 0);
  PackedDib before = DuplicateBlock(doc->currentPicture);
  {
    ToolSession tool(*doc);
    ASSERT_TRUE(tool.Open());
    tool.ShowPreview(RotatePreview(tool.source(), 0.3, tool.fill()));
  }
  EXPECT_TRUE(SamePicture(doc->currentPicture, before));
  EXPECT_FALSE(doc->toolSource);
}

TEST(ToolSession, AFailedTransformOfAPictureGivesBackTheSource) {
  auto doc = MakeDoc('b', 0);
  PackedDib before = DuplicateBlock(doc->currentPicture);
  ToolSession tool(*doc);
  ASSERT_TRUE(tool.Open());
  tool.ShowPreview(RotatePreview(tool.source(), 0.3, tool.fill()));
  EXPECT_EQ(tool.Ok([](const PackedDib&) { return PackedDib{}; }, false),
            Outcome::Failed(kMsgNoMemory));
  tool.Close(0);
  EXPECT_TRUE(SamePicture(doc->currentPicture, before));
  EXPECT_FALSE(doc->undo.CanUndo());
}

// Frames are shared out over the threads; a frame whose transform fails keeps its picture
// whatever the number of threads.
TEST(ToolSession, AFrameWhoseTransformFailsKeepsItsPicture) {
  for (int threads : {1, 2, 3}) {
    auto doc = MakeDoc('a', 5);
    std::vector<PackedDib> originals;
    for (int i = 0; i < 5; ++i) originals.push_back(DuplicateBlock(doc->frameSet->frame(i).image));
    const PackedDib failing = DuplicateBlock(originals[2]);
    ToolSession tool(*doc);
    ASSERT_TRUE(tool.Open());
    tool.ShowPreview(RotatePreview(tool.source(), 0.3, tool.fill()));
    const Fill fill = tool.fill();
    auto transform = [failing = &failing, fill](const PackedDib& p) {
      return SamePicture(p, *failing) ? PackedDib{} : Rotate(p, 0.5, fill);
    };
    ASSERT_TRUE(tool.Ok(transform, false, {threads, {}}).done());
    for (int i = 0; i < 5; ++i) {
      const PackedDib& frame = doc->frameSet->frame(i).image;
      if (i == 2) {
        EXPECT_TRUE(SamePicture(frame, originals[i])) << threads;
      } else {
        EXPECT_TRUE(SamePicture(frame, Rotate(originals[i], 0.5, fill))) << threads << " " << i;
      }
    }
  }
}

TEST(ToolSession, RefusesToOpenWithoutAPicture) {
  DocumentState doc;
  ToolSession tool(doc);
  EXPECT_FALSE(tool.Open());
  EXPECT_EQ(doc.flags & kFlagBusy, 0u);
}

}  // namespace
}  // namespace zel
