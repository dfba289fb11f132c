#include "app/startup_rules.h"

#include <cstring>

#include "app/save_rules.h"
#include "document/frame_set.h"
#include "platform/file_io.h"

namespace zel {
namespace {

constexpr size_t kQuickTestBytes = 1024;

// The first `maxChars` UTF-8 characters of `text`.
std::string FirstChars(const std::string& text, size_t maxChars) {
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<uint8_t>(text[i]) & 0xC0) == 0x80) continue;
    if (chars++ == maxChars) return text.substr(0, i);
  }
  return text;
}

}  // namespace

std::string JoinCommandLine(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& arg : args) {
    if (!line.empty()) line += ' ';
    if (arg.find_first_of(" \t") != std::string::npos) {
      line += '"' + arg + '"';
    } else {
      line += arg;
    }
  }
  return line;
}

std::optional<std::string> CommandLineFileName(const std::string& commandLine) {
  size_t dot = commandLine.rfind('.');
  if (dot == std::string::npos) return std::nullopt;
  size_t closing = commandLine.find('"', dot);
  if (closing == std::string::npos) return TruncateUtf8(commandLine, kCommandLineNameMax);
  // No quote lies between the full stop and `closing`, so the opening one is before the stop.
  size_t opening = commandLine.rfind('"', dot);
  if (opening == std::string::npos) return std::nullopt;
  return commandLine.substr(opening + 1, closing - opening - 1);
}

bool IsQuickAnimatedGifHead(const uint8_t* data, size_t size) {
  if (data == nullptr || size < kQuickTestBytes) return false;
  const uint8_t* b = data;
  const size_t end = kQuickTestBytes;
  if (std::memcmp(b, "GIF", 3) != 0) return false;
  size_t pos = 13;
  if (b[10] & 0x80) pos += 3u << ((b[10] & 7) + 1);
  static constexpr uint8_t kLooping[15] = {0xFF, 0x0B, 'N', 'E', 'T', 'S',  'C', 'A',
                                           'P',  'E',  '2', '.', '0', 0x03, 0x01};
  while (pos < end) {
    if (b[pos] != 0x21) return false;
    if (pos + 1 + sizeof kLooping <= end &&
        std::memcmp(b + pos + 1, kLooping, sizeof kLooping) == 0) {
      return true;
    }
    pos += 2;  // introducer and label
    while (pos < end && b[pos] != 0) pos += b[pos] + 1u;
    ++pos;  // block terminator
  }
  return false;
}

bool IsQuickAnimatedGif(const std::string& path) {
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot + 1 >= path.size()) return false;
  if (path[dot + 1] != 'g' && path[dot + 1] != 'G') return false;
  // Only regular files: a FIFO or device named on the command line must not block start-up.
  std::optional<std::vector<uint8_t>> head = ReadFileHead(path, kQuickTestBytes);
  if (!head || head->size() != kQuickTestBytes) return false;
  return IsQuickAnimatedGifHead(head->data(), head->size());
}

bool NeedsSaveConfirmation(const DocumentState& doc) {
  return IsDocumentOpen(doc) && HasUnsavedChanges(doc);
}

int ClampFrameMaxSetting(int typed) {
  return ClampFrameMax(typed);
}

int DialogTextToInt(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  size_t end = text.find_last_not_of(" \t");
  if (begin == std::string::npos) return 0;
  size_t i = begin;
  bool negative = false;
  if (text[i] == '-' || text[i] == '+') negative = text[i++] == '-';
  if (i > end) return 0;
  int64_t value = 0;
  for (; i <= end; ++i) {
    if (text[i] < '0' || text[i] > '9') return 0;
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{INT32_MAX} + 1) return 0;
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return 0;
  return static_cast<int>(value);
}

bool ApplyDefineDialog(Settings& settings, const std::string& editorPath, bool showAfterGifSave,
                       bool browserBackground, int typedFrameMax) {
  settings.editorPath = FirstChars(editorPath, kEditorPathMaxChars);
  settings.options &= ~static_cast<uint32_t>(kOptionShowAfterGifSave | kOptionBrowserBackground);
  if (showAfterGifSave) settings.options |= kOptionShowAfterGifSave;
  if (browserBackground) settings.options |= kOptionBrowserBackground;
  int frameMax = ClampFrameMaxSetting(typedFrameMax);
  if (frameMax == settings.frameMax) return false;
  settings.frameMax = frameMax;
  return true;
}

std::string DefineBrowseInitialPath(const std::string& editorPath,
                                    const std::string& programFolder) {
  if (!editorPath.empty()) return editorPath;
  std::string path = programFolder;
  if (!path.empty() && path.back() != '/') path += '/';
  return path + Say(kEditorBrowseProposal);
}

}  // namespace zel
