#include "cli/convert_command.h"

#include <cstdlib>

#include "app/save_document.h"
#include "app/save_rules.h"
#include "cli/cli_common.h"
#include "cli/interrupt.h"
#include "cli/terminal_progress.h"
#include "imagefiles/gif_encoder.h"
#include "resources/string_table.h"

namespace zel::cli {
namespace {

struct ConvertArguments {
  std::string input;
  std::string output;
  int quality = kDefaultJpegQuality;
  bool optimize = false;
  std::optional<int> lossy;  // --lossy Q
};

bool ParseArguments(const std::vector<std::string>& args, ConvertArguments* parsed,
                    std::FILE* err) {
  std::vector<std::string> names;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--quality") {
      if (i + 1 >= args.size()) {
        PrintError(err, "--quality needs a number from 30 to 100");
        return false;
      }
      if (!ParseQuality(args[i + 1], &parsed->quality, err)) return false;
      ++i;
      continue;
    }
    if (args[i] == "--lossy") {
      if (i + 1 >= args.size()) {
        PrintError(err, "--lossy needs a number from 0 to 100");
        return false;
      }
      int q = 0;
      if (!ParseLossyQuality(args[i + 1], &q, err)) return false;
      parsed->lossy = q;
      ++i;
      continue;
    }
    if (args[i] == "--optimize") {
      parsed->optimize = true;
      continue;
    }
    names.push_back(args[i]);
  }
  if (names.size() != 2) {
    PrintUsage(err);
    return false;
  }
  parsed->input = names[0];
  parsed->output = names[1];
  return CheckLossyOutput(parsed->lossy, parsed->output, err);
}

// Why the document cannot be written in the format, or "" when it can.
std::string RefusalFor(OutputFormat format, const DocumentState& doc) {
  const std::string bits = std::to_string(doc.bitCount) + "-bit";
  switch (format) {
    case OutputFormat::kGif:
      if (CanSaveAsGif(doc)) return "";
      return "a " + bits + " picture cannot be saved as GIF: GIF needs an 8-bit picture of at " +
             "most 256 colours (reduce its colours first)";
    case OutputFormat::kJpeg:
      if (CanSaveAsJpeg(doc)) return "";
      return "an " + bits + " picture cannot be saved as JPEG: JPEG needs a 24-bit picture";
    case OutputFormat::kIcon:
      if (CanMakeIcon(doc)) return "";
      return "an icon needs a single 8-bit picture of 32 x 32 pixels; this is a " + bits + " " +
             (IsAnimation(doc.kind) ? "animation" : "picture") + " of " +
             std::to_string(doc.width) + " x " + std::to_string(doc.height);
    case OutputFormat::kBitmap:
      return CanSaveAsBitmap(doc) ? "" : "there is no picture to save";
    case OutputFormat::kWebp:
    case OutputFormat::kPng:
      if (CanSaveAsWebp(doc)) return "";
      return "a " + bits + " picture cannot be saved as " +
             (format == OutputFormat::kWebp ? "WebP" : "PNG") + ": it needs 8 or 24 bits";
    case OutputFormat::kUnknown:
      break;
  }
  return "unknown format";
}

// The exit code of a save, with its message when it did not happen.
int SaveExitCode(const Outcome& result, const std::string& output, std::FILE* err) {
  if (result.kind() == OutcomeKind::kCancelled) return ReportCancelled(output, err);
  if (!result.done()) {
    const char* text = OutcomeText(result);
    PrintError(err, std::string(text ? text : Say(kGifWriteFailedText)) + " (" + output + ")");
    return kExitFailed;
  }
  return kExitOk;
}

int SaveGif(DocumentState& doc, const std::string& output, std::FILE* err, int progressFd,
            bool optimize) {
  TerminalProgress progress(progressFd, IsAnimation(doc.kind) ? doc.frameSet->count : 1);
  const Outcome result = SaveDocumentAsGif(doc, output, &progress, optimize);
  progress.Finish(result.done());
  return SaveExitCode(result, output, err);
}

// WebP and PNG, with the progress bar over the frames.
int SaveWebpOrPng(DocumentState& doc, OutputFormat format, const std::string& output,
                  std::optional<int> lossy, std::FILE* err, int progressFd) {
  TerminalProgress progress(progressFd, IsAnimation(doc.kind) ? doc.frameSet->count : 1);
  WebpOptions options;
  options.lossy = lossy.has_value();
  options.quality = lossy.value_or(75);
  const Outcome result = format == OutputFormat::kWebp
                             ? SaveDocumentAsWebp(doc, output, options, &progress)
                             : SaveDocumentAsPng(doc, output, &progress);
  progress.Finish(result.done());
  return SaveExitCode(result, output, err);
}

}  // namespace

