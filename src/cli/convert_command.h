// `zel-cli convert IN OUT [--quality N]`: opens a picture or animation and saves it in the
// format OUT's extension names, as the editor's save commands do.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zel::cli {

// Runs the command on its arguments; returns the exit code. The progress bar goes to
// `progressFd` when that is a terminal.
int RunConvertCommand(const std::vector<std::string>& args, std::FILE* err, int progressFd);

}  // namespace zel::cli
