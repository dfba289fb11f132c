#include "document/playback.h"

#include <gtest/gtest.h>

#include <vector>

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
      // The 32-bit tick counter wraps between the two frames: 40 ms have passed.
      {0xFFFFFFF0u, 0x18, 4, true},
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

// Playback keeps to the frames' own schedule whatever the timer does: a tick that comes a
// little late must not push every later frame back. Frames of 1/15 s are stored as 6 or 7
// hundredths; the timer comes every 10 ms with some jitter, or slower than asked.
TEST_F(PlaybackTest, KeepsTheFramesRateOverManyTicks) {
  struct Case {
    std::vector<int32_t> delays;  // repeated over the frames
    uint32_t periodMs;
    std::vector<uint32_t> jitterMs;  // added to successive ticks, repeated
  } cases[] = {
      {{7}, 10, {0, 3, 1, 4, 2}},
      {{6}, 10, {2, 0, 1}},
      {{6}, 11, {0}},
      {{7, 7, 6}, 10, {1, 0, 3}},
      {{7, 6}, 13, {0, 5}},
  };
  constexpr uint32_t kStart = 1000;
  constexpr uint32_t kPlayMs = 3000;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "period " << c.periodMs << " first delay " << c.delays[0]);
    // Twelve frames, looped, keep the pattern of delays (its length divides 12).
    Open(12, 0, kStart);
    for (int i = 0; i < 12; ++i) doc.frameSet->frame(i).delay = c.delays[i % c.delays.size()];
    int advanced = 0;
    for (uint32_t i = 1;; ++i) {
      const uint32_t now = kStart + i * c.periodMs + c.jitterMs[i % c.jitterMs.size()];
      if (now - kStart > kPlayMs) break;
      if (PlaybackTick(doc, now)) ++advanced;
    }
    // The frames whose delays have run out within the time played.
    int expected = 0;
    for (uint32_t due = 0;; ++expected) {
      due += 10 * static_cast<uint32_t>(c.delays[expected % c.delays.size()]);
      if (due > kPlayMs) break;
    }
    EXPECT_NEAR(advanced, expected, 1);
  }
}

// After a stall (a modal dialog, a busy machine) playback picks up from the frame it was on
// and shows each later frame for its whole delay rather than racing to catch up.
TEST_F(PlaybackTest, StallRestartsTheScheduleInsteadOfRacing) {
  Open(12, 7, 1000);
  ASSERT_TRUE(PlaybackTick(doc, 1073));  // 3 ms late: the schedule stays at 1070
  EXPECT_EQ(doc.lastFrameTick, 1070u);
  EXPECT_TRUE(PlaybackTick(doc, 3000));  // 2 s without a tick
  EXPECT_EQ(doc.currentFrame, 2);
  EXPECT_EQ(doc.lastFrameTick, 3000u);
  for (uint32_t now = 3010; now < 3070; now += kPlaybackTickMs) {
    EXPECT_FALSE(PlaybackTick(doc, now)) << now;
  }
  EXPECT_TRUE(PlaybackTick(doc, 3070));
  EXPECT_EQ(doc.currentFrame, 3);

  // Work in progress holds the ticks; afterwards playback also starts afresh.
  doc.flags |= kFlagBusy;
  EXPECT_FALSE(PlaybackTick(doc, 3500));
  doc.flags &= ~kFlagBusy;
  EXPECT_TRUE(PlaybackTick(doc, 5005));
  EXPECT_FALSE(PlaybackTick(doc, 5070));
  EXPECT_TRUE(PlaybackTick(doc, 5075));
  EXPECT_EQ(doc.currentFrame, 5);
}

// A frame the user asks for (a jump, a step, the frame keys), a restart and a start after a
// stop each begin the schedule from the moment the frame is shown.
TEST_F(PlaybackTest, UserMovesRestartTheSchedule) {
  Open(10, 7, 1000);
  JumpToFrame(doc, 5);
  ASSERT_TRUE(PlaybackTick(doc, 1033));
  EXPECT_EQ(doc.currentFrame, 5);
  EXPECT_EQ(doc.lastFrameTick, 1033u);
  EXPECT_FALSE(PlaybackTick(doc, 1102));
  EXPECT_TRUE(PlaybackTick(doc, 1103));

  RestartPlayback(doc, 2004);
  EXPECT_FALSE(PlaybackTick(doc, 2073));
  EXPECT_TRUE(PlaybackTick(doc, 2074));
  EXPECT_EQ(doc.currentFrame, 1);

  StopPlayback(doc);
  EXPECT_FALSE(PlaybackTick(doc, 4000));
  StartPlayback(doc);
  EXPECT_TRUE(PlaybackTick(doc, 4001));  // the stopped frame has long been due
  EXPECT_EQ(doc.currentFrame, 2);
  EXPECT_FALSE(PlaybackTick(doc, 4070));
  EXPECT_TRUE(PlaybackTick(doc, 4071));
}

// The schedule itself: the next frame starts where the last one's delay ran out unless that
// leaves it already over or far in the past; a delay of 0 lasts until the tick that ends it.
TEST(NextFrameStartTest, KeepsOrRestartsTheSchedule) {
  struct Case {
    uint32_t start;
    int32_t delay;
    int32_t nextDelay;
    uint32_t now;
    uint32_t expected;
  } cases[] = {
      {1000, 7, 7, 1079, 1070},
      {1000, 7, 7, 1139, 1070},  // 69 ms late: still within the next frame
      {1000, 7, 7, 1140, 1140},  // the next frame would already be over
      {1000, 100, 100, 2150, 2150},  // far behind however long the next frame
      {1000, 0, 7, 1010, 1010},
      {1000, -3, 7, 1010, 1010},
      {1000, 7, 0, 1075, 1075},
      {0xFFFFFFF0u, 4, 4, 0x20, 0x18},  // across the wrap-around of the tick counter
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << " + " << c.delay << " at " << c.now);
    EXPECT_EQ(NextFrameStart(c.start, c.delay, c.nextDelay, c.now), c.expected);
  }
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
