#include "cli/edit_command.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

#include "cli/cli_common.h"
#include "cli/convert_command.h"
#include "cli/interrupt.h"
#include "color/index_color.h"
#include "color/palette_reference.h"
#include "color/quality_quantizer.h"
#include "document/document_state.h"
#include "document/frame_operations.h"
#include "document/time_adjustment.h"
#include "platform/clock.h"
#include "resources/string_table.h"

namespace zel::cli {
namespace {

enum class EditOp {
  kDeleteFrame,
  kDeleteBefore,
  kDeleteAfter,
  kInsertCopy,
  kFirst,
  kToPicture,
  kRepeat,
  kReverse,
  kDelay,
  kScaleTime,
  kColors,
  kPureIndex,
  kPaletteFrom,
  kFullColour,
};

// What follows an option on the command line.
enum class ValueKind { kNone, kFrame, kFrameDelay, kPercent, kColorCount, kFile };

struct OptionInfo {
  const char* name;
  EditOp op;
  ValueKind value;
};

constexpr OptionInfo kOptions[] = {
    {"--delete-frame", EditOp::kDeleteFrame, ValueKind::kFrame},
    {"--delete-before", EditOp::kDeleteBefore, ValueKind::kFrame},
    {"--delete-after", EditOp::kDeleteAfter, ValueKind::kFrame},
    {"--insert-copy", EditOp::kInsertCopy, ValueKind::kFrame},
    {"--first", EditOp::kFirst, ValueKind::kFrame},
    {"--to-picture", EditOp::kToPicture, ValueKind::kFrame},
    {"--repeat", EditOp::kRepeat, ValueKind::kNone},
    {"--reverse", EditOp::kReverse, ValueKind::kNone},
    {"--delay", EditOp::kDelay, ValueKind::kFrameDelay},
    {"--scale-time", EditOp::kScaleTime, ValueKind::kPercent},
    {"--colors", EditOp::kColors, ValueKind::kColorCount},
    {"--pure-index", EditOp::kPureIndex, ValueKind::kNone},
    {"--palette-from", EditOp::kPaletteFrom, ValueKind::kFile},
    {"--full-colour", EditOp::kFullColour, ValueKind::kNone},
};

// The transparency choices as --transparent names them, in the dialog's order.
constexpr const char* kCornerNames[] = {"none", "top-left", "top-right", "bottom-left",
                                        "bottom-right"};

struct EditStep {
  EditOp op = EditOp::kReverse;
  std::string label;  // the option as the user gave it, for messages
  int32_t frame = 0;  // 1-based; 0 for every frame (--delay all=T)
  int64_t value = 0;  // the typed delay, the percentage, or the colour-count choice
  std::string file;   // --palette-from
};

struct EditArguments {
  std::string input;
  std::string output;
  int quality = kDefaultJpegQuality;
  std::vector<EditStep> steps;
  // --no-dither and --transparent hold for every colour conversion of the run.
  ColorChoices colors{7, 0, false};
  // --hq: --colors reduces through the high-quality reduction, and reduces an animation's
  // frames to one palette.
  bool highQuality = false;
};

// A run of decimal digits, saturated at 999,999,999 so that later sums cannot overflow.
bool ParseDigits(const std::string& text, int64_t* value) {
  if (text.empty()) return false;
  int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = std::min<int64_t>(v * 10 + (c - '0'), 999999999);
  }
  *value = v;
  return true;
}

bool ParseFrameNumber(const std::string& text, int32_t* frame) {
  int64_t v = 0;
  if (!ParseDigits(text, &v) || v < 1) return false;
  *frame = static_cast<int32_t>(std::min<int64_t>(v, INT32_MAX));
  return true;
}

// "N=T" or "all=T"; T may be negative (the time box turns it into 0).
bool ParseFrameDelay(const std::string& text, EditStep* step) {
  size_t eq = text.find('=');
  if (eq == std::string::npos) return false;
  std::string frame = text.substr(0, eq);
  if (frame == "all") {
    step->frame = 0;
  } else if (!ParseFrameNumber(frame, &step->frame)) {
    return false;
  }
  std::string time = text.substr(eq + 1);
  bool negative = !time.empty() && time[0] == '-';
  if (!ParseDigits(negative ? time.substr(1) : time, &step->value)) return false;
  if (negative) step->value = -step->value;
  return true;
}

// "150%" or "150".
bool ParsePercent(const std::string& text, int64_t* percent) {
  std::string digits = text;
  if (!digits.empty() && digits.back() == '%') digits.pop_back();
  return ParseDigits(digits, percent);
}

// 2, 4, 8, ..., 256 colours: the choice 0..7 of the colour-count box.
bool ParseColorCount(const std::string& text, int64_t* choice) {
  int64_t n = 0;
  if (!ParseDigits(text, &n)) return false;
  for (int i = 0; i < 8; ++i) {
    if (n == (int64_t{2} << i)) {
      *choice = i;
      return true;
    }
  }
  return false;
}

const char* ValueHint(ValueKind kind) {
  switch (kind) {
    case ValueKind::kColorCount:
      return "a colour count of 2, 4, 8, 16, 32, 64, 128 or 256";
    case ValueKind::kFile:
      return "a reference image file (.gif, .bmp or .png)";
    case ValueKind::kFrame:
      return "a frame number from 1 on";
    case ValueKind::kFrameDelay:
      return "FRAME=TIME or all=TIME (TIME in hundredths of a second)";
    case ValueKind::kPercent:
      return "a percentage such as 150% (0 or more)";
    case ValueKind::kNone:
      break;
  }
  return "";
}

bool ParseValue(const OptionInfo& option, const std::string& text, EditStep* step) {
  switch (option.value) {
    case ValueKind::kFrame:
      return ParseFrameNumber(text, &step->frame);
    case ValueKind::kFrameDelay:
      return ParseFrameDelay(text, step);
    case ValueKind::kPercent:
      return ParsePercent(text, &step->value);
    case ValueKind::kColorCount:
      return ParseColorCount(text, &step->value);
    case ValueKind::kFile:
      step->file = text;
      return !text.empty();
    case ValueKind::kNone:
      break;
  }
  return true;
}

bool ParseArguments(const std::vector<std::string>& args, EditArguments* parsed, std::FILE* err) {
  std::vector<std::string> names;
  bool haveOutput = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    bool inlineValue = false;
    // "--delay=2=50" and "--output=OUT" work as well as the two-word forms.
    if (name.rfind("--", 0) == 0 && name.find('=') != std::string::npos) {
      size_t eq = name.find('=');
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      inlineValue = true;
    }
    auto takeValue = [&](const std::string& hint) {
      if (inlineValue) return true;
      if (i + 1 >= args.size()) {
        PrintError(err, name + " needs " + hint);
        return false;
      }
      value = args[++i];
      return true;
    };

    if (name == "-o" || name == "--output") {
      if (!takeValue("an output file name")) return false;
      if (haveOutput) {
        PrintError(err, "give only one output file");
        return false;
      }
      parsed->output = value;
      haveOutput = true;
      continue;
    }
    if (name == "--quality") {
      if (!takeValue("a number from 30 to 100")) return false;
      if (!ParseQuality(value, &parsed->quality, err)) return false;
      continue;
    }
    if (name == "--no-dither") {
      if (inlineValue) {
        PrintError(err, name + " takes no value");
        return false;
      }
      parsed->colors.noDiffusion = true;
      continue;
    }
    if (name == "--hq") {
      if (inlineValue) {
        PrintError(err, name + " takes no value");
        return false;
      }
      parsed->highQuality = true;
      continue;
    }
    if (name == "--transparent") {
      const std::string hint = "none, top-left, top-right, bottom-left or bottom-right";
      if (!takeValue(hint)) return false;
      int corner = -1;
      for (int c = 0; c < 5; ++c) {
        if (value == kCornerNames[c]) corner = c;
      }
      if (corner < 0) {
        PrintError(err, name + " needs " + hint + ", not '" + value + "'");
        return false;
      }
      parsed->colors.transparentCorner = corner;
      continue;
    }
    const OptionInfo* option = nullptr;
    for (const OptionInfo& s : kOptions) {
      if (name == s.name) option = &s;
    }
    if (option) {
      EditStep step;
      step.op = option->op;
      step.label = name;
      if (option->value == ValueKind::kNone) {
        if (inlineValue) {
          PrintError(err, name + " takes no value");
          return false;
        }
      } else {
        if (!takeValue(ValueHint(option->value))) return false;
        if (!ParseValue(*option, value, &step)) {
          PrintError(err, name + " needs " + ValueHint(option->value) + ", not '" + value + "'");
          return false;
        }
        step.label += " " + value;
      }
      parsed->steps.push_back(step);
      continue;
    }
    if (name.size() > 1 && name[0] == '-') {
      PrintError(err, "unknown option '" + args[i] + "' (zel-cli help lists the edit options)");
      return false;
    }
    names.push_back(args[i]);
  }
  // The output may also follow the input directly: `zel-cli edit IN OUT [OPERATIONS...]`.
  if (!haveOutput && names.size() == 2) {
    parsed->output = names.back();
    names.pop_back();
    haveOutput = true;
  }
  if (names.size() != 1 || !haveOutput) {
    if (names.empty()) PrintError(err, "edit needs an input file");
    if (names.size() > 1) PrintError(err, "edit takes one input file; '" + names[1] + "' is extra");
    if (!haveOutput) PrintError(err, "edit needs an output file: -o OUT");
    PrintUsage(err);
    return false;
  }
  parsed->input = names[0];
  return true;
}

