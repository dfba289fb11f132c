#include "cli/preview_command.h"

#include <filesystem>

#include "app/settings.h"
#include "cli/cli_common.h"
#include "imagefiles/image_loader.h"
#include "integration/browser_preview.h"
#include "platform/folders.h"
#include "platform/process.h"
#include "platform/profile_file.h"

namespace zel::cli {

int RunPreviewCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  if (args.size() != 1) {
    PrintUsage(err);
    return kExitUsage;
  }
  if (ReaderLetter(args[0]) != 'g') {
    PrintError(err, "preview shows GIF files; " + DescribeExtension(args[0]) + " is not one");
    return kExitUsage;
  }
  std::error_code error;
  const std::string path = std::filesystem::absolute(args[0], error).lexically_normal().string();
  DocumentState doc;
  if (error || !LoadDocument(path, doc, err)) return kExitFailed;

  ProfileFile profile;
  profile.Load(SettingsFilePath());
  const AppSettings settings = LoadAppSettings(profile, PicturesFolder());
  const bool asBackground = (settings.block.options & kOptionBrowserBackground) != 0;
  const std::string page = SettingsFolder(true) + kPreviewPageName;
  bool opened = false;
  auto open = [&opened](const std::string& url) { return opened = OpenPageWithDesktop(url); };
  if (!ShowInBrowser(path, page, settings.backgroundColor, asBackground, open)) {
    PrintError(err, "cannot write the page " + page);
    return kExitFailed;
  }
  std::fprintf(out, "wrote %s\n", page.c_str());
  if (opened) {
    std::fprintf(out, "opened it in the web browser\n");
  } else {
    std::fprintf(out, "no web browser to open it with (xdg-open was not found)\n");
  }
  return kExitOk;
}

}  // namespace zel::cli
