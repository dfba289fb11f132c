// Time adjustment: the frames' delays changed while the animation keeps playing, either one
// by one (the detailed form, five frames at a time) or all together with a slider. Both
// dialog forms drive these models; the dialogs only show them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/outcome.h"

namespace zel {

struct DocumentState;

// The delays as they were when a form opened. A form changes the delays as the user moves
// its controls, so that playback shows them at once; Restore puts them back exactly, and
// Commit keeps them as one undoable change (nothing done when none differs).
class SavedDelays {
 public:
  explicit SavedDelays(const DocumentState& doc);
  void Restore(DocumentState& doc) const;
  Outcome Commit(DocumentState& doc) const;
  const std::vector<int32_t>& delays() const { return delays_; }
  int64_t Total() const;

 private:
  std::vector<int32_t> delays_;
};

// "%1.2f" of hundredths of a second as seconds: 250 -> "2.50".
std::string SecondsText(int64_t hundredths);

// A delay scaled to `percent` of it, rounded to the nearest hundredth (halves up); a
// positive delay stays at least 1 and the result at most 65535 (what a GIF file holds).
int32_t ScaledDelay(int32_t delay, int64_t percent);

// The slider form: range 0 .. (total < 10 ? 100 : 5 x total), starting at the total; moving
// it to p scales every delay to trunc(saved[i] x p / total).
class SliderTimeModel {
 public:
  explicit SliderTimeModel(DocumentState& doc);
  bool Usable() const;  // the animation has at least two frames
  int32_t Maximum() const;
  int32_t Position() const { return position_; }
  std::string Text() const;  // the seconds shown beside the slider
  void MoveTo(int32_t position);
  Outcome Keep();  // OK: the delays as they are now, as one undoable change
  void Cancel();   // every delay back as it was
  const SavedDelays& saved() const { return saved_; }

 private:
  DocumentState& doc_;
  SavedDelays saved_;
  int64_t total_;
  int32_t position_;
};

// The detailed form: five columns from `FirstShown()`, typed times clamped to 0..1000,
// navigation only with six or more frames.
class DetailedTimeModel {
 public:
  static constexpr int kColumns = 5;
  static constexpr int32_t kMaxDelay = 1000;

  explicit DetailedTimeModel(DocumentState& doc);
  bool Usable() const;  // at least two frames
  int32_t Count() const;
  int32_t FirstShown() const { return firstShown_; }
  // Frame index of a column, or -1 beyond the last frame.
  int32_t FrameOfColumn(int column) const;
  // Columns from the frame count on are disabled (with 2, 3 or 4 frames).
  bool ColumnEnabled(int column) const;
  int32_t DelayOfColumn(int column) const;   // -1 for a column without a frame
  std::string NumberText(int column) const;  // "%d" of the 1-based frame, "" beyond the end
  std::string TotalText() const;             // the sum of all delays as seconds

  // The text typed into a column's time box: at most 7 characters read as a decimal
  // integer; below 0 -> 0, above 1000 -> 1000. The delay changes at once. Returns the text
  // the box must show (the corrected text, or `typed` itself when it was in range).
  std::string TypeTime(int column, const std::string& typed);
  // The spin control of a column moved to `value` (0..1000).
  void SetTime(int column, int32_t value);

  // Navigation: each returns whether the columns moved.
  bool Back();     // one frame back
  bool Forward();  // one frame forward
  bool ToFirst();  // "|<"
  bool ToLast();   // ">|"

  Outcome Keep();  // "変更": the delays as they are now, as one undoable change
  void Cancel();   // every delay back as it was
  const SavedDelays& saved() const { return saved_; }

 private:
  DocumentState& doc_;
  SavedDelays saved_;
  int32_t firstShown_ = 0;
};

// The loop count of the detailed form ("ループ回数"): for ever ("無限"), a count written into
// the looping extension, or once ("1回のみ": no looping extension at all).
enum class LoopChoice { kForever, kCount, kOnce };

// The FrameSet loopCount a choice stands for; a count is held to 1..kMaxLoopCount (a count
// of 0 is for ever).
[[nodiscard]] int32_t LoopCountOf(LoopChoice choice, int64_t count);
// The choice that shows a loopCount, and the count box's value for it (1 unless it is a
// count).
[[nodiscard]] LoopChoice LoopChoiceOf(int32_t loopCount);
[[nodiscard]] int32_t LoopCountBoxValue(int32_t loopCount);

// Sets the open animation's loop count (kPlayOnce, kLoopForever or 1..kMaxLoopCount) as one
// undoable change. Nothing done when nothing changes: not an animation, a value out of
// range, or the count it already has.
Outcome SetLoopCount(DocumentState& doc, int32_t loopCount);

}  // namespace zel
