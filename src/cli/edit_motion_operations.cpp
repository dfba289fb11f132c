// Moving an animation along a motion path as edit operations: --motion with the range,
// wrap and direction options that hold for the whole run. The path is one of the
// definitions the editor offers (zel.ini and the data folder); the settings stored there
// are not changed.
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "cli/edit_operations.h"
#include "cli/motions_command.h"
#include "generators/motion_command.h"
#include "platform/clock.h"
#include "resources/string_table.h"

namespace zel::cli {
namespace {

bool ParseName(const std::string& text, EditStep* step) {
  if (text.empty()) return false;
  step->text = text;
  return true;
}

bool ParseRange(const std::string& text, EditStep* step) {
  int64_t v = 0;
  if (!ParseDigits(text, &v) || v < kMotionRangeMin || v > kMotionRangeMax) return false;
  step->value = v;
  return true;
}

void SetRange(EditSettings& settings, const EditStep& step) {
  settings.motionRange = static_cast<int>(step.value);
}

void SetNoWrap(EditSettings& settings, const EditStep&) {
  settings.motionWrap = false;
}

void SetReverse(EditSettings& settings, const EditStep&) {
  settings.motionReverse = true;
}

int MotionStep(EditRun& run, const EditStep& step) {
  if (!CanMoveAnimation(run.doc)) {
    PrintError(run.err, step.label + " needs an animation; " + run.source + " is not one");
    return kExitUsage;
  }
  ProfileFile profile;
  MotionDefinitions defs;
  OpenMotionDefinitions(profile, defs);
  const int index = defs.Find(step.text);
  std::optional<MotionRecord> record = defs.Read(index);
  if (!record) {
    PrintError(run.err,
               step.label + ": no motion of that name; the names are " + MotionNamesText(defs));
    return kExitUsage;
  }
  MotionChoice choice;
  choice.record = *record;
  choice.range = run.settings.motionRange;
  choice.flags = (run.settings.motionWrap ? kMotionWrap : 0) |
                 (run.settings.motionReverse ? kMotionReverse : 0);
  const Outcome result = MoveAnimation(run.doc, choice, TickCount());
  if (result.done()) return kExitOk;
  if (result.failed()) {
    PrintError(run.err, step.label + ": " + MessageText(result.message()));
  } else {
    PrintError(run.err, step.label + ": the path of '" + record->title +
                            "' cannot be read or has fewer than 10 points (" + record->bitmapPath +
                            ")");
  }
  return kExitFailed;
}

}  // namespace

const std::vector<EditOperation>& MotionEditOperations() {
  static const std::vector<EditOperation> rows = {
      {.option = "--motion",
       .argument = "NAME",
       .help = "move every frame along the motion path NAME, frame i at\nstep i of the path "
               "(zel-cli motions lists them: your own titles,\nthe built-in paths' titles in "
               "either language, or figure-eight,\ndiagonal, box, falling-leaf, horizontal, "
               "vertical,\nsomersault, circle)",
       .parse = ParseName,
       .hint = "the title of a motion definition (zel-cli motions lists them)",
       .apply = MotionStep,
       .renamesSource = true},
      {.option = "--range",
       .argument = "P",
       .help = "how far --motion moves: P percent of the picture's size,\n5..100 (default 100)",
       .parse = ParseRange,
       .hint = "a whole number from 5 to 100",
       .configure = SetRange},
      {.option = "--no-wrap",
       .argument = "",
       .help = "--motion leaves the uncovered area transparent instead of\nbringing back what "
               "leaves the other edge",
       .configure = SetNoWrap},
      {.option = "--reverse-path",
       .argument = "",
       .help = "--motion runs the path from its end to its start",
       .configure = SetReverse},
  };
  return rows;
}

}  // namespace zel::cli
