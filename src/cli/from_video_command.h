// `zel-cli from-video IN [--start S] [--duration D] [--fps F] [--width W] [--colors N]
// [--fast] -o OUT`: a new animation from a stretch of a video clip, made by the same
// generator as the editor's "動画を開く" and saved as convert saves.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zel::cli {

// Runs the command on its arguments; returns the exit code. The progress bar goes to
// `progressFd` when that is a terminal.
int RunFromVideoCommand(const std::vector<std::string>& args, std::FILE* err, int progressFd);

}  // namespace zel::cli
