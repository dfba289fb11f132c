// `zel-cli motions`: the motion definitions the editor offers, with their point counts.
// The definitions are those of zel.ini and the data folder; the built-in ones are installed
// there when absent, as the editor does at start-up.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "generators/motion_definitions.h"
#include "platform/profile_file.h"

namespace zel::cli {

// Reads zel.ini into `profile` and the definitions from it (installing the built-ins).
void OpenMotionDefinitions(ProfileFile& profile, MotionDefinitions& defs);

// The names --motion accepts, for messages and help.
std::string MotionNamesText(const MotionDefinitions& defs);

int RunMotionsCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace zel::cli
