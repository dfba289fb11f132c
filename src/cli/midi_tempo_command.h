// `zel-cli midi-tempo FILE.mid`: the tempo of a MIDI file, as the MIDI tempo window shows it.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zel::cli {

int RunMidiTempoCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace zel::cli