std::string Frames(int64_t n) {
  return std::to_string(n) + (n == 1 ? " frame" : " frames");
}

// Makes frame `frame` (1-based) current with playback stopped, as the editor is when the
// user has stopped on that frame: the frame commands need it.
void StopOnFrame(DocumentState& doc, int32_t frame) {
  doc.flags |= kFlagStopped;
  doc.flags &= ~kFlagStep;
  doc.currentFrame = frame - 1;
  SetCurrentPicture(doc, DuplicateBlock(doc.frameSet->frame(frame - 1).image));
}

// Why a frame command's precondition does not hold, in the user's terms.
std::string RefusalOf(const EditStep& step, const DocumentState& doc) {
  const int32_t count = doc.frameSet->count;
  const int32_t n = step.frame;
  switch (step.op) {
    case EditOp::kDeleteFrame:
      if (!CanDeleteFrames(doc)) return "the only frame of an animation cannot be deleted";
      break;
    case EditOp::kDeleteBefore:
      if (!CanDeleteFramesBefore(doc)) {
        if (n == 1) return "there are no frames before frame 1";
        return "deleting all before frame " + std::to_string(n) +
               " needs at least two frames before it; use --delete-frame 1";
      }
      break;
    case EditOp::kDeleteAfter:
      if (!CanDeleteFramesAfter(doc)) {
        if (n >= count) return "there are no frames after the last frame";
        return "deleting all after frame " + std::to_string(n) +
               " needs at least two frames after it; use --delete-frame " + std::to_string(count);
      }
      break;
    case EditOp::kInsertCopy:
      if (!CanInsertFrameCopy(doc)) {
        return "an animation of " + Frames(count) + " takes no more frames (at most " +
               Frames(doc.frameMax - 1) + ")";
      }
      break;
    case EditOp::kFirst:
      if (!CanMakeCurrentFrameFirst(doc)) return "frame 1 is the first frame already";
      break;
    case EditOp::kToPicture:
      if (!CanConvertToPicture(doc)) return "the animation has no frame to keep";
      break;
    case EditOp::kRepeat:
      if (!CanRepeatAnimation(doc)) {
        if (count < 2) return "an animation of " + Frames(count) + " cannot be doubled";
        return "an animation of " + Frames(count) + " cannot be doubled (at most " +
               Frames(doc.frameMax / 2 - 1) + ")";
      }
      break;
    case EditOp::kReverse:
      if (!CanReverseAnimation(doc)) return "the animation cannot be reversed";
      break;
    case EditOp::kDelay:
    case EditOp::kScaleTime:
      if (count < 2) return "the time adjustment needs at least 2 frames";
      break;
    case EditOp::kColors:
    case EditOp::kPureIndex:
    case EditOp::kPaletteFrom:
    case EditOp::kFullColour:
      break;
  }
  return "";
}

