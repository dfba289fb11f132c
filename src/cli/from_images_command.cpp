#include "cli/from_images_command.h"

#include <memory>
#include <optional>

#include "app/multi_picture_rules.h"
#include "cli/cli_common.h"
#include "cli/convert_command.h"
#include "cli/edit_operations.h"
#include "cli/interrupt.h"
#include "cli/terminal_progress.h"
#include "generators/listed_picture.h"
#include "generators/several_pictures.h"
#include "platform/clock.h"

namespace zel::cli {
namespace {

struct FromImagesArguments {
  std::vector<std::string> inputs;
  std::string output;
  SeveralPicturesOptions options;
};

bool NumberIn(const std::string& text, int low, int high, int* value) {
  int64_t v = 0;
  if (!ParseDigits(text, &v) || v < low || v > high) return false;
  *value = static_cast<int>(v);
  return true;
}

std::string SizeText(const PictureExtent& size) {
  return std::to_string(size.width) + " x " + std::to_string(size.height);
}

bool Parse(const std::vector<std::string>& args, FromImagesArguments* parsed, std::FILE* err) {
  SeveralPicturesOptions& o = parsed->options;
  o.colorCountIndex = 4;
  o.side = kSideMax;
  o.timeValue = kMultiPictureTimeStart;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--per-cycle") {
      o.perCycle = true;
    } else if (a == "--tempo") {
      o.tempo = true;
    } else if (a == "--hq") {
      o.highQuality = true;
    } else if (a == "--colors" || a == "--side" || a == "--time" || a == "-o" || a == "--output") {
      if (i + 1 >= args.size()) {
        PrintError(err, a + " needs a value");
        return false;
      }
      const std::string& v = args[++i];
      bool ok = true;
      std::string hint;
      if (a == "--colors") {
        int n = 0;
        ok = NumberIn(v, 16, 256, &n) && (n & (n - 1)) == 0;
        for (int k = 0; ok && k < 5; ++k) {
          if (n == 16 << k) o.colorCountIndex = k;
        }
        hint = "16, 32, 64, 128 or 256 (the transparent entry included)";
      } else if (a == "--side") {
        ok = NumberIn(v, kSideMin, kSideMax, &o.side);
        hint = "a side from 16 to 1280 pixels";
      } else if (a == "--time") {
        ok = NumberIn(v, 0, kSeveralTimeMax, &o.timeValue);
        hint = "a time from 0 to 1000 (hundredths of a second, or beats per minute)";
      } else {
        parsed->output = v;
      }
      if (!ok) {
        PrintError(err, a + " needs " + hint + ", not '" + v + "'");
        return false;
      }
    } else if (a.size() > 1 && a[0] == '-') {
      PrintError(err, "unknown option '" + a + "' of from-images");
      return false;
    } else {
      parsed->inputs.push_back(a);
    }
  }
  if (parsed->output.empty()) {
    PrintError(err, "from-images needs the output file: -o OUT.gif");
    return false;
  }
  if (parsed->inputs.size() < 2) {
    PrintError(err, "from-images needs at least two pictures");
    return false;
  }
  return true;
}

// The checks of the dialog's "追加", with what each refusal means for a file named here.
int CheckList(const std::vector<std::string>& inputs, std::FILE* err) {
  PictureList list;
  for (const std::string& path : inputs) {
    switch (AddPicture(list, path)) {
      case AddPictureResult::kAdded:
        break;
      case AddPictureResult::kIgnored:
        if (!CheckReadable(path, err)) return kExitUsage;
        PrintError(err, "cannot read the size of the picture in '" + path + "'");
        return kExitFailed;
      case AddPictureResult::kTooMany:
        PrintError(err,
                   "at most " + std::to_string(kPictureListMax) + " pictures make one animation");
        return kExitUsage;
      case AddPictureResult::kSizeDiffers: {
        const std::optional<PictureExtent> size = ReadListedPictureSize(path);
        PrintError(err, "'" + path + "' is " + SizeText(size.value_or(PictureExtent{})) +
                            ", the first picture " + SizeText(list.size) +
                            ": the pictures must all have the same size");
        return kExitFailed;
      }
    }
  }
  return kExitOk;
}

}  // namespace

int RunFromImagesCommand(const std::vector<std::string>& args, std::FILE* err, int progressFd) {
  FromImagesArguments parsed;
  if (!Parse(args, &parsed, err)) return kExitUsage;
  if (!CheckWritableFormat(parsed.output, err)) return kExitUsage;
  if (int checked = CheckList(parsed.inputs, err); checked != kExitOk) return checked;
  InterruptCatcher interrupts;
  std::unique_ptr<FrameSet> frames;
  SeveralPicturesFailure failure;
  int result = 0;
  DocumentState doc;
  {
    TerminalProgress progress(progressFd, static_cast<int>(parsed.inputs.size()) * 2);
    result = MakeSeveralPictureFrames(parsed.inputs, parsed.options, doc.backgroundColor,
                                      kPictureListMax, &progress, &frames, &failure);
    progress.Finish(result == 0);
  }
  if (InterruptCatcher::Take()) return ReportCancelled(parsed.output, err);
  if (result != 0) {
    const char* text = SeveralPicturesMessage(result);
    std::string where;
    if (failure.fileIndex >= 0)
      where = " (" + parsed.inputs[static_cast<size_t>(failure.fileIndex)] + ")";
    PrintError(err, std::string(text ? text : "the animation cannot be made") + where);
    return kExitFailed;
  }
  if (!CreateDocumentContainer(doc, kFrameMaxDefault) ||
      !InstallAnimation(doc, *frames, ImageKind::kFrameAnimation, TickCount())) {
    PrintError(err, "not enough memory for the animation");
    return kExitFailed;
  }
  return SaveDocumentTo(doc, parsed.output, kDefaultJpegQuality, err, progressFd);
}

}  // namespace zel::cli
