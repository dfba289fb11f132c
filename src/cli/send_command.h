// `zel-cli send [--wait SECONDS] FILE`: hands a picture to the running editor, as another
// program would, and says what the editor did with it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/local_channel.h"

namespace zel::cli {

// How long the editor gets by default to take the picture and react (it answers at once,
// or says that it is asking its user, whose answer is then waited for without a limit).
constexpr int kSendWaitSecondsDefault = 10;

// The exit codes of send besides 0 (loaded), 1 (the file cannot be read, or the editor
// could not load the picture) and 2 (usage).
constexpr int kExitSendRefused = 3;     // the user kept the open picture (answered No)
constexpr int kExitSendBusy = 4;        // a dialog or tool is open, an edit or a save runs
constexpr int kExitSendNotRunning = 5;  // no editor runs
constexpr int kExitSendNoAnswer = 6;    // an editor is there but did not answer in time

struct SendReport {
  int exitCode = 0;
  std::string text;  // what the user is told (stdout for 0, else an error)
};
// What an exchange with the editor means for the user: exit code and text. `path` names
// the file sent and `bytes` its size on the wire.
SendReport DescribeSendAnswer(const ChannelAnswer& answer, const std::string& path,
                              const std::string& socketPath, size_t bytes, int waitSeconds);

// Runs the command on its arguments; returns the exit code.
int RunSendCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace zel::cli
