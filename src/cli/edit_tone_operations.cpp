// Semi-transparency and colour adjustment as edit operations, on the picture or on every
// frame of an animation, with the core calls the editor's commands and colour tool use.
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "cli/edit_operations.h"
#include "color/color_adjustment.h"
#include "color/semi_transparency.h"
#include "platform/clock.h"
#include "transforms/image_commands.h"
#include "transforms/tool_models.h"

namespace zel::cli {
namespace {

bool WholeColorValue(double value) {
  return value == static_cast<int>(value) && value >= kColorRange.minimum &&
         value <= kColorRange.maximum;
}

bool ParseSemi(const std::string& text, EditStep* step) {
  const SemiLevel levels[] = {SemiLevel::k25, SemiLevel::k50, SemiLevel::k75};
  const char* names[] = {"25", "50", "75"};
  for (int i = 0; i < 3; ++i) {
    if (text == names[i]) {
      step->value = static_cast<int64_t>(levels[i]);
      return true;
    }
  }
  return false;
}

constexpr char kGraySuffix[] = ",gray";

bool ParseAdjust(const std::string& text, EditStep* step) {
  std::string numbers = text;
  const size_t suffix = sizeof kGraySuffix - 1;
  const bool gray = text.size() > suffix && text.ends_with(kGraySuffix);
  if (gray) numbers.resize(text.size() - suffix);
  auto v = ParseNumberList(numbers, 3, 3);
  if (!v) return false;
  for (double x : *v) {
    if (!WholeColorValue(x)) return false;
  }
  step->text = text;
  return true;
}

bool ParseGamma(const std::string& text, EditStep* step) {
  auto v = ParseNumberList(text, 1, 1);
  if (!v || !WholeColorValue((*v)[0])) return false;
  step->value = static_cast<int64_t>((*v)[0]);
  return true;
}

int SemiStep(EditRun& run, const EditStep& step) {
  if (!CanApplySemiTransparency(run.doc)) {
    PrintError(run.err, step.label + " needs an index-colour picture or animation; " + run.source +
                            " has none");
    return kExitUsage;
  }
  if (!ApplySemiTransparency(run.doc, static_cast<SemiLevel>(step.value), TickCount()).done()) {
    PrintError(run.err, step.label + ": no colour-table entry is left for the transparent colour");
    return kExitFailed;
  }
  return kExitOk;
}

int Adjust(EditRun& run, const EditStep& step, const ColorAdjustment& adjustment) {
  if (!CanTransformImage(run.doc)) {
    PrintError(run.err, step.label + ": " + run.source + " has no picture to adjust");
    return kExitUsage;
  }
  if (adjustment == ColorAdjustment{}) return kExitOk;
  const int32_t index = run.doc.frameSet ? run.doc.frameSet->transparentIndex : -1;
  const Rgbq background = ColorFromBackground(run.doc.backgroundColor);
  const Outcome result = ApplyToImageOrFrames(run.doc,
                                          [adjustment, index, background](const PackedDib& p) {
                                            return AdjustColors(p, adjustment, index, background);
                                          },
                                          kUndoTransform, TickCount(), {});
  return OutcomeExit(run.err, step.label, result, "the picture must have 8 or 24 bits per pixel");
}

int AdjustStep(EditRun& run, const EditStep& step) {
  const bool gray = step.text.ends_with(kGraySuffix);
  std::string numbers = step.text;
  if (gray) numbers.resize(numbers.size() - (sizeof kGraySuffix - 1));
  const std::vector<double> v = *ParseNumberList(numbers, 3, 3);
  return Adjust(run, step,
                ColorAdjustment{static_cast<int>(v[0]), static_cast<int>(v[1]),
                                static_cast<int>(v[2]), gray});
}

int GammaStep(EditRun& run, const EditStep& step) {
  return Adjust(run, step, GammaAdjustment(static_cast<int>(step.value)));
}

}  // namespace

const std::vector<EditOperation>& ToneEditOperations() {
  static const std::vector<EditOperation> rows = {
      {.option = "--semi",
       .argument = "25|50|75",
       .help = "make an index-colour picture or animation 25, 50 or 75\npercent transparent in a "
               "regular pattern",
       .parse = ParseSemi,
       .hint = "25, 50 or 75",
       .apply = SemiStep},
      {.option = "--adjust",
       .argument = "GAIN,CONTRAST,BALANCE[,gray]",
       .help = "colour adjustment, each -15 to 15 (balance: negative\nreddens, positive greens); "
               ",gray turns the colours to gray",
       .parse = ParseAdjust,
       .hint = "three whole numbers from -15 to 15, optionally followed by ,gray",
       .apply = AdjustStep},
      {.option = "--gamma",
       .argument = "S",
       .help = "the one-slider colour adjustment at S (-15 to 15)",
       .parse = ParseGamma,
       .hint = "a whole number from -15 to 15",
       .apply = GammaStep},
  };
  return rows;
}

}  // namespace zel::cli
