#include "document/frame_operations.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/enabling_rules.h"
#include "document/document_state.h"

namespace zel {
namespace {

// An 8-bit 2 x 2 picture whose pixels all hold `fill`, so a frame is known by its pixels.
// Entry 1 is already the default background colour, so undo repainting it changes nothing.
PackedDib Pic(uint8_t fill) {
  std::vector<Rgbq> table(256);
  for (int i = 0; i < 256; ++i) table[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
  table[1] = {0xC0, 0xC0, 0xC0, 0};
  PackedDib p = NewPicture(2, 2, 8, 256, table.data());
  for (int y = 0; y < 2; ++y) std::memset(p.Row(y), fill, 2);
  return p;
}

int FillOf(const PackedDib& p) {
  return p ? p.Row(0)[0] : -1;
}

struct AnimShape {
  char kind = 'a';
  int count = 5;
  int cur = 0;
  int frameMax = 256;
};

// An animation of `count` frames: frame i shows fill i, waits 10 (i + 1) and has its own
// left position in every slot (left never moves with the frames).
std::unique_ptr<DocumentState> MakeAnim(const AnimShape& shape) {
  auto doc = std::make_unique<DocumentState>();
  EXPECT_TRUE(CreateDocumentContainer(*doc, shape.frameMax));
  doc->undo.Reset();
  doc->kind = static_cast<ImageKind>(shape.kind);
  FrameSet& frames = *doc->frameSet;
  frames.transparentIndex = 1;
  for (int i = 0; i <= frames.capacity(); ++i) frames.frame(i).left = 1000 + i;
  for (int i = 0; i < shape.count; ++i) {
    frames.frame(i).image = Pic(static_cast<uint8_t>(i));
    frames.frame(i).delay = 10 * (i + 1);
  }
  frames.count = shape.count;
  doc->currentFrame = shape.cur;
  doc->flags = kFlagStopped;
  doc->lastFrameTick = 42;
  if (shape.cur >= 0 && shape.cur < shape.count) {
    SetCurrentPicture(*doc, DuplicateBlock(frames.frame(shape.cur).image));
  } else {
    SetCurrentPicture(*doc, Pic(200));
  }
  return doc;
}

std::vector<int> Fills(const DocumentState& doc) {
  std::vector<int> fills;
  for (int i = 0; i < doc.frameSet->count; ++i)
    fills.push_back(FillOf(doc.frameSet->frame(i).image));
  return fills;
}

std::vector<uint8_t> Bytes(const PackedDib& p) {
  return p ? std::vector<uint8_t>(p.data(), p.data() + p.size()) : std::vector<uint8_t>{};
}

// Everything an operation may change; undo restores all of it but the current frame.
struct Shot {
  ImageKind kind;
  int32_t count;
  int32_t transparentIndex;
  std::vector<std::vector<uint8_t>> images;
  std::vector<int32_t> delays;
  std::vector<int32_t> lefts;
  std::vector<uint8_t> shown;
  bool operator==(const Shot&) const = default;
};

Shot Capture(const DocumentState& doc) {
  const FrameSet& frames = *doc.frameSet;
  Shot s{doc.kind, frames.count, frames.transparentIndex, {}, {}, {}, Bytes(doc.currentPicture)};
  for (int i = 0; i < frames.count; ++i) {
    s.images.push_back(Bytes(frames.frame(i).image));
    s.delays.push_back(frames.frame(i).delay);
  }
  for (int i = 0; i <= frames.capacity(); ++i) s.lefts.push_back(frames.frame(i).left);
  return s;
}

using Operation = std::function<Outcome(DocumentState&)>;
const Operation kDeleteCurrent = DeleteCurrentFrame;
const Operation kDeleteBefore = DeleteFramesBefore;
const Operation kDeleteAfter = DeleteFramesAfter;
const Operation kInsertCopy = InsertFrameCopy;
const Operation kConvert = ConvertToPicture;
const Operation kMakeFirst = MakeCurrentFrameFirst;
const Operation kRepeat = RepeatAnimation;
const Operation kReverse = [](DocumentState& doc) { return ReverseAnimation(doc, 777); };
Operation Move(int from, int to) {
  return [from, to](DocumentState& doc) { return MoveFrameTo(doc, from, to); };
}

struct ReorderCase {
  std::string name;
  AnimShape shape;
  Operation op;
  std::vector<int> fills;  // the frames afterwards, by their original numbers
  int cur;
  int shown;      // the frame the current picture shows
  bool installs;  // the operation installs a new current picture
  bool undoable;
};

void PrintTo(const ReorderCase& c, std::ostream* os) {
  *os << c.name;
}

class FrameOperationsReorder : public ::testing::TestWithParam<ReorderCase> {};

TEST_P(FrameOperationsReorder, MovesPicturesAndDelaysAndUndoRestores) {
  const ReorderCase& c = GetParam();
  std::unique_ptr<DocumentState> doc = MakeAnim(c.shape);
  const Shot before = Capture(*doc);
  const int oldCount = doc->frameSet->count;
  std::vector<bool> busyAtInstall;
  doc->pictureChanged = [&] { busyAtInstall.push_back((doc->flags & kFlagBusy) != 0); };
  const uint64_t revisionBefore = doc->revision;
  int notified = 0;
  doc->observers.Subscribe([&](DocumentEvent) { ++notified; });

  ASSERT_TRUE(c.op(*doc).done());
  EXPECT_NE(doc->revision, revisionBefore);
  EXPECT_EQ(notified, 1);  // one commit, one notice
  EXPECT_FALSE(IsDocumentBusy(*doc));
  EXPECT_EQ(Fills(*doc), c.fills);
  EXPECT_EQ(doc->currentFrame, c.cur);
  EXPECT_EQ(FillOf(doc->currentPicture), c.shown);
  EXPECT_EQ(doc->kind, ImageKind::kGifAnimation);
  EXPECT_EQ(doc->flags & kFlagBusy, 0u);
  EXPECT_EQ(busyAtInstall, std::vector<bool>(c.installs ? 1 : 0, true));
  const FrameSet& frames = *doc->frameSet;
  for (int i = 0; i < frames.count; ++i) {
    // Delays travel with their pictures; the other fields stay with the slot.
    EXPECT_EQ(frames.frame(i).delay, 10 * (c.fills[i] + 1)) << i;
    // Each slot owns its own block: the current picture and copies are separate.
    EXPECT_NE(frames.frame(i).image.data(), doc->currentPicture.data()) << i;
    for (int j = 0; j < i; ++j)
      EXPECT_NE(frames.frame(i).image.data(), frames.frame(j).image.data());
  }
  for (int i = frames.count; i < oldCount; ++i) EXPECT_FALSE(frames.frame(i).image) << i;
  EXPECT_EQ(Capture(*doc).lefts, before.lefts);

  EXPECT_EQ(doc->undo.CanUndo(), c.undoable);
  if (c.undoable) {
    ASSERT_TRUE(doc->undo.Undo(*doc));
    EXPECT_EQ(Capture(*doc), before);
    EXPECT_EQ(doc->revision, revisionBefore);  // the state it had, so nothing is unsaved
    EXPECT_FALSE(doc->undo.CanUndo());
  }
}

std::vector<int> Range(int from, int to) {
  std::vector<int> v;
  for (int i = from; i < to; ++i) v.push_back(i);
  return v;
}

INSTANTIATE_TEST_SUITE_P(
    FrameOperations, FrameOperationsReorder,
    ::testing::Values(
        ReorderCase{
            "DeleteMiddle", {.count = 5, .cur = 2}, kDeleteCurrent, {0, 1, 3, 4}, 2, 3, true, true},
        ReorderCase{"DeleteLastCurrent",
                    {.count = 5, .cur = 4},
                    kDeleteCurrent,
                    {0, 1, 2, 3},
                    0,
                    0,
                    true,
                    true},
        ReorderCase{
            "DeleteFirstOfThree", {.count = 3, .cur = 0}, kDeleteCurrent, {1, 2}, 0, 1, true, true},
        ReorderCase{
            "DeleteBefore", {.count = 10, .cur = 3}, kDeleteBefore, Range(3, 10), 0, 3, true, true},
        ReorderCase{
            "DeleteAfter", {.count = 10, .cur = 3}, kDeleteAfter, Range(0, 4), 3, 3, true, true},
        ReorderCase{"InsertCopyOfFirst",
                    {.count = 3, .cur = 0},
                    kInsertCopy,
                    {0, 0, 1, 2},
                    0,
                    0,
                    false,
                    true},
        ReorderCase{"InsertCopyOfLast",
                    {.count = 3, .cur = 2},
                    kInsertCopy,
                    {0, 1, 2, 2},
                    2,
                    2,
                    false,
                    true},
        ReorderCase{
            "MakeFirst", {.count = 5, .cur = 2}, kMakeFirst, {2, 3, 4, 0, 1}, 0, 2, false, true},
        ReorderCase{"MakeLastFirst",
                    {.count = 5, .cur = 4},
                    kMakeFirst,
                    {4, 0, 1, 2, 3},
                    0,
                    4,
                    false,
                    true},
        ReorderCase{
            "Repeat", {.count = 3, .cur = 1}, kRepeat, {0, 1, 2, 0, 1, 2}, 1, 1, false, true},
        ReorderCase{"Reverse", {.count = 4, .cur = 1}, kReverse, {3, 2, 1, 0}, 0, 3, true, true},
        // Moving a frame: the shown picture stays and the current frame follows it.
        ReorderCase{"MoveCurrentForward",
                    {.count = 5, .cur = 1},
                    Move(1, 3),
                    {0, 2, 3, 1, 4},
                    3,
                    1,
                    false,
                    true},
        ReorderCase{"MoveLastToFront",
                    {.count = 5, .cur = 2},
                    Move(4, 0),
                    {4, 0, 1, 2, 3},
                    3,
                    2,
                    false,
                    true},
        ReorderCase{"MoveFirstToEnd",
                    {.count = 5, .cur = 4},
                    Move(0, 4),
                    {1, 2, 3, 4, 0},
                    3,
                    4,
                    false,
                    true},
        ReorderCase{"MoveBackOverCurrent",
                    {.count = 5, .cur = 2},
                    Move(3, 1),
                    {0, 3, 1, 2, 4},
                    3,
                    2,
                    false,
                    true},
        ReorderCase{"MoveBehindCurrent",
                    {.count = 5, .cur = 0},
                    Move(2, 4),
                    {0, 1, 3, 4, 2},
                    0,
                    0,
                    false,
                    true},
        ReorderCase{"SwapTwo", {.count = 2, .cur = 0}, Move(0, 1), {1, 0}, 1, 0, false, true}),
    [](const auto& info) { return info.param.name; });

// Deleting a frame of a two-frame animation, or converting, leaves one picture.
struct ReduceCase {
  std::string name;
  char kind;
  int count;
  int cur;
  Operation op;
  ImageKind kindAfter;
  int shown;
};

void PrintTo(const ReduceCase& c, std::ostream* os) {
  *os << c.name;
}

class FrameOperationsReduce : public ::testing::TestWithParam<ReduceCase> {};

TEST_P(FrameOperationsReduce, LeavesOnePictureAndUndoBringsTheFramesBack) {
  const ReduceCase& c = GetParam();
  std::unique_ptr<DocumentState> doc = MakeAnim({.kind = c.kind, .count = c.count, .cur = c.cur});
  const Shot before = Capture(*doc);
  bool busyAtInstall = false;
  doc->pictureChanged = [&] { busyAtInstall = (doc->flags & kFlagBusy) != 0; };

  ASSERT_TRUE(c.op(*doc).done());
  EXPECT_EQ(doc->kind, c.kindAfter);
  EXPECT_EQ(doc->frameSet->count, 0);
  for (int i = 0; i < c.count; ++i) EXPECT_FALSE(doc->frameSet->frame(i).image) << i;
  EXPECT_EQ(FillOf(doc->currentPicture), c.shown);
  EXPECT_TRUE(busyAtInstall);
  EXPECT_EQ(doc->flags & kFlagBusy, 0u);

  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_EQ(Capture(*doc), before);
}

INSTANTIATE_TEST_SUITE_P(
    FrameOperations, FrameOperationsReduce,
    ::testing::Values(
        ReduceCase{"DeleteFirstOfTwoGif", 'a', 2, 0, kDeleteCurrent, ImageKind::kGifPicture, 1},
        ReduceCase{"DeleteSecondOfTwoGif", 'a', 2, 1, kDeleteCurrent, ImageKind::kGifPicture, 0},
        ReduceCase{"DeleteOfTwoFrameBitmap", 'f', 2, 1, kDeleteCurrent, ImageKind::kBitmap, 0},
        ReduceCase{"ConvertGif", 'a', 4, 2, kConvert, ImageKind::kGifPicture, 2},
        ReduceCase{"ConvertFrameBitmap", 'f', 3, 0, kConvert, ImageKind::kBitmap, 0}),
    [](const auto& info) { return info.param.name; });

// An operation whose precondition fails, or that cannot make its copies, changes nothing
// and takes no snapshot.
struct RefuseCase {
  std::string name;
  AnimShape shape;
  Operation op;
  bool allowed;
  int nullFrame = -1;  // a frame whose picture is missing, as when a copy cannot be made
};

void PrintTo(const RefuseCase& c, std::ostream* os) {
  *os << c.name;
}

class FrameOperationsRefuse : public ::testing::TestWithParam<RefuseCase> {};

TEST_P(FrameOperationsRefuse, FailedPreconditionChangesNothing) {
  const RefuseCase& c = GetParam();
  std::unique_ptr<DocumentState> doc = MakeAnim(c.shape);
  if (c.nullFrame >= 0) doc->frameSet->frame(c.nullFrame).image.Reset();
  const Shot before = Capture(*doc);
  const int32_t cur = doc->currentFrame;

  const uint64_t revisionBefore = doc->revision;
  EXPECT_EQ(c.op(*doc).done(), c.allowed);
  if (c.allowed) return;
  EXPECT_EQ(doc->revision, revisionBefore);
  if (c.allowed) return;
  EXPECT_EQ(Capture(*doc), before);
  EXPECT_EQ(doc->currentFrame, cur);
  EXPECT_EQ(doc->flags, uint32_t{kFlagStopped});
  EXPECT_EQ(doc->lastFrameTick, 42u);
  EXPECT_FALSE(doc->undo.CanUndo());
}

INSTANTIATE_TEST_SUITE_P(
    FrameOperations, FrameOperationsRefuse,
    ::testing::Values(
        RefuseCase{
            "DeleteSinglePicture", {.kind = 'g', .count = 0, .cur = 0}, kDeleteCurrent, false},
        RefuseCase{"DeleteOneFrame", {.count = 1, .cur = 0}, kDeleteCurrent, false},
        RefuseCase{"DeleteCurrentOutOfRange", {.count = 4, .cur = 4}, kDeleteCurrent, false},
        RefuseCase{"DeleteNegativeCurrent", {.count = 4, .cur = -1}, kDeleteCurrent, false},
        RefuseCase{"BeforeWithCurrentOne", {.count = 6, .cur = 1}, kDeleteBefore, false},
        RefuseCase{"BeforeWithCurrentTwo", {.count = 6, .cur = 2}, kDeleteBefore, true},
        RefuseCase{"AfterWithSecondToLast", {.count = 6, .cur = 4}, kDeleteAfter, false},
        RefuseCase{"AfterWithThirdToLast", {.count = 6, .cur = 3}, kDeleteAfter, true},
        RefuseCase{
            "InsertAtFrameMaxLessOne", {.count = 15, .cur = 0, .frameMax = 16}, kInsertCopy, false},
        RefuseCase{"InsertBelowFrameMaxLessOne",
                   {.count = 14, .cur = 0, .frameMax = 16},
                   kInsertCopy,
                   true},
        RefuseCase{"InsertIntoPicture", {.kind = 'b', .count = 3, .cur = 0}, kInsertCopy, false},
        RefuseCase{"ConvertPicture", {.kind = 'j', .count = 0, .cur = 0}, kConvert, false},
        RefuseCase{"FirstWithFirstCurrent", {.count = 5, .cur = 0}, kMakeFirst, false},
        RefuseCase{"RepeatOneFrame", {.count = 1, .cur = 0}, kRepeat, false},
        RefuseCase{"RepeatAtHalfOf16", {.count = 8, .cur = 0, .frameMax = 16}, kRepeat, false},
        RefuseCase{"RepeatBelowHalfOf16", {.count = 7, .cur = 0, .frameMax = 16}, kRepeat, true},
        RefuseCase{"RepeatAtHalfOf256", {.count = 128, .cur = 0}, kRepeat, false},
        RefuseCase{"RepeatBelowHalfOf256", {.count = 127, .cur = 0}, kRepeat, true},
        RefuseCase{"ReversePicture", {.kind = 'g', .count = 0, .cur = 0}, kReverse, false},
        // The copy each operation needs is made before anything moves.
        RefuseCase{"DeleteWithoutNextPicture", {.count = 4, .cur = 1}, kDeleteCurrent, false, 2},
        RefuseCase{"DeleteOfTwoWithoutOther", {.count = 2, .cur = 0}, kDeleteCurrent, false, 1},
        RefuseCase{"BeforeWithoutCurrentPicture", {.count = 6, .cur = 3}, kDeleteBefore, false, 3},
        RefuseCase{"AfterWithoutCurrentPicture", {.count = 6, .cur = 2}, kDeleteAfter, false, 2},
        RefuseCase{"InsertWithoutCurrentPicture", {.count = 3, .cur = 1}, kInsertCopy, false, 1},
        RefuseCase{"ConvertWithoutCurrentPicture", {.count = 3, .cur = 1}, kConvert, false, 1},
        RefuseCase{"RepeatWithAMissingPicture", {.count = 4, .cur = 0}, kRepeat, false, 3},
        RefuseCase{"ReverseWithoutLastPicture", {.count = 4, .cur = 0}, kReverse, false, 3},
        RefuseCase{"MoveOntoItself", {.count = 4, .cur = 0}, Move(2, 2), false},
        RefuseCase{"MoveBeyondTheEnd", {.count = 4, .cur = 0}, Move(1, 4), false},
        RefuseCase{"MoveFromBeyondTheEnd", {.count = 4, .cur = 0}, Move(4, 1), false},
        RefuseCase{"MoveNegative", {.count = 4, .cur = 0}, Move(-1, 1), false},
        RefuseCase{"MoveInPicture", {.kind = 'g', .count = 0, .cur = 0}, Move(0, 1), false},
        RefuseCase{"MoveOneFrame", {.count = 1, .cur = 0}, Move(0, 0), false}),
    [](const auto& info) { return info.param.name; });

TEST(FrameOperations, RepeatFillsUpToJustBelowFrameMax) {
  std::unique_ptr<DocumentState> doc = MakeAnim({.count = 127, .cur = 5});
  ASSERT_TRUE(RepeatAnimation(*doc).done());
  ASSERT_EQ(doc->frameSet->count, 254);
  EXPECT_EQ(FillOf(doc->frameSet->frame(253).image), 126);
  EXPECT_EQ(doc->frameSet->frame(253).delay, 1270);
  EXPECT_EQ(doc->currentFrame, 5);
  EXPECT_FALSE(CanRepeatAnimation(*doc));
}

TEST(FrameOperations, ReverseRestartsPlaybackAndCanBeUndone) {
  std::unique_ptr<DocumentState> doc = MakeAnim({.kind = 'f', .count = 3, .cur = 2});
  doc->flags = kFlagStopped | kFlagStep | kFlagLoaded;
  ASSERT_TRUE(ReverseAnimation(*doc, 9000).done());
  EXPECT_EQ(doc->flags, uint32_t{kFlagLoaded});
  EXPECT_EQ(doc->lastFrameTick, 9000u);
  EXPECT_EQ(doc->currentFrame, 0);
  EXPECT_EQ(Fills(*doc), (std::vector<int>{2, 1, 0}));
  EXPECT_TRUE(doc->undo.CanUndo());
  // Twice reversed is the original order again.
  ASSERT_TRUE(ReverseAnimation(*doc, 9100).done());
  EXPECT_EQ(Fills(*doc), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(FillOf(doc->currentPicture), 0);
}

TEST(FrameOperations, SeveralOperationsUndoOneByOne) {
  std::unique_ptr<DocumentState> doc = MakeAnim({.count = 6, .cur = 2});
  const Shot first = Capture(*doc);
  ASSERT_TRUE(InsertFrameCopy(*doc).done());  // 0 1 2 2 3 4 5
  const Shot second = Capture(*doc);
  doc->currentFrame = 4;
  ASSERT_TRUE(MakeCurrentFrameFirst(*doc).done());  // 3 4 5 0 1 2 2
  EXPECT_EQ(Fills(*doc), (std::vector<int>{3, 4, 5, 0, 1, 2, 2}));
  doc->currentFrame = 3;
  ASSERT_TRUE(DeleteFramesAfter(*doc).done());  // 3 4 5 0
  EXPECT_EQ(Fills(*doc), (std::vector<int>{3, 4, 5, 0}));
  ASSERT_TRUE(ConvertToPicture(*doc).done());
  EXPECT_EQ(doc->kind, ImageKind::kGifPicture);

  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_EQ(Fills(*doc), (std::vector<int>{3, 4, 5, 0}));
  EXPECT_EQ(doc->kind, ImageKind::kGifAnimation);
  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_EQ(Fills(*doc), (std::vector<int>{3, 4, 5, 0, 1, 2, 2}));
  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_EQ(Capture(*doc), second);
  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_EQ(Capture(*doc), first);
  EXPECT_FALSE(doc->undo.CanUndo());
}

// A drop in front of frame d (d = count: behind the last) moves the dragged frame to the
// place the drop shows; dropping next to itself is no move.
TEST(FrameOperations, DropPlaceGivesTheMoveTarget) {
  struct Case {
    int from, dropBefore, count, to;
  } cases[] = {
      {1, 0, 5, 0},  {1, 1, 5, -1},  {1, 2, 5, -1}, {1, 3, 5, 2},   {1, 5, 5, 4},
      {4, 0, 5, 0},  {4, 4, 5, -1},  {4, 5, 5, -1}, {0, 5, 5, 4},   {3, 1, 5, 1},
      {5, 0, 5, -1}, {-1, 0, 5, -1}, {0, 6, 5, -1}, {0, -1, 5, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MoveTargetForDrop(c.from, c.dropBefore, c.count), c.to)
        << c.from << " before " << c.dropBefore;
  }
  // Every drop place of a 4-frame animation, carried out, puts the frame where it was shown.
  for (int from = 0; from < 4; ++from) {
    for (int drop = 0; drop <= 4; ++drop) {
      std::vector<int> expected = Range(0, 4);
      expected.insert(expected.begin() + drop, from);
      expected.erase(expected.begin() + (drop <= from ? from + 1 : from));
      std::unique_ptr<DocumentState> doc = MakeAnim({.count = 4, .cur = 0});
      const int to = MoveTargetForDrop(from, drop, 4);
      if (to >= 0) {
        ASSERT_TRUE(MoveFrameTo(*doc, from, to).done());
      }
      EXPECT_EQ(Fills(*doc), expected) << from << " before " << drop;
    }
  }
}

// Moving frames, then undo and redo walk back and forth through the orders.
TEST(FrameOperations, MovesUndoAndRedo) {
  std::unique_ptr<DocumentState> doc = MakeAnim({.count = 4, .cur = 0});
  ASSERT_TRUE(MoveFrameTo(*doc, 0, 3).done());  // 1 2 3 0
  ASSERT_TRUE(MoveFrameTo(*doc, 2, 0).done());  // 3 1 2 0
  EXPECT_EQ(Fills(*doc), (std::vector<int>{3, 1, 2, 0}));
  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_EQ(Fills(*doc), (std::vector<int>{1, 2, 3, 0}));
  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_EQ(Fills(*doc), (std::vector<int>{0, 1, 2, 3}));
  ASSERT_TRUE(doc->undo.Redo(*doc));
  EXPECT_EQ(Fills(*doc), (std::vector<int>{1, 2, 3, 0}));
  EXPECT_EQ(doc->currentFrame, 3);
  ASSERT_TRUE(doc->undo.Redo(*doc));
  EXPECT_EQ(Fills(*doc), (std::vector<int>{3, 1, 2, 0}));
  EXPECT_FALSE(doc->undo.CanRedo());
}

// The table's rules enable the commands; the operations check their own preconditions.
// Where a rule and a precondition speak of the same thing they must agree.
TEST(FrameOperations, PreconditionsAgreeWithEnablingRules) {
  for (char kind : {'a', 'f', 'g'}) {
    for (int count : {1, 2, 3, 5, 7, 8}) {
      for (int cur = 0; cur < count; ++cur) {
        for (bool stopped : {true, false}) {
          std::unique_ptr<DocumentState> doc = MakeAnim(
              {.kind = kind, .count = kind == 'g' ? 0 : count, .cur = cur, .frameMax = 16});
          if (!stopped) doc->flags = 0;
          CommandContext ctx{.doc = doc.get()};
          const std::string where = std::string(1, kind) + " n=" + std::to_string(count) +
                                    " cur=" + std::to_string(cur) + (stopped ? " stopped" : "");
          EXPECT_EQ(CanRepeatAnimation(*doc), IsCommandEnabled(kCmdRepeatAnimation, ctx)) << where;
          EXPECT_EQ(CanReverseAnimation(*doc), IsCommandEnabled(kCmdReverse, ctx)) << where;
          EXPECT_EQ(CanMakeCurrentFrameFirst(*doc) && stopped,
                    IsCommandEnabled(kCmdMakeFirstFrame, ctx))
              << where;
          EXPECT_EQ(CanConvertToPicture(*doc) && stopped,
                    IsCommandEnabled(kCmdConvertToPicture, ctx))
              << where;
          // Enabled commands whose operation may still refuse: one frame, or a full set.
          if (CanDeleteFrames(*doc) && stopped) {
            EXPECT_TRUE(IsCommandEnabled(kCmdDeleteFrames, ctx)) << where;
          }
          if (CanInsertFrameCopy(*doc) && stopped) {
            EXPECT_TRUE(IsCommandEnabled(kCmdInsertFrame, ctx)) << where;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace zel
