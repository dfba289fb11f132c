#include "document/playback.h"

#include <gtest/gtest.h>

#include "document/document_state.h"

namespace zel {
namespace {

// An animation of `count` 1 x 1 frames whose one pixel is the frame number, so that the
// current picture tells which frame it was copied from. Frame 0 is shown at tick `start`.
class PlaybackTest : public ::testing::Test {
 protected:
  void Open(int count, int32_t delay, uint32_t start = 1000,
            ImageKind kind = ImageKind::kGifAnimation) {
    ASSERT_TRUE(CreateDocumentContainer(doc, 16));
    FrameSet source(16);
    source.count = count;
    source.transparentIndex = 2;
    const Rgbq table[3] = {{0, 0, 0, 0}, {1, 1, 1, 0}, {2, 2, 2, 0}};
    for (int i = 0; i < count; ++i) {
      source.frame(i).image = NewPicture(1, 1, 8, 3, table);
      source.frame(i).image.Row(0)[0] = static_cast<uint8_t>(i);
      source.frame(i).delay = delay;
    }
    ASSERT_TRUE(InstallAnimation(doc, source, kind, start));
  }

  // The frame the current picture was copied from.
  int Shown() const { return doc.currentPicture.Row(0)[0]; }

  DocumentState doc;
};

TEST_F(PlaybackTest, AdvancesOnceTheDelayHasPassed) {
  struct Case {
    uint32_t start;
    uint32_t now;
    int32_t delay;
    bool advances;
  } cases[] = {
      {1000, 1000, 0, true},  // a delay of 0 is always due
      {1000, 1049, 5, false},
      {1000, 1050, 5, true},
      {1000, 1999, 100, false},
      {1000, 2000, 100, true},
      // The 32-bit tick counter wraps between the two frames: 48 ms have passed.
      {0xFFFFFFF0u, 0x20, 4, true},
      {0xFFFFFFF0u, 0x20, 5, false},
      // A tick that appears to run backwards is a long wait modulo 2^32, not a negative one.
      {1000, 999, 100, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << " -> " << c.now << " delay " << c.delay);
    Open(3, c.delay, c.start);
    EXPECT_EQ(PlaybackTick(doc, c.now), c.advances);
    EXPECT_EQ(doc.currentFrame, c.advances ? 1 : 0);
    EXPECT_EQ(Shown(), c.advances ? 1 : 0);
    EXPECT_EQ(doc.lastFrameTick, c.advances ? c.now : c.start);
  }
}

TEST_F(PlaybackTest, DelayZeroAdvancesEveryTickAndLoops) {
  Open(3, 0, 0);
  doc.frameSet->loop = 0;  // playback loops whatever the file says
  const int expected[] = {1, 2, 0, 1, 2, 0};
  uint32_t now = 0;
  for (int frame : expected) {
    now += kPlaybackTickMs;
    ASSERT_TRUE(PlaybackTick(doc, now));
    EXPECT_EQ(doc.currentFrame, frame);
    EXPECT_EQ(Shown(), frame);
  }
  // The shown picture is a copy: the frame keeps its own.
  EXPECT_NE(doc.currentPicture.data(), doc.frameSet->frame(0).image.data());
  ASSERT_TRUE(doc.frameSet->frame(0).image);
}

TEST_F(PlaybackTest, LastFrameWrapsToFrameZero) {
  Open(3, 5);
  doc.currentFrame = 2;
  ASSERT_TRUE(PlaybackTick(doc, 1050));
  EXPECT_EQ(doc.currentFrame, 0);
  EXPECT_EQ(Shown(), 0);
  // A current frame left beyond the count starts again at frame 0.
  doc.currentFrame = 7;
  ASSERT_TRUE(PlaybackTick(doc, 5000));
  EXPECT_EQ(doc.currentFrame, 0);
}

TEST_F(PlaybackTest, StopStepsOneFrameEachTimeWhileStopped) {
  Open(5, 0);
  StopPlayback(doc);
  EXPECT_EQ(doc.flags & (kFlagStopped | kFlagStep), kFlagStopped);
  EXPECT_FALSE(PlaybackTick(doc, 100000));
  for (int press = 1; press <= 3; ++press) {
    StopPlayback(doc);
    EXPECT_TRUE(doc.flags & kFlagStep);
    uint32_t now = 100000 + press * kPlaybackTickMs;
    EXPECT_TRUE(PlaybackTick(doc, now));
    EXPECT_FALSE(doc.flags & kFlagStep);
    EXPECT_EQ(doc.lastFrameTick, now);
    // Only one frame per press, however long the wait.
    EXPECT_FALSE(PlaybackTick(doc, now + 60000));
    EXPECT_EQ(doc.currentFrame, press);
    EXPECT_EQ(Shown(), press);
  }
  EXPECT_TRUE(doc.flags & kFlagStopped);
  StartPlayback(doc);
  EXPECT_FALSE(doc.flags & kFlagStopped);
  EXPECT_TRUE(PlaybackTick(doc, 200000));
  EXPECT_EQ(doc.currentFrame, 4);
}

TEST_F(PlaybackTest, BusyBitHoldsTheTick) {
  Open(3, 0);
  doc.flags |= kFlagBusy | kFlagStep;
  EXPECT_FALSE(PlaybackTick(doc, 5000));
  EXPECT_EQ(doc.currentFrame, 0);
  EXPECT_TRUE(doc.flags & kFlagStep);  // the step waits for the work to end
  doc.flags &= ~kFlagBusy;
  EXPECT_TRUE(PlaybackTick(doc, 5010));
  EXPECT_EQ(doc.currentFrame, 1);
  EXPECT_FALSE(doc.flags & kFlagStep);
}

TEST_F(PlaybackTest, FrameAnimationsPlaySinglePicturesNever) {
  Open(2, 0, 0, ImageKind::kFrameAnimation);
  EXPECT_TRUE(PlaybackTick(doc, 10));

  for (ImageKind kind : {ImageKind::kGifPicture, ImageKind::kBitmap, ImageKind::kJpeg,
                         ImageKind::kPng, ImageKind::kNone}) {
    DocumentState single;
    ASSERT_TRUE(CreateDocumentContainer(single, 16));
    ASSERT_TRUE(InstallSinglePicture(single, NewPicture(1, 1, 24, 0), kind));
    single.flags |= kFlagStep;
    EXPECT_FALSE(PlaybackTick(single, 100000)) << static_cast<int>(kind);
    EXPECT_EQ(single.currentFrame, 0);
    EXPECT_TRUE(single.flags & kFlagStep);
  }
}

TEST_F(PlaybackTest, JumpDialogMoves) {
  enum Move { kFirst, kPrevious, kNext, kLast, kOk };
  struct Case {
    Move move;
    int32_t typed;
    int32_t edit;   // what the edit box shows afterwards
    int32_t shown;  // 1-based frame shown by the next tick, 0 for none
  } cases[] = {
      {kLast, 1, 10, 10},
      {kLast, 10, 10, 0},
      {kFirst, 5, 1, 1},
      {kFirst, 1, 1, 0},
      {kOk, 25, 25, 10},
      {kOk, 0, 0, 1},
      {kOk, 4, 4, 4},
      {kOk, 1, 1, 1},
      {kPrevious, 5, 4, 4},
      {kPrevious, 2, 1, 1},
      {kPrevious, 1, 1, 0},
      {kNext, 3, 4, 4},
      {kNext, 9, 10, 10},
      {kNext, 10, 10, 0},
      {kNext, 25, 25, 0},
      // Typed values beyond the ends: the move shows the nearest frame and says so.
      {kPrevious, 25, 10, 10},
      {kNext, -3, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "move " << c.move << " typed " << c.typed);
    Open(10, 100);
    StopPlayback(doc);  // the dialog works while playback is stopped
    doc.currentFrame = 6;
    int32_t edit = 0;
    switch (c.move) {
      case kFirst:
        edit = JumpMoves::First(doc, c.typed);
        break;
      case kPrevious:
        edit = JumpMoves::Previous(doc, c.typed);
        break;
      case kNext:
        edit = JumpMoves::Next(doc, c.typed);
        break;
      case kLast:
        edit = JumpMoves::Last(doc, c.typed);
        break;
      case kOk:
        edit = JumpMoves::Ok(doc, c.typed);
        break;
    }
    EXPECT_EQ(edit, c.edit);
    EXPECT_EQ(PlaybackTick(doc, 1001), c.shown != 0);
    EXPECT_EQ(doc.currentFrame, c.shown != 0 ? c.shown - 1 : 6);
    EXPECT_EQ(Shown(), c.shown != 0 ? c.shown - 1 : 0);
    EXPECT_TRUE(doc.flags & kFlagStopped);
  }
}

TEST_F(PlaybackTest, JumpToFirstFrameGoesThroughTheLast) {
  Open(4, 100);
  doc.currentFrame = 2;
  JumpToFrame(doc, 0);
  EXPECT_EQ(doc.currentFrame, 3);
  EXPECT_TRUE(doc.flags & kFlagStep);
  // With nothing to play the jump leaves everything alone.
  DocumentState empty;
  ASSERT_TRUE(CreateDocumentContainer(empty, 16));
  JumpToFrame(empty, 3);
  EXPECT_EQ(JumpMoves::Ok(empty, 3), 3);
  EXPECT_EQ(empty.flags, 0u);
  EXPECT_EQ(empty.currentFrame, 0);
}

TEST_F(PlaybackTest, InvertingTheBackgroundTwiceRestoresIt) {
  Open(2, 0);
  doc.backgroundColor = 0x00332211;  // red 0x11, green 0x22, blue 0x33
  auto entry = [](const PackedDib& p) { return p.ColorTable()[2]; };

  InvertBackgroundColor(doc);
  EXPECT_EQ(doc.backgroundColor, 0x00CCDDEEu);
  const Rgbq inverted{0xCC, 0xDD, 0xEE, 0};
  EXPECT_EQ(entry(doc.currentPicture), inverted);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(entry(doc.frameSet->frame(i).image), inverted);
  EXPECT_EQ(doc.currentPicture.ColorTable()[1], (Rgbq{1, 1, 1, 0}));  // others untouched

  InvertBackgroundColor(doc);
  EXPECT_EQ(doc.backgroundColor, 0x00332211u);
  const Rgbq original{0x33, 0x22, 0x11, 0};
  EXPECT_EQ(entry(doc.currentPicture), original);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(entry(doc.frameSet->frame(i).image), original);
}

}  // namespace
}  // namespace zel
