// `zel-cli make-anime IN --effect NAME ... -o OUT`: a new animation from a picture, made by
// the same generator as the editor's "アニメ作成" and saved as convert saves.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zel::cli {

// Runs the command on its arguments; returns the exit code. The progress bar goes to
// `progressFd` when that is a terminal.
int RunMakeAnimeCommand(const std::vector<std::string>& args, std::FILE* err, int progressFd);

// The effects as the command names them, indented lines for the help text.
std::string EffectNamesHelp();

}  // namespace zel::cli
