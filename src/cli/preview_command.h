// `zel-cli preview FILE.gif`: writes the preview page for a GIF file into the settings
// folder and opens it in the desktop's web browser.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zel::cli {

int RunPreviewCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace zel::cli
