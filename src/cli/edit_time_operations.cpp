// Time adjustment as edit operations: a frame's time typed into the detailed form, or every
// time scaled with the slider. Both work while the animation plays.
#include <algorithm>

#include "cli/cli_common.h"
#include "cli/edit_operations.h"
#include "document/edit_transaction.h"
#include "document/time_adjustment.h"

namespace zel::cli {
namespace {

// "N=T" or "all=T"; T may be negative (the time box turns it into 0).
bool ParseFrameDelay(const std::string& text, EditStep* step) {
  size_t eq = text.find('=');
  if (eq == std::string::npos) return false;
  std::string frame = text.substr(0, eq);
  if (frame == "all") {
    step->frame = 0;
  } else if (!ParseFrame(frame, step)) {
    return false;
  }
  std::string time = text.substr(eq + 1);
  bool negative = !time.empty() && time[0] == '-';
  if (!ParseDigits(negative ? time.substr(1) : time, &step->value)) return false;
  if (negative) step->value = -step->value;
  return true;
}

// "150%" or "150".
bool ParsePercent(const std::string& text, EditStep* step) {
  std::string digits = text;
  if (!digits.empty() && digits.back() == '%') digits.pop_back();
  return ParseDigits(digits, &step->value);
}

int RequireTwoFrames(EditRun& run, const EditStep& step) {
  if (int code = RequireAnimation(run, step); code != kExitOk) return code;
  if (run.doc.frameSet->count < 2) {
    PrintError(run.err, step.label + ": the time adjustment needs at least 2 frames");
    return kExitUsage;
  }
  return kExitOk;
}

// --delay N=T as typed into frame N's time box of the detailed form (every frame for all).
int TypeDelay(EditRun& run, const EditStep& step) {
  if (int code = RequireTwoFrames(run, step); code != kExitOk) return code;
  DetailedTimeModel model(run.doc);
  // The time box holds at most 7 characters; the number keeps its sign and size so that
  // the box clamps it as the editor does.
  std::string typed = std::to_string(std::clamp<int64_t>(step.value, -999999, 9999999));
  int32_t first = step.frame == 0 ? 0 : step.frame - 1;
  int32_t last = step.frame == 0 ? model.Count() - 1 : step.frame - 1;
  model.ToFirst();
  for (int32_t frame = first; frame <= last; ++frame) {
    while (frame >= model.FirstShown() + DetailedTimeModel::kColumns && model.Forward()) {
    }
    model.TypeTime(frame - model.FirstShown(), typed);
  }
  // "変更": the typed times as one change.
  return OutcomeExit(run.err, step.label, model.Keep());
}

// --scale-time P%: the slider moved to P percent of the total time.
int ScaleTime(EditRun& run, const EditStep& step) {
  if (int code = RequireTwoFrames(run, step); code != kExitOk) return code;
  SliderTimeModel slider(run.doc);
  const int64_t total = slider.saved().Total();
  const int64_t position = total * step.value / 100;
  if (position > slider.Maximum()) {
    int64_t most = total > 0 ? int64_t{slider.Maximum()} * 100 / total : 0;
    PrintError(run.err, step.label + ": the slider reaches at most " + std::to_string(most) +
                            "% of the total time of " + SecondsText(total) + " s");
    return kExitUsage;
  }
  // Each delay is scaled on its own from the delays as read, rounded to the nearest
  // hundredth; a delay that was not 0 never becomes 0 (that would play as fast as the
  // viewer can).
  FrameSet& frames = *run.doc.frameSet;
  EditTransaction edit(run.doc, kUndoEdit);
  return OutcomeExit(run.err, step.label, edit.Commit([&] {
    for (int32_t f = 0; f < frames.count; ++f) {
      frames.frame(f).delay = ScaledDelay(frames.frame(f).delay, step.value);
    }
    return true;
  }));
}

// "once", or a count 0..65535 (0: for ever).
bool ParseLoop(const std::string& text, EditStep* step) {
  if (text == "once") {
    step->value = kPlayOnce;
    return true;
  }
  return ParseDigits(text, &step->value) && step->value <= kMaxLoopCount;
}

// --loop N|once: the loop count field of the detailed form.
int SetLoop(EditRun& run, const EditStep& step) {
  if (int code = RequireAnimation(run, step); code != kExitOk) return code;
  // The count it has already is no error.
  return OutcomeExit(run.err, step.label, SetLoopCount(run.doc, static_cast<int32_t>(step.value)));
}

}  // namespace

const std::vector<EditOperation>& TimeEditOperations() {
  static const std::vector<EditOperation> rows = {
      {.option = "--delay",
       .argument = "N=T",
       .help = "set frame N's time to T (0..1000); all=T for every frame",
       .parse = ParseFrameDelay,
       .hint = "FRAME=TIME or all=TIME (TIME in hundredths of a second)",
       .apply = TypeDelay},
      {.option = "--scale-time",
       .argument = "P%",
       .help = "scale every time to P percent of it, rounded to the\nnearest; a time above 0 "
               "stays at least 1 (at most\n500% of the total, like the time slider)",
       .parse = ParsePercent,
       .hint = "a percentage such as 150% (0 or more)",
       .apply = ScaleTime},
      {.option = "--loop",
       .argument = "N",
       .help = "the loop count the saved file carries: N (0 for ever),\nor once (no looping "
               "extension: it plays once)",
       .parse = ParseLoop,
       .hint = "a count 0..65535 (0 for ever) or once",
       .apply = SetLoop},
  };
  return rows;
}

}  // namespace zel::cli
