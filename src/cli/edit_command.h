// `zel-cli edit IN [OPERATIONS...] -o OUT`: opens a picture or animation, applies the
// operations of the edit table (edit_operations.h) in the order given, and saves the result
// in the format OUT's extension names. Frame numbers are 1-based, as the editor shows them.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zel::cli {

// Runs the command on its arguments; returns the exit code. The progress bar of a GIF
// output goes to `progressFd` when that is a terminal.
int RunEditCommand(const std::vector<std::string>& args, std::FILE* err, int progressFd);

}  // namespace zel::cli
