#include "transforms/image_commands.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "document/document_state.h"
#include "platform/progress.h"
#include "support/picture_fixtures.h"
#include "transforms/deformations.h"
#include "transforms/frame_pass.h"

namespace zel {
namespace {

using testing::At8;
using testing::Make24;
using testing::Make8;
using testing::SamePicture;

// An 8-bit picture whose pixels are 10 * stored row + x + frame.
PackedDib Frame8(int w, int h, int frame, int colors = 64) {
  return Make8(
      w, h, [frame](int x, int y) { return uint8_t(10 * y + x + frame); }, colors);
}

std::unique_ptr<DocumentState> MakeDoc(char kind, int frames, int w = 6, int h = 4) {
  auto doc = std::make_unique<DocumentState>();
  EXPECT_TRUE(CreateDocumentContainer(*doc, 256));
  doc->undo.Reset();
  doc->kind = static_cast<ImageKind>(kind);
  FrameSet& set = *doc->frameSet;
  set.transparentIndex = -1;
  if (IsAnimation(doc->kind)) {
    for (int i = 0; i < frames; ++i) {
      set.frame(i).image = Frame8(w, h, i);
      set.frame(i).delay = 10;
    }
    set.count = frames;
    doc->currentFrame = frames - 1;
    SetCurrentPicture(*doc, DuplicateBlock(set.frame(frames - 1).image));
  } else {
    SetCurrentPicture(*doc, Frame8(w, h, 0));
  }
  doc->flags = kFlagStopped | kFlagStep;
  return doc;
}

TEST(FramePass, ThreadsGiveTheSameFramesInOrder) {
  FrameSet set(40);
  for (int i = 0; i < 37; ++i) {
    set.frame(i).image = Make24(31, 17, [i](int x, int y) {
      return Rgbq{uint8_t(x * 8 + i), uint8_t(y * 15), uint8_t(i * 6), 0};
    });
  }
  set.frame(5).image.Reset();  // an empty slot stays empty
  set.count = 37;
  const FrameTransform rotate = [](const PackedDib& p) {
    return Rotate(p, 0.3, Fill{{1, 2, 3, 0}, -1});
  };
  auto one = TransformEachFrame(set, rotate, {1, {}});
  ASSERT_TRUE(one);
  for (int threads : {2, 3, 8}) {
    auto many = TransformEachFrame(set, rotate, {threads, {}});
    ASSERT_TRUE(many);
    ASSERT_EQ(many->size(), 37u);
    for (int i = 0; i < 37; ++i) {
      EXPECT_EQ(bool((*many)[i]), i != 5);
      if (i != 5) {
        EXPECT_TRUE(SamePicture((*many)[i], (*one)[i])) << threads << " " << i;
      }
    }
  }
}

TEST(FramePass, ReportsOnTheCallingThreadAndCanBeCancelled) {
  FrameSet set(20);
  for (int i = 0; i < 20; ++i) set.frame(i).image = Frame8(4, 4, i);
  set.count = 20;
  const auto caller = std::this_thread::get_id();
  int last = 0;
  bool elsewhere = false;
  FramePassOptions options{2, [&](int done, int total) {
                             elsewhere |= std::this_thread::get_id() != caller;
                             EXPECT_EQ(total, 20);
                             last = done;
                             return true;
                           }};
  EXPECT_TRUE(TransformEachFrame(
      set, [](const PackedDib& p) { return DuplicateBlock(p); }, options));
  EXPECT_EQ(last, 20);
  EXPECT_FALSE(elsewhere);
  options.progress = [](int, int) { return false; };
  EXPECT_FALSE(TransformEachFrame(
      set, [](const PackedDib& p) { return DuplicateBlock(p); }, options));
}

class RecordingSink : public ProgressSink {
 public:
  void ReportProgress(int percent) override { percents.push_back(percent); }
  void RestartClock() override {}
  void DisableCancel() override {}
  bool TakeCancel() override { return cancelAt >= 0 && int(percents.size()) >= cancelAt; }
  std::vector<int> percents;
  int cancelAt = -1;
};

TEST(FramePass, ReportsPercentToAProgressSink) {
  FrameSet set(4);
  for (int i = 0; i < 4; ++i) set.frame(i).image = Frame8(4, 4, i);
  set.count = 4;
  RecordingSink sink;
  const FrameTransform copy = [](const PackedDib& p) { return DuplicateBlock(p); };
  EXPECT_TRUE(TransformEachFrame(set, copy, {1, ProgressOf(sink)}));
  EXPECT_EQ(sink.percents, (std::vector<int>{25, 50, 75, 100}));
  RecordingSink cancelling;
  cancelling.cancelAt = 2;
  EXPECT_FALSE(TransformEachFrame(set, copy, {1, ProgressOf(cancelling)}));
  EXPECT_EQ(cancelling.percents.size(), 2u);
}

TEST(ImageCommands, TrimCropsEveryFrameAndRestartsPlayback) {
  auto doc = MakeDoc('a', 3);
  ASSERT_TRUE(TrimImage(*doc, {1, 1, 3, 3}, 555).done());
  const FrameSet& set = *doc->frameSet;
  for (int i = 0; i < 3; ++i) {
    const PackedDib& f = set.frame(i).image;
    EXPECT_EQ(f.Header().width, 2);
    EXPECT_EQ(f.Header().height, 2);
    EXPECT_EQ(f.Row(0)[0], 10 * 2 + 1 + i);  // top-down row 1 is stored row 2
  }
  EXPECT_TRUE(SamePicture(doc->currentPicture, set.frame(0).image));
  EXPECT_EQ(doc->width, 2);
  EXPECT_EQ(doc->currentFrame, 0);
  EXPECT_EQ(doc->lastFrameTick, 555u);
  EXPECT_EQ(doc->flags & (kFlagStopped | kFlagStep | kFlagBusy), 0u);
  ASSERT_TRUE(doc->undo.CanUndo());
  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_EQ(doc->frameSet->frame(2).image.Header().width, 6);
}

TEST(ImageCommands, FrameWhoseCropFailsKeepsItsPicture) {
  auto doc = MakeDoc('a', 3);
  doc->frameSet->frame(1).image = Frame8(2, 2, 9);  // the rectangle misses it
  ASSERT_TRUE(TrimImage(*doc, {3, 0, 5, 2}, 1).done());
  EXPECT_EQ(doc->frameSet->frame(0).image.Header().width, 2);
  EXPECT_TRUE(SamePicture(doc->frameSet->frame(1).image, Frame8(2, 2, 9)));
  // Nothing crops: nothing changes and no snapshot is taken.
  auto single = MakeDoc('g', 0);
  EXPECT_EQ(TrimImage(*single, {10, 10, 12, 12}, 1), Outcome::NothingDone());
  EXPECT_FALSE(single->undo.CanUndo());
  EXPECT_EQ(single->width, 6);
}

TEST(ImageCommands, OnePixelTrimOfAPicture) {
  auto doc = MakeDoc('g', 0);
  ASSERT_TRUE(TrimImage(*doc, {2, 3, 3, 4}, 0).done());
  EXPECT_EQ(doc->width, 1);
  EXPECT_EQ(doc->height, 1);
  EXPECT_EQ(doc->currentPicture.Row(0)[0], 2);
}

TEST(ImageCommands, MarginAddsOneTransparentEntryToEveryFrame) {
  auto doc = MakeDoc('a', 2, 8, 8);
  doc->frameSet->frame(1).image = Frame8(8, 8, 1, 100);  // a larger table
  doc->backgroundColor = 0x00112233;                     // blue 0x11, green 0x22, red 0x33
  ASSERT_TRUE(AddMarginToImage(*doc, 7).done());
  EXPECT_EQ(doc->frameSet->transparentIndex, 100);
  for (int i = 0; i < 2; ++i) {
    const PackedDib& f = doc->frameSet->frame(i).image;
    EXPECT_EQ(f.Header().width, 11);
    EXPECT_GE(f.ColorCount(), 101u);
    EXPECT_EQ(f.ColorTable()[100], (Rgbq{0x11, 0x22, 0x33, 0}));
    EXPECT_EQ(At8(f, 0, 0), 100);
  }
  // An existing index is used as it is.
  auto again = MakeDoc('g', 0, 8, 8);
  again->frameSet->transparentIndex = 5;
  ASSERT_TRUE(AddMarginToImage(*again, 0).done());
  EXPECT_EQ(again->currentPicture.ColorCount(), 64u);
  EXPECT_EQ(At8(again->currentPicture, 0, 0), 5);
}

TEST(ImageCommands, MarginRefusedChangesNothing) {
  auto full = MakeDoc('g', 0, 8, 8);
  SetCurrentPicture(*full, Frame8(8, 8, 0, 256));
  EXPECT_EQ(AddMarginToImage(*full, 0), Outcome::NothingDone());
  EXPECT_FALSE(full->undo.CanUndo());
  auto narrow = MakeDoc('g', 0, 7, 100);
  EXPECT_EQ(AddMarginToImage(*narrow, 0), Outcome::NothingDone());
  EXPECT_EQ(narrow->width, 7);
  EXPECT_TRUE(MarginFitsView(*narrow, 7, 100));
  EXPECT_FALSE(MarginFitsView(*narrow, 6, 100));
}

TEST(ImageCommands, TurnsAndMirrorsAreUndoneStepByStep) {
  auto doc = MakeDoc('f', 3, 8, 3);
  PackedDib before = DuplicateBlock(doc->frameSet->frame(2).image);
  ASSERT_TRUE(TurnImage(*doc, TurnDirection::kLeft, 0).done());
  EXPECT_EQ(doc->width, 3);
  EXPECT_EQ(doc->height, 8);
  ASSERT_TRUE(TurnImage(*doc, TurnDirection::kRight, 0).done());
  ASSERT_TRUE(MirrorImage(*doc, MirrorAxis::kHorizontal, 0).done());
  ASSERT_TRUE(MirrorImage(*doc, MirrorAxis::kHorizontal, 0).done());
  EXPECT_EQ(At8(doc->currentPicture, 0, 0), 0);
  ASSERT_TRUE(MirrorImage(*doc, MirrorAxis::kVertical, 0).done());
  EXPECT_EQ(At8(doc->currentPicture, 0, 0), 20);
  ASSERT_TRUE(MirrorImage(*doc, MirrorAxis::kVertical, 0).done());
  EXPECT_TRUE(SamePicture(doc->frameSet->frame(2).image, before));
  // Six steps, each one undone on its own: after the fifth undo the picture is turned left.
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(doc->undo.Undo(*doc)) << i;
  EXPECT_EQ(doc->width, 3);
  EXPECT_EQ(doc->height, 8);
  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_TRUE(SamePicture(doc->frameSet->frame(2).image, before));
  EXPECT_EQ(doc->width, 8);
  EXPECT_FALSE(doc->undo.CanUndo());

  // Each is the user's work: closing asks first.
  for (char kind : {'f', 'b'}) {
    auto fresh = MakeDoc(kind, 2, 8, 3);
    fresh->savedRevision = fresh->revision;
    ASSERT_TRUE(MirrorImage(*fresh, MirrorAxis::kVertical, 0).done());
    EXPECT_TRUE(HasUnsavedChanges(*fresh)) << kind;
  }
}

TEST(ImageCommands, IconSizeForSinglePicturesOnly) {
  auto doc = MakeDoc('b', 0, 64, 48);
  doc->frameSet->transparentIndex = 3;
  ASSERT_TRUE(CanResizeToIconSize(*doc));
  ASSERT_TRUE(ResizeToIconSize(*doc).done());
  EXPECT_EQ(doc->width, 32);
  EXPECT_EQ(doc->height, 32);
  EXPECT_EQ(doc->frameSet->transparentIndex, -1);
  EXPECT_EQ(doc->currentPicture.ColorCount(), 64u);
  EXPECT_EQ(At8(doc->currentPicture, 1, 1), 10 * 1 + 2);  // source (2, 1.5): pixel (2, 1)
  EXPECT_TRUE(doc->undo.CanUndo());
  auto anim = MakeDoc('a', 2);
  EXPECT_FALSE(CanResizeToIconSize(*anim));
  EXPECT_EQ(ResizeToIconSize(*anim), Outcome::NothingDone());
  DocumentState none;
  EXPECT_FALSE(CanTransformImage(none));
  EXPECT_EQ(MirrorImage(none, MirrorAxis::kVertical, 0), Outcome::NothingDone());
}

}  // namespace
}  // namespace zel
