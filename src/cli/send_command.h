// `zel-cli send FILE`: hands a picture to the running editor, as another program would.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zel::cli {

// How long the editor gets to take the picture and answer.
constexpr int kSendTimeoutMs = 30000;

// Runs the command on its arguments (the file name alone); returns the exit code: 0 when
// the editor answered, 1 when the file cannot be read or no editor runs.
int RunSendCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace zel::cli
