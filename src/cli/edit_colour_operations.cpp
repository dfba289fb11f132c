// Colour conversions of a single picture as edit operations, with the core functions the
// colour dialog and the colour command use; the result replaces the picture as the editor
// installs it. --no-diffusion, --transparent and --hq set how every conversion of the run is
// made; with --hq, --colors also reduces an animation, every frame to one palette.
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "app/change_color.h"
#include "cli/cli_common.h"
#include "cli/edit_operations.h"
#include "color/palette_reference.h"
#include "color/quality_quantizer.h"
#include "document/edit_transaction.h"
#include "resources/string_table.h"

namespace zel::cli {
namespace {

// The transparency choices as --transparent names them, in the dialog's order.
constexpr const char* kCornerNames[] = {"none", "top-left", "top-right", "bottom-left",
                                        "bottom-right"};

// 2, 4, 8, ..., 256 colours: the choice 0..7 of the colour-count box.
bool ParseColorCount(const std::string& text, EditStep* step) {
  int64_t n = 0;
  if (!ParseDigits(text, &n)) return false;
  for (int i = 0; i < 8; ++i) {
    if (n == (int64_t{2} << i)) {
      step->value = i;
      return true;
    }
  }
  return false;
}

bool ParseFile(const std::string& text, EditStep* step) {
  step->text = text;
  return !text.empty();
}

bool ParseCorner(const std::string& text, EditStep* step) {
  for (int c = 0; c < 5; ++c) {
    if (text == kCornerNames[c]) {
      step->value = c;
      return true;
    }
  }
  return false;
}

// The current picture when the document is a single picture; reports otherwise.
bool RequirePicture(EditRun& run, const EditStep& step) {
  const DocumentState& doc = run.doc;
  if (IsAnimation(doc.kind) || !doc.frameSet || !doc.currentPicture) {
    PrintError(run.err, step.label + " needs a single picture; " + run.source +
                            " is an animation (keep one frame first with --to-picture N)");
    return false;
  }
  return true;
}

bool RequireFullColour(EditRun& run, const EditStep& step) {
  if (!RequirePicture(run, step)) return false;
  const int bits = run.doc.currentPicture.Header().bitCount;
  if (bits == 24) return true;
  PrintError(run.err, step.label + " needs a full-colour picture; " + run.source + " has " +
                          std::to_string(bits) + " bits per pixel (put --full-colour before it)");
  return false;
}

int Install(EditRun& run, const EditStep& step, std::optional<IndexConversion> result,
            const std::string& failure) {
  if (!result || !result->picture) {
    PrintError(run.err, step.label + ": " + failure);
    return kExitUsage;
  }
  const Outcome installed = InstallIndexConversion(run.doc, std::move(*result));
  if (installed.done()) return kExitOk;
  PrintError(run.err, step.label + ": " + MessageText(installed.message()));
  return kExitFailed;
}

// --colors N --hq on an animation: every frame in full colour, reduced to one palette built
// from all of them, still areas kept still; the frames share that table and its transparent
// index.
int ReduceFrames(EditRun& run, const EditStep& step, const ColorChoices& choices) {
  DocumentState& doc = run.doc;
  FrameSet& set = *doc.frameSet;
  std::vector<PackedDib> frames;
  frames.reserve(static_cast<size_t>(set.count));
  for (int i = 0; i < set.count; ++i) {
    const PackedDib& image = set.frame(i).image;
    PackedDib full = ConvertToFullColor(image);
    if (!full) {
      PrintError(run.err, step.label + ": frame " + std::to_string(i + 1) +
                              (image ? " cannot be turned into full colour" : " is missing"));
      return image ? kExitUsage : kExitFailed;
    }
    frames.push_back(std::move(full));
  }
  std::optional<IndexedFrames> reduced = QualityConvertFrames(frames, choices, doc.backgroundColor);
  if (!reduced || reduced->pictures.empty()) {
    PrintError(run.err, step.label + ": the conversion to index colour failed");
    return kExitFailed;
  }
  const PackedDib& first = reduced->pictures[0];
  EditTransaction edit(doc, kUndoEdit);
  const Outcome installed = edit.Commit([&] {
    set.paletteCount = static_cast<int32_t>(first.ColorCount());
    std::copy_n(first.ColorTable(), first.ColorCount(), set.palette.begin());
    set.transparentIndex = reduced->transparentIndex;
    for (int i = 0; i < set.count; ++i) {
      set.frame(i).image = std::move(reduced->pictures[static_cast<size_t>(i)]);
      set.frame(i).transparentIndex = reduced->transparentIndex;
    }
    const int32_t current = std::clamp(doc.currentFrame, 0, set.count - 1);
    SetCurrentPicture(doc, DuplicateBlock(set.frame(current).image));
    return true;
  });
  return installed.done() ? kExitOk : kExitFailed;
}

int ReduceColours(EditRun& run, const EditStep& step) {
  ColorChoices choices = run.settings.colors;
  choices.colorCountIndex = static_cast<int>(step.value);
  if (run.settings.highQuality && IsAnimation(run.doc.kind) && run.doc.frameSet &&
      run.doc.frameSet->count > 0) {
    return ReduceFrames(run, step, choices);
  }
  if (!RequireFullColour(run, step)) return kExitUsage;
  std::optional<IndexConversion> result =
      run.settings.highQuality
          ? QualityConvertToIndexColor(run.doc.currentPicture, choices, run.doc.backgroundColor)
          : ConvertToIndexColor(run.doc.currentPicture, choices, run.doc.backgroundColor);
  std::string failure = "the conversion to index colour failed";
  if (!result && choices.transparentCorner == 0) {
    failure += " (no colour-table entry is left for the transparent colour)";
  }
  return Install(run, step, std::move(result), failure);
}

int PureIndex(EditRun& run, const EditStep& step) {
  if (!RequireFullColour(run, step)) return kExitUsage;
  if (!IsPureIndexPossible(run.doc.currentPicture)) {
    PrintError(run.err, step.label + ": " + run.source +
                            " has more than 255 colours; use --colors N instead");
    return kExitUsage;
  }
  return Install(run, step,
                 ConvertToPureIndex(run.doc.currentPicture, run.settings.colors.transparentCorner,
                                    run.doc.backgroundColor),
                 "the conversion to index colour failed");
}

int PaletteFrom(EditRun& run, const EditStep& step) {
  if (!RequireFullColour(run, step)) return kExitUsage;
  ReferenceConversion reference =
      ReferencePaletteConvert(run.doc.currentPicture, step.text, run.settings.colors,
                              run.doc.backgroundColor, run.doc.frameMax);
  std::string failure = "the conversion to index colour failed";
  if (!reference.conversion && reference.message == Say(kReferenceMissingText)) {
    failure = "the reference file " + step.text + " does not exist";
  } else if (!reference.conversion) {
    failure = "the palette of " + step.text +
              " cannot be used (it needs 8 to 256 colours, at least 16 besides the"
              " transparent one with dithering, and .gif, .bmp or .png)";
  }
  return Install(run, step, std::move(reference.conversion), failure);
}

int FullColour(EditRun& run, const EditStep& step) {
  if (!RequirePicture(run, step)) return kExitUsage;
  const int bits = run.doc.currentPicture.Header().bitCount;
  if (bits != 8 && bits != 24) {
    PrintError(run.err, step.label + ": a picture of " + std::to_string(bits) +
                            " bits per pixel cannot be turned into full colour");
    return kExitUsage;
  }
  PackedDib full = ConvertToFullColor(run.doc.currentPicture);
  if (!full) {
    PrintError(run.err, step.label + ": " + MessageText(kMsgNoMemory));
    return kExitFailed;
  }
  EditTransaction edit(run.doc, kUndoColors);
  const Outcome installed = edit.Commit([&] {
    if (!SetCurrentPicture(run.doc, std::move(full))) return false;
    run.doc.frameSet->transparentIndex = -1;
    return true;
  });
  if (installed.done()) return kExitOk;
  PrintError(run.err, step.label + ": " + MessageText(installed.message()));
  return kExitFailed;
}

}  // namespace

const std::vector<EditOperation>& ColourEditOperations() {
  static const std::vector<EditOperation> rows = {
      {.option = "--colors",
       .argument = "N",
       .help = "reduce a full-colour picture to N colours (2, 4, 8,\n..., 256; with dithering "
               "fewer than 16 become 16)",
       .parse = ParseColorCount,
       .hint = "a colour count of 2, 4, 8, 16, 32, 64, 128 or 256",
       .apply = ReduceColours,
       .renamesSource = true},
      {.option = "--pure-index",
       .argument = "",
       .help = "index colour keeping every colour (at most 255)",
       .apply = PureIndex,
       .renamesSource = true},
      {.option = "--palette-from",
       .argument = "F",
       .help = "map a full-colour picture onto the colour table of F\n(.gif, .bmp or .png of 8 "
               "to 256 colours)",
       .parse = ParseFile,
       .hint = "a reference image file (.gif, .bmp or .png)",
       .apply = PaletteFrom,
       .renamesSource = true},
      {.option = "--full-colour",
       .argument = "",
       .help = "turn an index-colour picture into full colour",
       .apply = FullColour,
       .renamesSource = true},
      {.option = "--no-diffusion",
       .argument = "",
       .help = "convert without error diffusion (for every conversion)",
       .configure = [](EditSettings& settings,
                       const EditStep&) { settings.colors.noDiffusion = true; },
       .alias = "--no-dither"},
      {.option = "--transparent",
       .argument = "C",
       .help = "transparent colour from corner C: none (a spare\nentry, the default), top-left, "
               "top-right, bottom-left\nor bottom-right",
       .parse = ParseCorner,
       .hint = "none, top-left, top-right, bottom-left or bottom-right",
       .configure =
           [](EditSettings& settings, const EditStep& step) {
             settings.colors.transparentCorner = static_cast<int>(step.value);
           }},
      {.option = "--hq",
       .argument = "",
       .help = "high quality: --colors builds the palette and maps the\npixels with libimagequant; "
               "on an animation it reduces\nevery frame to one palette, still areas kept still",
       .configure = [](EditSettings& settings, const EditStep&) { settings.highQuality = true; }},
  };
  return rows;
}

}  // namespace zel::cli
