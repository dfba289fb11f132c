#include "cli/cli_common.h"

#include "imagefiles/gif_decoder.h"
#include "resources/string_table.h"

namespace zel::cli {

std::string ExtensionOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) return "";
  return path.substr(dot + 1);
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool IsReadableExtension(const std::string& path) {
  std::string ext = LowerAscii(ExtensionOf(path));
  return !ext.empty() && ext[0] == 'g';
}

bool IsWritableExtension(const std::string& path) {
  return LowerAscii(ExtensionOf(path)) == "gif";
}

std::string DescribeExtension(const std::string& path) {
  std::string ext = ExtensionOf(path);
  return ext.empty() ? "extensionless" : "." + ext;
}

void PrintError(std::FILE* err, const std::string& text) {
  std::fprintf(err, "zel-cli: %s\n", text.c_str());
}

void PrintUsage(std::FILE* to) {
  std::fputs(
      "usage: zel-cli info FILE.gif\n"
      "       zel-cli convert IN.gif OUT.gif\n"
      "       zel-cli --help\n"
      "\n"
      "commands:\n"
      "  info     print the logical screen, the palette and every frame of a GIF file\n"
      "  convert  read a GIF file and write it again as OUT (a .gif file)\n"
      "\n"
      "exit status: 0 done, 1 the file could not be read or written, 2 bad arguments\n",
      to);
}

std::unique_ptr<FrameSet> LoadInput(const std::string& path, std::FILE* err) {
  std::unique_ptr<FrameSet> frames = FrameSet::Create(kFrameMaxHighest);
  if (!frames) {
    PrintError(err, MessageText(kMsgNoMemory));
    return nullptr;
  }
  // The reader accepts a file that ends before its first image; there is nothing to show.
  if (!LoadGifAnimation(path, *frames, kFrameMaxHighest) || frames->count == 0) {
    PrintError(err, std::string(MessageText(kMsgBadImageFile)) + " (" + path + ")");
    return nullptr;
  }
  return frames;
}

}  // namespace zel::cli
