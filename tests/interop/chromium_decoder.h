// Headless Chromium as the reference viewer of the round-trip tests: one run decodes a
// whole list of files with WebCodecs' ImageDecoder and hands back every frame in RGBA with
// its duration and the track's repetition count.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "interop/composed_animation.h"

namespace zel::interop {

// Where the Debian package puts it; the test scripts install it.
inline constexpr const char* kChromiumPath = "/usr/bin/chromium";

struct ChromiumInput {
  std::string key;       // a word ([A-Za-z0-9_.-]) naming the result
  std::string path;      // the file
  std::string mimeType;  // "image/gif" or "image/png"
};

// Runs Chromium once (headless, a fresh profile in `scratchDir`, no network) over a page
// that embeds every file, and returns the decoded files by key. Chromium's durations
// (microseconds) become hundredths; its repetition count is the loop count (Infinity for
// ever, 0 for a file without a looping extension). Fails the current test and returns
// nothing when Chromium is missing or gives no complete answer; a file Chromium cannot
// decode fails the test and has no entry.
std::optional<std::map<std::string, ComposedAnimation>> DecodeWithChromium(
    const std::vector<ChromiumInput>& inputs, const std::string& scratchDir);

}  // namespace zel::interop
