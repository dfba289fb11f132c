// Short video clips made by FFmpeg's command-line tool, once per test process, for the tests
// of opening videos; and the pictures FFmpeg itself decodes from them.
#pragma once

#include <string>
#include <vector>

namespace zel::testing {

// The clip `name` (its extension chooses the container) made by
// `ffmpeg -y <arguments> <folder>/<name>` the first time it is asked for; the path, or ""
// when ffmpeg is missing or fails. The folder goes when the process ends.
std::string TestClip(const std::string& name, const std::vector<std::string>& arguments);

// A 2-second 160 x 120 testsrc2 clip at 30 frames a second (H.264 in MP4, a key picture every
// half second).
std::string BarsClip();

// Runs a program (no shell) with stdout and stderr discarded; true when it exits with 0.
bool RunQuietly(const std::vector<std::string>& argv);

}  // namespace zel::testing
