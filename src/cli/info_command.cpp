#include "cli/info_command.h"

#include <memory>

#include "cli/cli_common.h"
#include "document/colour_key.h"
#include "imagefiles/image_loader.h"

namespace zel::cli {
namespace {

const char* KindName(ImageKind kind) {
  switch (kind) {
    case ImageKind::kGifAnimation:
      return "gif-animation";
    case ImageKind::kFrameAnimation:
      return "frame-animation";
    case ImageKind::kGifPicture:
      return "gif";
    case ImageKind::kBitmap:
      return "bitmap";
    case ImageKind::kJpeg:
      return "jpeg";
    case ImageKind::kPng:
      return "png";
    case ImageKind::kNone:
      break;
  }
  return "none";
}

std::string SizeText(const PackedDib& picture) {
  if (!picture || picture.size() < kDibHeaderSize) return "-";
  DibHeader h = picture.Header();
  return std::to_string(h.width) + "x" + std::to_string(h.height < 0 ? -h.height : h.height);
}

// The frame's rectangle as the file declares it (a frame not read from a GIF file: its
// picture's size).
std::string BlockSizeText(const Frame& frame) {
  if (frame.blockWidth <= 0 || frame.blockHeight <= 0) return SizeText(frame.image);
  return std::to_string(frame.blockWidth) + "x" + std::to_string(frame.blockHeight);
}

std::string LoopText(int32_t loopCount) {
  if (loopCount == kPlayOnce) return "once";  // no looping extension
  if (loopCount == kLoopForever) return "forever";
  return std::to_string(loopCount);
}

std::string IndexText(int32_t index) {
  return index < 0 ? "none" : std::to_string(index);
}

// The transparent colour the frames declare: none, the one index they all declare, or
// "mixed" when they declare different ones (each frame's is in its row).
std::string DeclaredTransparentText(const FrameSet& frames) {
  int32_t declared = -1;
  for (int i = 0; i < frames.count; ++i) {
    const int32_t t = frames.frame(i).transparentIndex;
    if (t < 0) continue;
    if (declared >= 0 && t != declared) return "mixed";
    declared = t;
  }
  return IndexText(declared);
}

}  // namespace

void PrintFrameSetInfo(const FrameSet& frames, std::FILE* out) {
  std::fprintf(out, "screen       %dx%d\n", frames.screenWidth, frames.screenHeight);
  std::fprintf(out, "loop         %s\n", LoopText(frames.loopCount).c_str());
  std::fprintf(out, "palette      %d\n", frames.paletteCount);
  std::fprintf(out, "transparent  %s\n", DeclaredTransparentText(frames).c_str());
  std::fprintf(out, "frames       %d\n", frames.count);
  std::fprintf(out, "%-7s %-11s %-11s %6s %8s %8s %6s %11s\n", "frame", "size", "position", "delay",
               "seconds", "disposal", "method", "transparent");
  for (int i = 0; i < frames.count; ++i) {
    const Frame& f = frames.frame(i);
    char position[32];
    std::snprintf(position, sizeof position, "%d,%d", f.left, f.top);
    std::fprintf(out, "%-7d %-11s %-11s %6d %8.2f %8d %6d %11s\n", i, BlockSizeText(f).c_str(),
                 position, f.delay, f.delay / 100.0, f.disposal, f.disposalMethod,
                 IndexText(f.transparentIndex).c_str());
  }
}

void PrintDocumentInfo(const DocumentState& doc, std::FILE* out) {
  std::fprintf(out, "kind         %s\n", KindName(doc.kind));
  std::fprintf(out, "size         %dx%d\n", doc.width, doc.height);
  std::fprintf(out, "bits         %d\n", doc.bitCount);
  std::fprintf(out, "colors       %u\n", doc.currentPicture ? doc.currentPicture.ColorCount() : 0);
  // A full-colour picture names its transparent pixels by their key colour (#RRGGBB).
  if (const std::optional<uint32_t> key = ReadColourKey(doc.currentPicture);
      key && !IsAnimation(doc.kind)) {
    std::fprintf(out, "transparent  colour #%02X%02X%02X\n", *key & 0xFF, (*key >> 8) & 0xFF,
                 (*key >> 16) & 0xFF);
  } else {
    std::fprintf(out, "transparent  %d\n", doc.frameSet->transparentIndex);
  }
  if (!IsAnimation(doc.kind)) return;
  const FrameSet& frames = *doc.frameSet;
  std::fprintf(out, "frames       %d\n", frames.count);
  std::fprintf(out, "%-7s %-11s %6s %8s\n", "frame", "size", "delay", "seconds");
  for (int i = 0; i < frames.count; ++i) {
    const Frame& f = frames.frame(i);
    std::fprintf(out, "%-7d %-11s %6d %8.2f\n", i, SizeText(f.image).c_str(), f.delay,
                 f.delay / 100.0);
  }
}

int RunInfoCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  if (args.size() != 1) {
    PrintUsage(err);
    return kExitUsage;
  }
  const std::string& path = args[0];
  if (!CheckReadable(path, err)) return kExitUsage;
  if (ReaderLetter(path) == 'g') {
    // GIF files are described frame by frame as stored: placement, disposal, transparency.
    std::unique_ptr<FrameSet> frames = LoadGifFrames(path, err);
    if (!frames) return kExitFailed;
    std::fprintf(out, "format       GIF\n");
    PrintFrameSetInfo(*frames, out);
    return kExitOk;
  }
  DocumentState doc;
  if (!LoadDocument(path, doc, err)) return kExitFailed;
  PrintDocumentInfo(doc, out);
  return kExitOk;
}

}  // namespace zel::cli
