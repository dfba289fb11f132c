#include "cli/info_command.h"

#include <memory>

#include "cli/cli_common.h"

namespace zel::cli {

void PrintFrameSetInfo(const FrameSet& frames, std::FILE* out) {
  std::fprintf(out, "screen       %dx%d\n", frames.screenWidth, frames.screenHeight);
  std::fprintf(out, "loop         %d\n", frames.loop);
  std::fprintf(out, "palette      %d\n", frames.paletteCount);
  std::fprintf(out, "transparent  %d\n", frames.transparentIndex);
  std::fprintf(out, "frames       %d\n", frames.count);
  std::fprintf(out, "%-7s %-11s %-11s %6s %8s %8s %6s %11s\n", "frame", "size", "position", "delay",
               "seconds", "disposal", "method", "transparent");
  for (int i = 0; i < frames.count; ++i) {
    const Frame& f = frames.frame(i);
    char size[32] = "-";
    if (f.image && f.image.size() >= kDibHeaderSize) {
      DibHeader h = f.image.Header();
      std::snprintf(size, sizeof size, "%dx%d", h.width, h.height < 0 ? -h.height : h.height);
    }
    char position[32];
    std::snprintf(position, sizeof position, "%d,%d", f.left, f.top);
    std::fprintf(out, "%-7d %-11s %-11s %6d %8.2f %8d %6d %11d\n", i, size, position, f.delay,
                 f.delay / 100.0, f.disposal, f.disposalMethod, f.transparentIndex);
  }
}

int RunInfoCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  if (args.size() != 1) {
    PrintUsage(err);
    return kExitUsage;
  }
  const std::string& path = args[0];
  if (!IsReadableExtension(path)) {
    PrintError(err, "reading " + DescribeExtension(path) + " files is not supported yet; use .gif");
    return kExitUsage;
  }
  std::unique_ptr<FrameSet> frames = LoadInput(path, err);
  if (!frames) return kExitFailed;
  PrintFrameSetInfo(*frames, out);
  return kExitOk;
}

}  // namespace zel::cli