// --delay N=T as typed into frame N's time box of the detailed dialog (every frame for all).
void TypeDelay(DocumentState& doc, const EditStep& step) {
  DetailedTimeModel model(doc);
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
}

bool IsColourStep(EditOp op) {
  return op == EditOp::kColors || op == EditOp::kPureIndex || op == EditOp::kPaletteFrom ||
         op == EditOp::kFullColour;
}

// --colors N --hq on an animation: every frame in full colour, reduced to one palette
// built from all of them, still areas kept still; the frames share that table and its
// transparent index.
int ApplyQualityFrames(DocumentState& doc, const EditStep& step, const ColorChoices& choices,
                       std::FILE* err) {
  FrameSet& set = *doc.frameSet;
  std::vector<PackedDib> frames;
  frames.reserve(static_cast<size_t>(set.count));
  for (int i = 0; i < set.count; ++i) {
    const PackedDib& image = set.frame(i).image;
    PackedDib full = ConvertToFullColor(image);
    if (!full) {
      PrintError(err, step.label + ": frame " + std::to_string(i + 1) +
                          (image ? " cannot be turned into full colour" : " is missing"));
      return image ? kExitUsage : kExitFailed;
    }
    frames.push_back(std::move(full));
  }
  std::optional<IndexedFrames> reduced = QualityConvertFrames(frames, choices, doc.backgroundColor);
  if (!reduced || reduced->pictures.empty()) {
    PrintError(err, step.label + ": the conversion to index colour failed");
    return kExitFailed;
  }
  const PackedDib& first = reduced->pictures[0];
  set.paletteCount = static_cast<int32_t>(first.ColorCount());
  std::copy_n(first.ColorTable(), first.ColorCount(), set.palette.begin());
  set.transparentIndex = reduced->transparentIndex;
  for (int i = 0; i < set.count; ++i) {
    set.frame(i).image = std::move(reduced->pictures[static_cast<size_t>(i)]);
    set.frame(i).transparentIndex = reduced->transparentIndex;
  }
  const int32_t current = std::clamp(doc.currentFrame, 0, set.count - 1);
  SetCurrentPicture(doc, DuplicateBlock(set.frame(current).image));
  return kExitOk;
}

