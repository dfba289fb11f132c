#include "cli/midi_tempo_command.h"

#include "cli/cli_common.h"
#include "integration/midi_tempo.h"

namespace zel::cli {

int RunMidiTempoCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  if (args.size() != 1) {
    PrintUsage(err);
    return kExitUsage;
  }
  const std::string& path = args[0];
  MidiTempoResult result = FindMidiTempoFile(path);
  if (!result.found || result.microsecondsPerQuarter == 0) {
    const char* reason = result.found ? "its tempo is 0" : MidiTempoErrorText(result.error);
    PrintError(err, std::string(Say(kMidiNoTempoMessage)) + " (" + path + ": " + reason + ")");
    return kExitFailed;
  }
  const TempoNumbers numbers = FormatTempo(result.microsecondsPerQuarter);
  std::fprintf(out, "tempo: %s beats per minute (%u microseconds per beat)\n",
               numbers.beatsPerMinute.c_str(), result.microsecondsPerQuarter);
  const char* labels[4] = {"1 beat: ", "2 beats:", "3 beats:", "4 beats:"};
  for (int i = 0; i < 4; ++i) {
    std::fprintf(out, "%s %s s\n", labels[i], numbers.beatSeconds[i].c_str());
  }
  return kExitOk;
}

}  // namespace zel::cli
