#include "cli/make_anime_command.h"

#include <optional>

#include "cli/cli_common.h"
#include "cli/convert_command.h"
#include "cli/edit_operations.h"
#include "cli/interrupt.h"
#include "cli/motions_command.h"
#include "cli/terminal_progress.h"
#include "generators/effect_schedule.h"
#include "generators/generated_motion.h"
#include "generators/picture_to_animation.h"
#include "platform/clock.h"
#include "resources/string_table.h"

namespace zel::cli {
namespace {

constexpr const char* kCornerNames[] = {"none", "top-left", "top-right", "bottom-left",
                                        "bottom-right"};

struct MakeAnimeArguments {
  std::string input;
  std::string output;
  MakeAnimeOptions options;
  std::string motion;  // a motion definition's title; "" for none
  int motionRange = 100;
  int32_t motionFlags = kMotionWrap;
};

bool NumberIn(const std::string& text, int low, int high, int* value) {
  int64_t v = 0;
  if (!ParseDigits(text, &v) || v < low || v > high) return false;
  *value = static_cast<int>(v);
  return true;
}

bool Parse(const std::vector<std::string>& args, MakeAnimeArguments* parsed, std::FILE* err) {
  MakeAnimeOptions& o = parsed->options;
  // As the editor's dialog starts: without error diffusion unless --diffusion.
  o.flags = kMakeAnimeNoDiffusion;
  std::vector<std::string> names;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--per-cycle") {
      o.flags |= kMakeAnimePerCycle;
    } else if (a == "--tempo") {
      o.flags |= kMakeAnimeTempo;
    } else if (a == "--no-diffusion" || a == "--no-dither") {
      o.flags |= kMakeAnimeNoDiffusion;
    } else if (a == "--diffusion") {
      o.flags &= ~kMakeAnimeNoDiffusion;
    } else if (a == "--margin") {
      o.flags |= kMakeAnimeMargin;
    } else if (a == "--hq") {
      o.highQuality = true;
    } else if (a == "--no-wrap") {
      parsed->motionFlags &= ~kMotionWrap;
    } else if (a == "--reverse-path") {
      parsed->motionFlags |= kMotionReverse;
    } else if (a == "--effect" || a == "--frames" || a == "--amplitude" || a == "--time" ||
               a == "--colors" || a == "--transparent" || a == "--motion" || a == "--range" ||
               a == "-o" || a == "--output") {
      if (i + 1 >= args.size()) {
        PrintError(err, a + " needs a value");
        return false;
      }
      const std::string& v = args[++i];
      bool ok = true;
      std::string hint;
      if (a == "--effect") {
        const auto effect = EffectByName(v);
        ok = effect.has_value();
        if (ok) o.effect = *effect;
        hint = "an effect name (zel-cli help lists them)";
      } else if (a == "--frames") {
        ok = NumberIn(v, kMakeAnimeFramesMin, kMakeAnimeFramesMax, &o.frames);
        hint = "a frame count from 4 to 40";
      } else if (a == "--amplitude") {
        ok = NumberIn(v, kAmplitudeMin, kAmplitudeMax, &o.amplitude);
        hint = "a percentage from 5 to 100";
      } else if (a == "--time") {
        ok = NumberIn(v, kMakeAnimeTimeMin, kMakeAnimeTimeMax, &o.timeValue);
        hint = "a time from 10 to 1000 (hundredths of a second, or beats per minute)";
      } else if (a == "--colors") {
        int n = 0;
        ok = NumberIn(v, 2, 256, &n) && (n & (n - 1)) == 0;
        for (int k = 0; ok && k < 8; ++k) {
          if (n == 2 << k) o.colorCountIndex = k;
        }
        hint = "2, 4, 8, 16, 32, 64, 128 or 256";
      } else if (a == "--transparent") {
        ok = false;
        for (int k = 0; k < 5; ++k) {
          if (v == kCornerNames[k]) {
            o.transparentSource = k;
            ok = true;
          }
        }
        hint = "none, top-left, top-right, bottom-left or bottom-right";
      } else if (a == "--motion") {
        ok = !v.empty();
        parsed->motion = v;
        hint = "the title of a motion definition (zel-cli motions lists them)";
      } else if (a == "--range") {
        ok = NumberIn(v, kMotionRangeMin, kMotionRangeMax, &parsed->motionRange);
        hint = "a percentage from 5 to 100";
      } else {
        parsed->output = v;
      }
      if (!ok) {
        PrintError(err, a + " needs " + hint + ", not '" + v + "'");
        return false;
      }
    } else if (a.size() > 1 && a[0] == '-') {
      PrintError(err, "unknown option '" + a + "' of make-anime");
      return false;
    } else {
      names.push_back(a);
    }
  }
  if (names.size() == 2 && parsed->output.empty()) {
    parsed->output = names[1];
    names.pop_back();
  }
  if (names.size() != 1 || parsed->output.empty()) {
    PrintUsage(err);
    return false;
  }
  parsed->input = names[0];
  return true;
}

}  // namespace

std::string EffectNamesHelp() {
  std::string text;
  std::string line;
  for (int i = 0; i < kEffectCount; ++i) {
    const auto effect = static_cast<Effect>(i);
    const std::string name = std::string(EffectAlias(effect)) + " (" + EffectText(effect) + ")";
    if (!line.empty() && line.size() + name.size() > 80) {
      text += "             " + line + "\n";
      line.clear();
    }
    line += line.empty() ? name : ", " + name;
  }
  return text + "             " + line + "\n";
}

int RunMakeAnimeCommand(const std::vector<std::string>& args, std::FILE* err, int progressFd) {
  MakeAnimeArguments parsed;
  if (!Parse(args, &parsed, err)) return kExitUsage;
  std::optional<InterruptCatcher> interrupts;
  DocumentState doc;
  const int opened = OpenInputForOutput(parsed.input, parsed.output, interrupts, doc, err);
  if (opened != kExitOk) return opened;
  MotionPreparation motion;
  if (!parsed.motion.empty()) {
    ProfileFile profile;
    MotionDefinitions defs;
    OpenMotionDefinitions(profile, defs);
    std::optional<MotionRecord> record = defs.Read(defs.Find(parsed.motion));
    if (!record) {
      PrintError(err, "--motion: no motion of that name; the names are " + MotionNamesText(defs));
      return kExitUsage;
    }
    MotionChoice choice;
    choice.record = *record;
    choice.range = parsed.motionRange;
    choice.flags = parsed.motionFlags;
    if (!PrepareMotion(choice, 16, 16, parsed.options.frames)) {
      PrintError(err, "--motion: the path of '" + record->title +
                          "' cannot be read or has fewer than 10 points (" + record->bitmapPath +
                          ")");
      return kExitFailed;
    }
    motion = MotionAlong(choice);
    parsed.options.flags |= kMakeAnimeMotion;
  }
  Outcome result = Outcome::NothingDone();
  {
    TerminalProgress progress(progressFd, parsed.options.frames);
    result = MakeAnimation(doc, parsed.options, motion ? &motion : nullptr, &progress, TickCount());
    progress.Finish(result.done());
  }
  if (result.kind() == OutcomeKind::kCancelled || InterruptCatcher::Take()) {
    return ReportCancelled(parsed.output, err);
  }
  if (!result.done()) {
    const char* text = OutcomeText(result);
    PrintError(err, std::string(text ? text : "") + " (" + parsed.input + ")");
    return result == Outcome::Failed(kMsgOutOfRange) ? kExitUsage : kExitFailed;
  }
  return SaveDocumentTo(doc, parsed.output, kDefaultJpegQuality, err, progressFd);
}

}  // namespace zel::cli
