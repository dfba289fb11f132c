// zel-cli: the GIF reader and writer of Zel, from the command line.

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/program_options.h"
#include "cli/cli_common.h"
#include "cli/command_options.h"
#include "cli/convert_command.h"
#include "cli/edit_command.h"
#include "cli/from_images_command.h"
#include "cli/from_video_command.h"
#include "cli/info_command.h"
#include "cli/make_anime_command.h"
#include "cli/midi_tempo_command.h"
#include "cli/motions_command.h"
#include "cli/preview_command.h"
#include "cli/send_command.h"
#include "platform/heap_tuning.h"
#include "zel_version.h"

int main(int argc, char** argv) {
  using namespace zel::cli;
  zel::KeepPictureBlocksInHeap();
  if (argc < 2) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  std::string command = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "--help" || command == "-h" || command == "help") {
    PrintUsage(stdout);
    return kExitOk;
  }
  if (command == "--version" && args.empty()) {
    std::printf("zel-cli %s\n", zel::kZelVersion);
    return kExitOk;
  }
  // The build makes the manual pages and the completion script from these.
  if (command == "--print-man" && args.empty()) {
    std::fputs(CliManPage(zel::kZelVersion).c_str(), stdout);
    return kExitOk;
  }
  if (command == "--print-man" && args.size() == 1 && args[0] == "zel") {
    std::fputs(zel::EditorManPage(zel::kZelVersion).c_str(), stdout);
    return kExitOk;
  }
  if (command == "--print-completion" && args.empty()) {
    std::fputs(CliBashCompletion().c_str(), stdout);
    return kExitOk;
  }
  if ((command == "info" || command == "convert" || command == "edit" || command == "make-anime" ||
       command == "from-images" || command == "from-video") &&
      !TakeMemoryOption(args, stderr)) {
    return kExitUsage;
  }
  if (command == "info") return RunInfoCommand(args, stdout, stderr);
  if (command == "convert") return RunConvertCommand(args, stderr, STDERR_FILENO);
  if (command == "edit") return RunEditCommand(args, stderr, STDERR_FILENO);
  if (command == "make-anime") return RunMakeAnimeCommand(args, stderr, STDERR_FILENO);
  if (command == "from-images") return RunFromImagesCommand(args, stderr, STDERR_FILENO);
  if (command == "from-video") return RunFromVideoCommand(args, stderr, STDERR_FILENO);
  if (command == "send") return RunSendCommand(args, stdout, stderr);
  if (command == "midi-tempo") return RunMidiTempoCommand(args, stdout, stderr);
  if (command == "preview") return RunPreviewCommand(args, stdout, stderr);
  if (command == "motions") return RunMotionsCommand(args, stdout, stderr);
  PrintError(stderr, "unknown command '" + command + "'");
  PrintUsage(stderr);
  return kExitUsage;
}
