// The effects on an animation as edit operations, with the editor's "エフェクト": every frame
// warped by the step its effect gives it.
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "cli/edit_operations.h"
#include "generators/animation_effects.h"
#include "generators/picture_to_animation.h"
#include "platform/clock.h"
#include "resources/string_table.h"

namespace zel::cli {
namespace {

// Any effect but the copy, by its text or its ASCII name.
bool ParseEffect(const std::string& text, EditStep* step) {
  const auto effect = EffectByName(text);
  if (!effect || *effect == Effect::kCopy) return false;
  step->value = static_cast<int64_t>(*effect);
  return true;
}

bool ParseAmplitude(const std::string& text, EditStep* step) {
  int64_t v = 0;
  if (!ParseDigits(text, &v) || v < kAmplitudeMin || v > kAmplitudeMax) return false;
  step->value = v;
  return true;
}

int EffectStep(EditRun& run, const EditStep& step) {
  if (int code = RequireAnimation(run, step)) return code;
  const AnimationEffectOptions options{static_cast<Effect>(step.value),
                                       run.settings.effectAmplitude};
  const Outcome result = RunAnimationEffect(run.doc, options, nullptr, TickCount());
  if (result.done()) return kExitOk;
  const bool outOfRange = result.message() == kMsgOutOfRange;
  std::string text = MessageText(result.message());
  if (outOfRange) {
    text += " (an effect needs at least 4 frames; " + run.source + " has " +
            Frames(run.doc.frameSet->count) + ")";
  }
  PrintError(run.err, step.label + ": " + text);
  return outOfRange ? kExitUsage : kExitFailed;
}

}  // namespace

const std::vector<EditOperation>& GeneratorEditOperations() {
  static const std::vector<EditOperation> rows = {
      {.option = "--effect",
       .argument = "NAME",
       .help = "warp every frame of an animation of at least 4 frames\nby an effect of "
               "make-anime (not copy), frame i by step i",
       .parse = ParseEffect,
       .hint = "an effect of make-anime other than copy (zel-cli help lists them)",
       .apply = EffectStep},
      {.option = "--amplitude",
       .argument = "A",
       .help = "the amplitude of --effect, 5..100 percent (default 40)",
       .parse = ParseAmplitude,
       .hint = "a percentage from 5 to 100",
       .configure =
           [](EditSettings& settings, const EditStep& step) {
             settings.effectAmplitude = static_cast<int>(step.value);
           }},
  };
  return rows;
}

}  // namespace zel::cli
