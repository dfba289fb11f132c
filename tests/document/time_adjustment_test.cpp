#include "document/time_adjustment.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/document_state.h"

namespace zel {
namespace {

// A playing animation whose frames wait the given times.
std::unique_ptr<DocumentState> MakeAnim(const std::vector<int32_t>& delays) {
  auto doc = std::make_unique<DocumentState>();
  EXPECT_TRUE(CreateDocumentContainer(*doc, 256));
  doc->kind = ImageKind::kGifAnimation;
  FrameSet& frames = *doc->frameSet;
  for (size_t i = 0; i < delays.size(); ++i) {
    frames.frame(static_cast<int>(i)).image = NewPicture(2, 2, 8, 4);
    frames.frame(static_cast<int>(i)).delay = delays[i];
  }
  frames.count = static_cast<int32_t>(delays.size());
  // A stale delay behind the last frame must never be touched.
  frames.frame(frames.count).delay = 4242;
  return doc;
}

std::vector<int32_t> Delays(const DocumentState& doc) {
  std::vector<int32_t> delays;
  for (int i = 0; i < doc.frameSet->count; ++i) delays.push_back(doc.frameSet->frame(i).delay);
  return delays;
}

TEST(TimeAdjustment, SecondsText) {
  const struct {
    int64_t hundredths;
    const char* text;
  } cases[] = {{0, "0.00"}, {8, "0.08"}, {250, "2.50"}, {123456, "1234.56"}, {-5, "-0.05"}};
  for (const auto& c : cases) EXPECT_EQ(SecondsText(c.hundredths), c.text) << c.hundredths;
}

TEST(TimeAdjustment, SliderRangeFollowsTheTotal) {
  const struct {
    std::vector<int32_t> delays;
    int32_t maximum;
    std::string text;
  } cases[] = {
      {{5, 3}, 100, "0.08"},       // total 8, below 10
      {{0, 0}, 100, "0.00"},       // total 0
      {{4, 5}, 100, "0.09"},       // total 9
      {{4, 6}, 50, "0.10"},        // total 10: five times the total
      {{100, 100}, 1000, "2.00"},  // total 200
      {{7, 13, 30}, 250, "0.50"},  // total 50
  };
  for (const auto& c : cases) {
    std::unique_ptr<DocumentState> doc = MakeAnim(c.delays);
    SliderTimeModel slider(*doc);
    EXPECT_TRUE(slider.Usable());
    EXPECT_EQ(slider.Maximum(), c.maximum) << c.text;
    EXPECT_EQ(slider.Position(), slider.saved().Total()) << c.text;
    EXPECT_EQ(slider.Text(), c.text);
  }
}

TEST(TimeAdjustment, SliderScalesEveryDelayAndCancelRestoresExactly) {
  const std::vector<int32_t> original{10, 25, 7};  // total 42
  std::unique_ptr<DocumentState> doc = MakeAnim(original);
  SliderTimeModel slider(*doc);
  const struct {
    int32_t position;
    std::vector<int32_t> delays;
    std::string text;
  } moves[] = {
      {84, {20, 50, 14}, "0.84"},   {21, {5, 12, 3}, "0.21"},  // 12.5 and 3.5 truncate
      {43, {10, 25, 7}, "0.43"},                               // 10.238, 25.595, 7.166
      {210, {50, 125, 35}, "2.10"},                            // the top of the range
      {500, {50, 125, 35}, "2.10"},                            // beyond the range: held at the top
      {1, {0, 0, 0}, "0.01"},       {0, {0, 0, 0}, "0.00"},
  };
  for (const auto& m : moves) {
    slider.MoveTo(m.position);
    EXPECT_EQ(Delays(*doc), m.delays) << m.position;
    EXPECT_EQ(slider.Text(), m.text) << m.position;
  }
  EXPECT_EQ(doc->frameSet->frame(3).delay, 4242);
  slider.Cancel();
  EXPECT_EQ(Delays(*doc), original);
  EXPECT_EQ(slider.Position(), 42);
}

TEST(TimeAdjustment, SliderWithZeroTotalSetsZero) {
  std::unique_ptr<DocumentState> doc = MakeAnim({0, 0, 0});
  SliderTimeModel slider(*doc);
  slider.MoveTo(60);
  EXPECT_EQ(slider.Text(), "0.60");
  EXPECT_EQ(Delays(*doc), (std::vector<int32_t>{0, 0, 0}));
}

TEST(TimeAdjustment, OneFrameIsNotUsable) {
  std::unique_ptr<DocumentState> doc = MakeAnim({30});
  EXPECT_FALSE(SliderTimeModel(*doc).Usable());
  EXPECT_FALSE(DetailedTimeModel(*doc).Usable());
  std::unique_ptr<DocumentState> two = MakeAnim({30, 40});
  EXPECT_TRUE(SliderTimeModel(*two).Usable());
  EXPECT_TRUE(DetailedTimeModel(*two).Usable());
}

TEST(TimeAdjustment, TypedTimesAreClamped) {
  const struct {
    std::string typed;
    std::string shown;
    int32_t delay;
  } cases[] = {
      {"1500", "1000", 1000},
      {"-3", "0", 0},
      {"250", "250", 250},
      {"1000", "1000", 1000},
      {"1001", "1000", 1000},
      {"0", "0", 0},
      {"-0", "-0", 0},
      {"007", "007", 7},
      {"12abc", "12abc", 12},
      // Text without a number reads as 0 and is left for the user to go on typing.
      {"", "", 0},
      {"abc", "abc", 0},
      {"-", "-", 0},
      // Only seven characters are read: 1234567 is above 1000.
      {"12345678", "1000", 1000},
      {"0000005000", "0000005", 5},
  };
  for (const auto& c : cases) {
    std::unique_ptr<DocumentState> doc = MakeAnim({100, 200, 300});
    DetailedTimeModel model(*doc);
    EXPECT_EQ(model.TypeTime(1, c.typed), c.shown) << c.typed;
    EXPECT_EQ(Delays(*doc), (std::vector<int32_t>{100, c.delay, 300})) << c.typed;
    EXPECT_EQ(model.DelayOfColumn(1), c.delay);
    EXPECT_EQ(model.TotalText(), SecondsText(400 + c.delay)) << c.typed;
  }
}

TEST(TimeAdjustment, ColumnsBeyondTheLastFrameAreEmptyAndDisabled) {
  std::unique_ptr<DocumentState> doc = MakeAnim({10, 20, 30});
  DetailedTimeModel model(*doc);
  EXPECT_EQ(model.Count(), 3);
  const std::vector<bool> enabled{true, true, true, false, false};
  const std::vector<std::string> numbers{"1", "2", "3", "", ""};
  const std::vector<int32_t> delays{10, 20, 30, -1, -1};
  for (int c = 0; c < DetailedTimeModel::kColumns; ++c) {
    EXPECT_EQ(model.ColumnEnabled(c), enabled[c]) << c;
    EXPECT_EQ(model.NumberText(c), numbers[c]) << c;
    EXPECT_EQ(model.DelayOfColumn(c), delays[c]) << c;
    EXPECT_EQ(model.FrameOfColumn(c), c < 3 ? c : -1) << c;
  }
  EXPECT_EQ(model.TotalText(), "0.60");
  // Writing into an empty column changes nothing, not even the stale record behind.
  EXPECT_EQ(model.TypeTime(3, "50"), "");
  model.SetTime(4, 50);
  EXPECT_EQ(Delays(*doc), (std::vector<int32_t>{10, 20, 30}));
  EXPECT_EQ(doc->frameSet->frame(3).delay, 4242);
  EXPECT_EQ(model.FrameOfColumn(-1), -1);
  EXPECT_EQ(model.FrameOfColumn(5), -1);

  std::unique_ptr<DocumentState> seven = MakeAnim(std::vector<int32_t>(7, 5));
  DetailedTimeModel wide(*seven);
  for (int c = 0; c < DetailedTimeModel::kColumns; ++c) EXPECT_TRUE(wide.ColumnEnabled(c));
}

TEST(TimeAdjustment, NavigationNeedsSixFrames) {
  std::unique_ptr<DocumentState> five = MakeAnim(std::vector<int32_t>(5, 10));
  DetailedTimeModel small(*five);
  EXPECT_FALSE(small.Forward());
  EXPECT_FALSE(small.ToLast());
  EXPECT_FALSE(small.Back());
  EXPECT_FALSE(small.ToFirst());
  EXPECT_EQ(small.FirstShown(), 0);

  std::unique_ptr<DocumentState> seven = MakeAnim({1, 2, 3, 4, 5, 6, 7});
  DetailedTimeModel model(*seven);
  auto numbers = [&] {
    std::string s;
    for (int c = 0; c < DetailedTimeModel::kColumns; ++c) s += model.NumberText(c);
    return s;
  };
  EXPECT_EQ(numbers(), "12345");
  EXPECT_FALSE(model.Back());
  EXPECT_FALSE(model.ToFirst());
  EXPECT_TRUE(model.ToLast());
  EXPECT_EQ(model.FirstShown(), 2);
  EXPECT_EQ(numbers(), "34567");
  EXPECT_EQ(model.DelayOfColumn(4), 7);
  EXPECT_FALSE(model.Forward());
  EXPECT_FALSE(model.ToLast());
  EXPECT_TRUE(model.Back());
  EXPECT_EQ(numbers(), "23456");
  EXPECT_TRUE(model.ToFirst());
  EXPECT_EQ(model.FirstShown(), 0);
  EXPECT_TRUE(model.Forward());
  EXPECT_TRUE(model.Forward());
  EXPECT_FALSE(model.Forward());
  EXPECT_EQ(numbers(), "34567");

  std::unique_ptr<DocumentState> six = MakeAnim(std::vector<int32_t>(6, 10));
  DetailedTimeModel edge(*six);
  EXPECT_TRUE(edge.Forward());
  EXPECT_FALSE(edge.Forward());
  EXPECT_EQ(edge.NumberText(4), "6");
}

TEST(TimeAdjustment, DetailedCancelRestoresExactly) {
  const std::vector<int32_t> original{3, 0, 999, 1, 65535, 8, 70};
  std::unique_ptr<DocumentState> doc = MakeAnim(original);
  DetailedTimeModel model(*doc);
  model.TypeTime(0, "1500");
  model.SetTime(2, 5000);  // spins stay within 0..1000 too
  EXPECT_EQ(model.DelayOfColumn(2), 1000);
  model.SetTime(1, -7);
  EXPECT_EQ(model.DelayOfColumn(1), 0);
  model.ToLast();
  model.TypeTime(4, "12");
  model.SetTime(3, 44);
  EXPECT_EQ(Delays(*doc), (std::vector<int32_t>{1000, 0, 1000, 1, 65535, 44, 12}));
  EXPECT_EQ(model.TotalText(), SecondsText(1000 + 1000 + 1 + 65535 + 44 + 12));
  model.Cancel();
  EXPECT_EQ(Delays(*doc), original);
  EXPECT_EQ(model.saved().delays(), original);
}

// Switching forms puts the times back before the other form reads them.
TEST(TimeAdjustment, SwitchingFormsStartsFromTheOldTimes) {
  const std::vector<int32_t> original{12, 34, 56};
  std::unique_ptr<DocumentState> doc = MakeAnim(original);
  {
    SliderTimeModel slider(*doc);
    slider.MoveTo(300);
    slider.MoveTo(17);
    ASSERT_NE(Delays(*doc), original);
    slider.Cancel();
  }
  DetailedTimeModel detailed(*doc);
  EXPECT_EQ(detailed.saved().delays(), original);
  detailed.TypeTime(2, "700");
  detailed.Cancel();
  SliderTimeModel again(*doc);
  EXPECT_EQ(again.saved().delays(), original);
  EXPECT_EQ(again.Position(), 102);
}

TEST(TimeAdjustment, OkKeepsTheNewTimes) {
  std::unique_ptr<DocumentState> doc = MakeAnim({100, 100});
  {
    SliderTimeModel slider(*doc);
    slider.MoveTo(100);
  }
  EXPECT_EQ(Delays(*doc), (std::vector<int32_t>{50, 50}));
}

// The forms change the delays live without an edit; OK ("変更") keeps them as one undoable
// step, Cancel puts every delay back and leaves nothing to undo.
TEST(TimeAdjustment, KeptTimesAreOneUndoableStep) {
  std::unique_ptr<DocumentState> doc = MakeAnim({10, 20, 30});
  doc->undo.Reset();
  const uint64_t opened = doc->revision;
  {
    SliderTimeModel slider(*doc);
    slider.MoveTo(120);
    EXPECT_EQ(doc->revision, opened);  // live only
    slider.Cancel();
  }
  EXPECT_EQ(Delays(*doc), (std::vector<int32_t>{10, 20, 30}));
  EXPECT_FALSE(doc->undo.CanUndo());

  DetailedTimeModel detail(*doc);
  detail.TypeTime(1, "25");
  detail.SetTime(1, 20);
  EXPECT_EQ(detail.Keep(), Outcome::NothingDone());  // every time back as it was
  EXPECT_FALSE(doc->undo.CanUndo());

  detail.SetTime(2, 31);
  ASSERT_TRUE(detail.Keep().done());
  EXPECT_TRUE(HasUnsavedChanges(*doc));
  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_EQ(Delays(*doc), (std::vector<int32_t>{10, 20, 30}));
  EXPECT_EQ(doc->revision, opened);
  EXPECT_FALSE(HasUnsavedChanges(*doc));
  ASSERT_TRUE(doc->undo.Redo(*doc));
  EXPECT_EQ(Delays(*doc), (std::vector<int32_t>{10, 20, 31}));
  doc->undo.Drop();
}

}  // namespace
}  // namespace zel

