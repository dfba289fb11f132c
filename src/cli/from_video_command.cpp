#include "cli/from_video_command.h"

#include <charconv>
#include <cmath>
#include <memory>
#include <optional>

#include "app/video_import_rules.h"
#include "cli/cli_common.h"
#include "cli/convert_command.h"
#include "cli/edit_operations.h"
#include "cli/interrupt.h"
#include "cli/terminal_progress.h"
#include "generators/video_animation.h"
#include "platform/clock.h"

namespace zel::cli {
namespace {

struct FromVideoArguments {
  std::string input;
  std::string output;
  std::optional<double> start, duration, fps;
  std::optional<int> width, colors;
  bool fast = false;
};

std::optional<double> ParseNumber(const std::string& text) {
  if (text.empty() || text.size() > 24) return std::nullopt;
  for (char c : text) {
    if (!(c >= '0' && c <= '9') && c != '.') return std::nullopt;
  }
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

bool Parse(const std::vector<std::string>& args, FromVideoArguments* parsed, std::FILE* err) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--fast") {
      parsed->fast = true;
    } else if (a == "--start" || a == "--duration" || a == "--fps" || a == "--width" ||
               a == "--colors" || a == "-o" || a == "--output") {
      if (i + 1 >= args.size()) {
        PrintError(err, a + " needs a value");
        return false;
      }
      const std::string& v = args[++i];
      bool ok = true;
      std::string hint;
      if (a == "--start" || a == "--duration") {
        const std::optional<double> seconds = ParseVideoSeconds(v);
        ok = seconds.has_value() && (a == "--start" || *seconds > 0);
        (a == "--start" ? parsed->start : parsed->duration) = seconds;
        hint = "a time in seconds (12.5) or minutes and seconds (1:02.5)";
      } else if (a == "--fps") {
        parsed->fps = ParseNumber(v);
        ok = parsed->fps && *parsed->fps >= kVideoFpsMin && *parsed->fps <= kVideoFpsMax;
        hint = "a rate from 1 to 50 frames per second";
      } else if (a == "--width" || a == "--colors") {
        int64_t n = 0;
        const bool width = a == "--width";
        const int low = width ? kVideoWidthMin : kVideoColorsMin;
        const int high = width ? kVideoWidthMax : kVideoColorsMax;
        ok = ParseDigits(v, &n) && n >= low && n <= high;
        (width ? parsed->width : parsed->colors) = static_cast<int>(n);
        hint = width ? "a width from 16 to 4096 pixels" : "16 to 256 colours";
      } else {
        parsed->output = v;
      }
      if (!ok) {
        PrintError(err, a + " needs " + hint + ", not '" + v + "'");
        return false;
      }
    } else if (a.size() > 1 && a[0] == '-') {
      PrintError(err, "unknown option '" + a + "' of from-video");
      return false;
    } else if (parsed->input.empty()) {
      parsed->input = a;
    } else {
      PrintError(err, "from-video reads one video clip, not also '" + a + "'");
      return false;
    }
  }
  if (parsed->input.empty()) {
    PrintError(err, "from-video needs the video clip to read");
    return false;
  }
  if (parsed->output.empty()) {
    PrintError(err, "from-video needs the output file: -o OUT.gif");
    return false;
  }
  return true;
}

}  // namespace

int RunFromVideoCommand(const std::vector<std::string>& args, std::FILE* err, int progressFd) {
  FromVideoArguments parsed;
  if (!Parse(args, &parsed, err)) return kExitUsage;
  if (!CheckWritableFormat(parsed.output, err)) return kExitUsage;

  // The clip's defaults as the dialog offers them, then what the command line says.
  std::unique_ptr<VideoReader> reader;
  if (const VideoStatus opened = VideoReader::Open(parsed.input, &reader);
      opened != VideoStatus::kOk) {
    const char* text = VideoImportMessage(
        opened == VideoStatus::kTooLarge ? VideoImportResult::kTooLarge
                                         : opened == VideoStatus::kNoMemory
                                               ? VideoImportResult::kNoMemory
                                               : VideoImportResult::kBadFile);
    PrintError(err, "'" + parsed.input + "': " + text);
    return kExitFailed;
  }
  VideoImportSettings settings = DefaultVideoSettings(reader->Info());
  const bool lengthKnown = reader->Info().durationSeconds > 0;
  reader.reset();
  if (!lengthKnown && !parsed.duration) {
    PrintError(err, "'" + parsed.input + "' does not say how long it is: give --duration");
    return kExitUsage;
  }
  settings.length = 0;  // to the end unless --duration says otherwise
  if (parsed.start) settings.start = *parsed.start;
  if (parsed.duration) settings.length = *parsed.duration;
  if (parsed.fps) settings.fps = *parsed.fps;
  if (parsed.width) settings.width = *parsed.width;
  if (parsed.colors) settings.colors = *parsed.colors;
  settings.highQuality = !parsed.fast;

  InterruptCatcher interrupts;
  std::unique_ptr<FrameSet> frames;
  VideoImportResult result = VideoImportResult::kDone;
  DocumentState doc;
  {
    TerminalProgress progress(progressFd, 100);
    result = MakeVideoFrames(parsed.input, settings, kFrameMaxHighest, &progress, &frames);
    progress.Finish(result == VideoImportResult::kDone);
  }
  if (result == VideoImportResult::kCancelled || InterruptCatcher::Take()) {
    return ReportCancelled(parsed.output, err);
  }
  if (result != VideoImportResult::kDone) {
    const char* text = VideoImportMessage(result);
    PrintError(err, "'" + parsed.input + "': " + (text ? text : "the animation cannot be made"));
    return kExitFailed;
  }
  if (!CreateDocumentContainer(doc, kFrameMaxHighest) ||
      !InstallAnimation(doc, *frames, ImageKind::kFrameAnimation, TickCount())) {
    PrintError(err, "not enough memory for the animation");
    return kExitFailed;
  }
  return SaveDocumentTo(doc, parsed.output, kDefaultJpegQuality, err, progressFd);
}

}  // namespace zel::cli
