// `zel-cli info FILE`: the logical screen and the frame records of a GIF file.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "document/frame_set.h"

namespace zel::cli {

// Runs the command on its arguments (the file name alone); returns the exit code.
int RunInfoCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

// Prints the report of a loaded FrameSet.
void PrintFrameSetInfo(const FrameSet& frames, std::FILE* out);

}  // namespace zel::cli
