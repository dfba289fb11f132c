// `zel-cli from-images A B C ... -o OUT`: one animation from several pictures of equal size,
// each a frame, on one common palette, made by the same generator as the editor's
// "複数画像をｱﾆﾒとして開く" and saved as convert saves.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zel::cli {

// Runs the command on its arguments; returns the exit code. The progress bar goes to
// `progressFd` when that is a terminal.
int RunFromImagesCommand(const std::vector<std::string>& args, std::FILE* err, int progressFd);

}  // namespace zel::cli
