// Merging another picture or animation into the document as edit operations, with the
// editor's "アニメの合成": --merge lays the file over (or with --behind under) the picture
// or every frame at the position --at gives; two animations are paired by time.
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "cli/edit_operations.h"
#include "generators/animation_merge.h"
#include "platform/clock.h"

namespace zel::cli {
namespace {

bool ParseFile(const std::string& text, EditStep* step) {
  if (text.empty()) return false;
  step->text = text;
  return true;
}

// "X,Y": two whole numbers from 0.
bool ParsePosition(const std::string& text, EditStep* step) {
  const size_t comma = text.find(',');
  if (comma == std::string::npos) return false;
  int64_t x = 0;
  int64_t y = 0;
  if (!ParseDigits(text.substr(0, comma), &x) || !ParseDigits(text.substr(comma + 1), &y)) {
    return false;
  }
  step->value = x;
  step->frame = static_cast<int32_t>(y);
  return true;
}

int MergeStep(EditRun& run, const EditStep& step) {
  MergeSettings settings;
  settings.path = step.text;
  settings.flags = run.settings.mergeBehind ? 0u : uint32_t{kMergeInFront};
  settings.x = run.settings.mergeX;
  settings.y = run.settings.mergeY;
  const MergeResult result = MergeAnimations(run.doc, settings, nullptr, TickCount());
  if (result.error == kMergeOk) return kExitOk;
  PrintError(run.err, step.label + ": " + MergeErrorText(result));
  return kExitFailed;
}

}  // namespace

const std::vector<EditOperation>& MergeEditOperations() {
  static const std::vector<EditOperation> rows = {
      {.option = "--merge",
       .argument = "FILE",
       .help = "lay the picture or animation FILE (.bmp, .gif,\n.png) over the picture or every "
               "frame, palettes\n"
               "merged; two animations are paired by time and the\nresult has the frames of the "
               "longer one",
       .parse = ParseFile,
       .hint = "a file name",
       .apply = MergeStep,
       .renamesSource = true},
      {.option = "--at",
       .argument = "X,Y",
       .help = "where --merge puts FILE's top-left corner (default\n0,0), held within the picture; "
               "for every --merge",
       .parse = ParsePosition,
       .hint = "two whole numbers from 0, as X,Y",
       .configure =
           [](EditSettings& settings, const EditStep& step) {
             settings.mergeX = static_cast<int32_t>(step.value);
             settings.mergeY = step.frame;
           }},
      {.option = "--behind",
       .argument = "",
       .help = "--merge puts FILE behind the picture, not in front;\nfor every --merge",
       .configure = [](EditSettings& settings, const EditStep&) { settings.mergeBehind = true; }},
  };
  return rows;
}

}  // namespace zel::cli
