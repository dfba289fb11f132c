// The frame commands of the animation menu as edit operations. Each stops on the frame it
// names, as the editor is when the user has stopped there, asks the operation's own
// precondition and then runs the operation.
#include "cli/cli_common.h"
#include "cli/edit_operations.h"
#include "document/frame_operations.h"
#include "platform/clock.h"
#include "resources/string_table.h"

namespace zel::cli {
namespace {

// Makes frame `frame` (1-based) current with playback stopped.
void StopOnFrame(DocumentState& doc, int32_t frame) {
  doc.flags |= kFlagStopped;
  doc.flags &= ~kFlagStep;
  doc.currentFrame = frame - 1;
  SetCurrentPicture(doc, DuplicateBlock(doc.frameSet->frame(frame - 1).image));
}

// Why the operation's precondition does not hold, in the user's terms; "" when it holds.
using Refusal = std::string (*)(const DocumentState& doc, const EditStep& step);
using Operation = Outcome (*)(DocumentState& doc);

int RunFrameStep(EditRun& run, const EditStep& step, Refusal refusal, Operation operation) {
  if (int code = RequireAnimation(run, step); code != kExitOk) return code;
  if (step.frame > 0) StopOnFrame(run.doc, step.frame);
  const std::string why = refusal(run.doc, step);
  if (!why.empty()) {
    PrintError(run.err, step.label + ": " + why);
    return kExitUsage;
  }
  return OutcomeExit(run.err, step.label, operation(run.doc), "nothing changed");
}

template <Refusal R, Operation O>
int Apply(EditRun& run, const EditStep& step) {
  return RunFrameStep(run, step, R, O);
}

std::string DeleteRefusal(const DocumentState& doc, const EditStep&) {
  return CanDeleteFrames(doc) ? "" : "the only frame of an animation cannot be deleted";
}

std::string DeleteBeforeRefusal(const DocumentState& doc, const EditStep& step) {
  if (CanDeleteFramesBefore(doc)) return "";
  if (step.frame == 1) return "there are no frames before frame 1";
  return "deleting all before frame " + std::to_string(step.frame) +
         " needs at least two frames before it; use --delete-frame 1";
}

std::string DeleteAfterRefusal(const DocumentState& doc, const EditStep& step) {
  if (CanDeleteFramesAfter(doc)) return "";
  const int32_t count = doc.frameSet->count;
  if (step.frame >= count) return "there are no frames after the last frame";
  return "deleting all after frame " + std::to_string(step.frame) +
         " needs at least two frames after it; use --delete-frame " + std::to_string(count);
}

std::string InsertRefusal(const DocumentState& doc, const EditStep&) {
  if (CanInsertFrameCopy(doc)) return "";
  return "an animation of " + Frames(doc.frameSet->count) + " takes no more frames (at most " +
         Frames(doc.frameMax - 1) + ")";
}

std::string FirstRefusal(const DocumentState& doc, const EditStep&) {
  return CanMakeCurrentFrameFirst(doc) ? "" : "frame 1 is the first frame already";
}

std::string ToPictureRefusal(const DocumentState& doc, const EditStep&) {
  return CanConvertToPicture(doc) ? "" : "the animation has no frame to keep";
}

std::string RepeatRefusal(const DocumentState& doc, const EditStep&) {
  if (CanRepeatAnimation(doc)) return "";
  const int32_t count = doc.frameSet->count;
  if (count < 2) return "an animation of " + Frames(count) + " cannot be doubled";
  return "an animation of " + Frames(count) + " cannot be doubled (at most " +
         Frames(doc.frameMax / 2 - 1) + ")";
}

std::string ReverseRefusal(const DocumentState& doc, const EditStep&) {
  return CanReverseAnimation(doc) ? "" : "the animation cannot be reversed";
}

Outcome Reverse(DocumentState& doc) {
  return ReverseAnimation(doc, TickCount());
}

constexpr const char* kFrameHint = "a frame number from 1 on";

// "N:M": frame N goes to place M (both from 1 on); M goes into step->value.
bool ParseMove(const std::string& text, EditStep* step) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos || !ParseFrame(text.substr(0, colon), step)) return false;
  int64_t to = 0;
  if (!ParseDigits(text.substr(colon + 1), &to) || to < 1) return false;
  step->value = to;
  return true;
}

// --move-frame N:M, as a thumbnail of frame N dragged to place M of the frame strip.
int MoveFrameStep(EditRun& run, const EditStep& step) {
  if (int code = RequireAnimation(run, step); code != kExitOk) return code;
  DocumentState& doc = run.doc;
  const int32_t count = doc.frameSet->count;
  if (step.value > count) {
    PrintError(run.err, step.label + ": there is no place " + std::to_string(step.value) +
                            "; the animation has " + Frames(count));
    return kExitUsage;
  }
  const int32_t from = step.frame - 1;
  const int32_t to = static_cast<int32_t>(step.value) - 1;
  if (from == to) return kExitOk;  // the frame is there already
  const Outcome moved = MoveFrameTo(doc, from, to);
  if (moved.kind() == OutcomeKind::kNothingDone) {
    PrintError(run.err, step.label + ": the frame cannot be moved");
    return kExitFailed;
  }
  return OutcomeExit(run.err, step.label, moved);
}

}  // namespace

const std::vector<EditOperation>& FrameEditOperations() {
  static const std::vector<EditOperation> rows = {
      {.option = "--delete-frame",
       .argument = "N",
       .help = "delete frame N (of two frames the other stays as a\npicture)",
       .parse = ParseFrame,
       .hint = kFrameHint,
       .apply = Apply<DeleteRefusal, DeleteCurrentFrame>},
      {.option = "--delete-before",
       .argument = "N",
       .help = "delete all frames before frame N (N >= 3)",
       .parse = ParseFrame,
       .hint = kFrameHint,
       .apply = Apply<DeleteBeforeRefusal, DeleteFramesBefore>},
      {.option = "--delete-after",
       .argument = "N",
       .help = "delete all frames after frame N (two or more follow)",
       .parse = ParseFrame,
       .hint = kFrameHint,
       .apply = Apply<DeleteAfterRefusal, DeleteFramesAfter>},
      {.option = "--insert-copy",
       .argument = "N",
       .help = "insert a copy of frame N right after it",
       .parse = ParseFrame,
       .hint = kFrameHint,
       .apply = Apply<InsertRefusal, InsertFrameCopy>},
      {.option = "--first",
       .argument = "N",
       .help = "make frame N the first; the frames before it go last",
       .parse = ParseFrame,
       .hint = kFrameHint,
       .apply = Apply<FirstRefusal, MakeCurrentFrameFirst>},
      {.option = "--to-picture",
       .argument = "N",
       .help = "keep frame N only, as a single picture",
       .parse = ParseFrame,
       .hint = kFrameHint,
       .apply = Apply<ToPictureRefusal, ConvertToPicture>},
      {.option = "--move-frame",
       .argument = "N:M",
       .help = "move frame N so that it becomes frame M",
       .parse = ParseMove,
       .hint = "two frame numbers from 1 on, as N:M",
       .apply = MoveFrameStep},
      {.option = "--repeat",
       .argument = "",
       .help = "double the animation by playing it twice",
       .apply = Apply<RepeatRefusal, RepeatAnimation>},
      {.option = "--reverse",
       .argument = "",
       .help = "reverse the frame order",
       .apply = Apply<ReverseRefusal, Reverse>},
  };
  return rows;
}

}  // namespace zel::cli