// A colour conversion of the current picture, with the core functions the colour dialog
// and the colour command use; the result replaces the picture as the editor installs it.
int ApplyColourStep(DocumentState& doc, const EditStep& step, const ColorChoices& kept,
                    bool highQuality, const std::string& source, std::FILE* err) {
  if (highQuality && step.op == EditOp::kColors && IsAnimation(doc.kind) && doc.frameSet &&
      doc.frameSet->count > 0) {
    ColorChoices choices = kept;
    choices.colorCountIndex = static_cast<int>(step.value);
    return ApplyQualityFrames(doc, step, choices, err);
  }
  if (IsAnimation(doc.kind) || !doc.frameSet || !doc.currentPicture) {
    PrintError(err, step.label + " needs a single picture; " + source +
                        " is an animation (keep one frame first with --to-picture N)");
    return kExitUsage;
  }
  const int bits = doc.currentPicture.Header().bitCount;
  if (step.op == EditOp::kFullColour) {
    if (bits != 8 && bits != 24) {
      PrintError(err, step.label + ": a picture of " + std::to_string(bits) +
                          " bits per pixel cannot be turned into full colour");
      return kExitUsage;
    }
    PackedDib full = ConvertToFullColor(doc.currentPicture);
    if (!full) {
      PrintError(err, step.label + ": " + MessageText(kMsgNoMemory));
      return kExitFailed;
    }
    doc.frameSet->transparentIndex = -1;
    SetCurrentPicture(doc, std::move(full));
    return kExitOk;
  }
  if (bits != 24) {
    PrintError(err, step.label + " needs a full-colour picture; " + source + " has " +
                        std::to_string(bits) + " bits per pixel (put --full-colour before it)");
    return kExitUsage;
  }
  ColorChoices choices = kept;
  std::optional<IndexConversion> result;
  std::string failure = "the conversion to index colour failed";
  switch (step.op) {
    case EditOp::kColors:
      choices.colorCountIndex = static_cast<int>(step.value);
      result = highQuality
                   ? QualityConvertToIndexColor(doc.currentPicture, choices, doc.backgroundColor)
                   : ConvertToIndexColor(doc.currentPicture, choices, doc.backgroundColor);
      if (!result && choices.transparentCorner == 0) {
        failure += " (no colour-table entry is left for the transparent colour)";
      }
      break;
    case EditOp::kPureIndex:
      if (!IsPureIndexPossible(doc.currentPicture)) {
        PrintError(
            err, step.label + ": " + source + " has more than 255 colours; use --colors N instead");
        return kExitUsage;
      }
      result =
          ConvertToPureIndex(doc.currentPicture, choices.transparentCorner, doc.backgroundColor);
      break;
    case EditOp::kPaletteFrom: {
      ReferenceConversion reference = ReferencePaletteConvert(
          doc.currentPicture, step.file, choices, doc.backgroundColor, doc.frameMax);
      result = std::move(reference.conversion);
      if (!result && reference.message == kReferenceMissingText) {
        failure = "the reference file " + step.file + " does not exist";
      } else if (!result) {
        failure = "the palette of " + step.file +
                  " cannot be used (it needs 8 to 256 colours, at least 16 besides the"
                  " transparent one with dithering, and .gif, .bmp or .png)";
      }
      break;
    }
    default:
      break;
  }
  if (!result || !result->picture) {
    PrintError(err, step.label + ": " + failure);
    return kExitUsage;
  }
  doc.frameSet->transparentIndex = result->transparentIndex;
  SetCurrentPicture(doc, std::move(result->picture));
  return kExitOk;
}

