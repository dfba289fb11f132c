// `zel-cli convert IN.gif OUT.gif`: reads an animation or picture and writes it as GIF.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zel::cli {

// Runs the command on its arguments (input and output names); returns the exit code.
// The progress bar goes to `progressFd` when that is a terminal.
int RunConvertCommand(const std::vector<std::string>& args, std::FILE* err, int progressFd);

}  // namespace zel::cli