namespace zel {
namespace {

// The loop-count field: what each choice writes, and what each count shows.
TEST(LoopCount, ChoicesAndTheCountsTheyStandFor) {
  const struct {
    LoopChoice choice;
    int64_t box;
    int32_t loopCount;
  } writes[] = {{LoopChoice::kForever, 7, kLoopForever}, {LoopChoice::kOnce, 7, kPlayOnce},
                {LoopChoice::kCount, 3, 3},              {LoopChoice::kCount, 65535, 65535},
                {LoopChoice::kCount, 70000, 65535},      {LoopChoice::kCount, 0, 1},
                {LoopChoice::kCount, -4, 1}};
  for (const auto& w : writes) {
    EXPECT_EQ(LoopCountOf(w.choice, w.box), w.loopCount) << w.box;
  }
  const struct {
    int32_t loopCount;
    LoopChoice choice;
    int32_t box;
  } shows[] = {{kLoopForever, LoopChoice::kForever, 1},
               {kPlayOnce, LoopChoice::kOnce, 1},
               {1, LoopChoice::kCount, 1},
               {12, LoopChoice::kCount, 12}};
  for (const auto& s : shows) {
    EXPECT_EQ(LoopChoiceOf(s.loopCount), s.choice) << s.loopCount;
    EXPECT_EQ(LoopCountBoxValue(s.loopCount), s.box) << s.loopCount;
  }
}

TEST(LoopCount, SettingItIsUndoneAndRedone) {
  std::unique_ptr<DocumentState> doc = MakeAnim({10, 20});
  doc->undo.Reset();
  ASSERT_TRUE(doc->undo.IsOpen());
  EXPECT_FALSE(SetLoopCount(*doc, kLoopForever).done());  // already for ever: nothing to undo
  EXPECT_FALSE(doc->undo.CanUndo());
  EXPECT_FALSE(SetLoopCount(*doc, 65536).done());
  EXPECT_FALSE(SetLoopCount(*doc, -2).done());

  ASSERT_TRUE(SetLoopCount(*doc, 3).done());
  ASSERT_TRUE(SetLoopCount(*doc, kPlayOnce).done());
  EXPECT_TRUE(HasUnsavedChanges(*doc));
  EXPECT_EQ(doc->frameSet->loopCount, kPlayOnce);
  MarkDocumentSaved(*doc);
  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_EQ(doc->frameSet->loopCount, 3);
  EXPECT_TRUE(HasUnsavedChanges(*doc));
  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_EQ(doc->frameSet->loopCount, kLoopForever);
  EXPECT_FALSE(doc->undo.CanUndo());
  ASSERT_TRUE(doc->undo.Redo(*doc));
  EXPECT_EQ(doc->frameSet->loopCount, 3);
  ASSERT_TRUE(doc->undo.Redo(*doc));
  EXPECT_EQ(doc->frameSet->loopCount, kPlayOnce);
  EXPECT_EQ(Delays(*doc), (std::vector<int32_t>{10, 20}));  // the frames are untouched

  // A single picture has no loop count to set.
  doc->kind = ImageKind::kGifPicture;
  EXPECT_FALSE(SetLoopCount(*doc, 5).done());
  doc->undo.Drop();
}

}  // namespace
}  // namespace zel