// Applies one step; returns the exit code and reports on `err` when it is not kExitOk.
int ApplyStep(DocumentState& doc, const EditStep& step, const std::string& source, std::FILE* err) {
  if (!IsAnimation(doc.kind) || !doc.frameSet) {
    PrintError(err, step.label + " needs an animation; " + source + " is a single picture");
    return kExitUsage;
  }
  const int32_t count = doc.frameSet->count;
  if (step.frame > count) {
    PrintError(err, step.label + ": there is no frame " + std::to_string(step.frame) +
                        "; the animation has " + Frames(count));
    return kExitUsage;
  }
  // The time adjustment works while the animation plays; the frame commands stop it.
  if (step.frame > 0 && step.op != EditOp::kDelay) StopOnFrame(doc, step.frame);
  std::string refusal = RefusalOf(step, doc);
  if (!refusal.empty()) {
    PrintError(err, step.label + ": " + refusal);
    return kExitUsage;
  }

  bool done = true;
  switch (step.op) {
    case EditOp::kDeleteFrame:
      done = DeleteCurrentFrame(doc);
      break;
    case EditOp::kDeleteBefore:
      done = DeleteFramesBefore(doc);
      break;
    case EditOp::kDeleteAfter:
      done = DeleteFramesAfter(doc);
      break;
    case EditOp::kInsertCopy:
      done = InsertFrameCopy(doc);
      break;
    case EditOp::kFirst:
      done = MakeCurrentFrameFirst(doc);
      break;
    case EditOp::kToPicture:
      done = ConvertToPicture(doc);
      break;
    case EditOp::kRepeat:
      done = RepeatAnimation(doc);
      break;
    case EditOp::kReverse:
      done = ReverseAnimation(doc, TickCount());
      break;
    case EditOp::kDelay:
      TypeDelay(doc, step);
      break;
    case EditOp::kColors:
    case EditOp::kPureIndex:
    case EditOp::kPaletteFrom:
    case EditOp::kFullColour:
      break;
    case EditOp::kScaleTime: {
      SliderTimeModel slider(doc);
      const int64_t total = slider.saved().Total();
      const int64_t position = total * step.value / 100;
      if (position > slider.Maximum()) {
        int64_t most = total > 0 ? int64_t{slider.Maximum()} * 100 / total : 0;
        PrintError(err, step.label + ": the slider reaches at most " + std::to_string(most) +
                            "% of the total time of " + SecondsText(total) + " s");
        return kExitUsage;
      }
      // Each delay is scaled on its own from the delays as read, rounded to the nearest
      // hundredth; a delay that was not 0 never becomes 0 (that would play as fast as the
      // viewer can).
      FrameSet& frames = *doc.frameSet;
      for (int32_t f = 0; f < frames.count; ++f) {
        frames.frame(f).delay = ScaledDelay(frames.frame(f).delay, step.value);
      }
      break;
    }
  }
  if (!done) {
    PrintError(err, step.label + ": " + MessageText(kMsgNoMemory));
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace

int RunEditCommand(const std::vector<std::string>& args, std::FILE* err, int progressFd) {
  EditArguments parsed;
  if (!ParseArguments(args, &parsed, err)) return kExitUsage;
  if (!CheckReadable(parsed.input, err)) return kExitUsage;
  if (!CheckWritableFormat(parsed.output, err)) return kExitUsage;

  InterruptCatcher interrupts;
  DocumentState doc;
  if (!LoadDocument(parsed.input, doc, err)) return kExitFailed;
  std::string source = parsed.input;
  for (const EditStep& step : parsed.steps) {
    if (InterruptCatcher::Take()) return ReportCancelled(parsed.output, err);
    int code = IsColourStep(step.op)
                   ? ApplyColourStep(doc, step, parsed.colors, parsed.highQuality, source, err)
                   : ApplyStep(doc, step, source, err);
    if (code != kExitOk) return code;
    if (!IsAnimation(doc.kind) || IsColourStep(step.op)) source = "the result of " + step.label;
  }
  if (InterruptCatcher::Take()) return ReportCancelled(parsed.output, err);
  return SaveDocumentTo(doc, parsed.output, parsed.quality, err, progressFd);
}

}  // namespace zel::cli