bool ParseLossyQuality(const std::string& text, int* quality, std::FILE* err) {
  char* end = nullptr;
  const long q = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || q < 0 || q > 100) {
    PrintError(err, "--lossy needs a number from 0 to 100, not '" + text + "'");
    return false;
  }
  *quality = static_cast<int>(q);
  return true;
}

bool CheckLossyOutput(const std::optional<int>& lossy, const std::string& output,
                      std::FILE* err) {
  if (!lossy || OutputFormatOf(output) == OutputFormat::kWebp) return true;
  PrintError(err, "--lossy is for a .webp output, not " + DescribeExtension(output));
  return false;
}

bool ParseQuality(const std::string& text, int* quality, std::FILE* err) {
  char* end = nullptr;
  long q = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || q < 30 || q > 100) {
    PrintError(err, "--quality needs a number from 30 to 100, not '" + text + "'");
    return false;
  }
  *quality = static_cast<int>(q);
  return true;
}

bool CheckWritableFormat(const std::string& output, std::FILE* err) {
  if (OutputFormatOf(output) != OutputFormat::kUnknown) return true;
  PrintError(err, "writing " + DescribeExtension(output) +
                      " files is not supported; use .gif, .bmp, .jpg, .ico, .webp or .png");
  return false;
}

int ReportCancelled(const std::string& output, std::FILE* err) {
  PrintError(err, "cancelled; " + output + " was not changed");
  return kExitCancelled;
}

int OpenInputForOutput(const std::string& input, const std::string& output,
                       std::optional<InterruptCatcher>& interrupts, DocumentState& doc,
                       std::FILE* err) {
  if (!CheckReadable(input, err)) return kExitUsage;
  if (!CheckWritableFormat(output, err)) return kExitUsage;
  interrupts.emplace();
  if (!LoadDocument(input, doc, err)) return kExitFailed;
  // Ctrl-C while loading stops before anything is written.
  if (InterruptCatcher::Take()) return ReportCancelled(output, err);
  return kExitOk;
}

int SaveDocumentTo(DocumentState& doc, const std::string& output, int quality, std::FILE* err,
                   int progressFd, bool optimizeGif, std::optional<int> webpLossy) {
  OutputFormat format = OutputFormatOf(output);
  if (format == OutputFormat::kUnknown) {
    CheckWritableFormat(output, err);
    return kExitUsage;
  }
  std::string refusal = RefusalFor(format, doc);
  if (!refusal.empty()) {
    PrintError(err, refusal);
    return kExitUsage;
  }

  Outcome result = Outcome::NothingDone();
  switch (format) {
    case OutputFormat::kGif:
      return SaveGif(doc, output, err, progressFd, optimizeGif);
    case OutputFormat::kBitmap:
      result = SaveDocumentAsBitmap(doc, output);
      break;
    case OutputFormat::kJpeg:
      result = SaveDocumentAsJpeg(doc, output, quality);
      break;
    case OutputFormat::kIcon:
      result = MakeIconFile(doc, output);
      break;
    case OutputFormat::kWebp:
    case OutputFormat::kPng:
      return SaveWebpOrPng(doc, format, output, webpLossy, err, progressFd);
    case OutputFormat::kUnknown:
      break;
  }
  if (!result.done()) {
    const char* text = OutcomeText(result);
    PrintError(err, std::string(text ? text : Say(kGifWriteFailedText)) + " (" + output + ")");
    return kExitFailed;
  }
  return kExitOk;
}

int RunConvertCommand(const std::vector<std::string>& args, std::FILE* err, int progressFd) {
  ConvertArguments parsed;
  if (!ParseArguments(args, &parsed, err)) return kExitUsage;
  std::optional<InterruptCatcher> interrupts;
  DocumentState doc;
  const int opened = OpenInputForOutput(parsed.input, parsed.output, interrupts, doc, err);
  if (opened != kExitOk) return opened;
  return SaveDocumentTo(doc, parsed.output, parsed.quality, err, progressFd, parsed.optimize,
                        parsed.lossy);
}

}  // namespace zel::cli
