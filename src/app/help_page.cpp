#include "app/help_page.h"

#include "platform/file_io.h"

namespace zel {

std::string HelpPagePath(const std::string& helpFolder, Language language) {
  std::string folder = helpFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  if (language == Language::kEnglish && IsRegularFile(folder + kEnglishHelpPage)) {
    return folder + kEnglishHelpPage;
  }
  return folder + kJapaneseHelpPage;
}

std::string HelpFolder(const std::string& programFolder) {
  std::string folder = programFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  if (IsRegularFile(folder + "help/" + kJapaneseHelpPage)) return folder + "help";
  return folder + "../share/zel/help";
}

}  // namespace zel
