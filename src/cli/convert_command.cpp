#include "cli/convert_command.h"

#include <memory>

#include "cli/cli_common.h"
#include "cli/interrupt.h"
#include "cli/terminal_progress.h"
#include "document/frame_set.h"
#include "imagefiles/gif_encoder.h"
#include "resources/string_table.h"

namespace zel::cli {

int RunConvertCommand(const std::vector<std::string>& args, std::FILE* err, int progressFd) {
  if (args.size() != 2) {
    PrintUsage(err);
    return kExitUsage;
  }
  const std::string& input = args[0];
  const std::string& output = args[1];
  if (!IsReadableExtension(input)) {
    PrintError(err,
               "reading " + DescribeExtension(input) + " files is not supported yet; use .gif");
    return kExitUsage;
  }
  if (!IsWritableExtension(output)) {
    PrintError(err,
               "writing " + DescribeExtension(output) + " files is not supported yet; use .gif");
    return kExitUsage;
  }

  InterruptCatcher interrupts;
  std::unique_ptr<FrameSet> frames = LoadInput(input, err);
  if (!frames) return kExitFailed;

  // A single picture is saved the way the editor saves one: its own palette as the global
  // table and its own transparent colour (the screen's background byte is not one).
  if (frames->count == 1) {
    frames->transparentIndex = frames->frame(0).transparentIndex;
    frames->paletteCount = 0;
  }

  // Ctrl-C while loading stops before anything is written.
  int result = kGifWriteCancelled;
  if (!InterruptCatcher::Take()) {
    TerminalProgress progress(progressFd, frames->count);
    result = WriteGifFile(*frames, output, /*rawCodes=*/false, &progress);
    progress.Finish(result == kGifWriteOk);
  }
  if (result == kGifWriteCancelled) {
    PrintError(err, "cancelled; " + output + " was not changed");
    return kExitCancelled;
  }
  if (result != kGifWriteOk) {
    PrintError(err, std::string(kGifWriteFailedText) + " (" + output + ", code " +
                        std::to_string(result) + ")");
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace zel::cli
