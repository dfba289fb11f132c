// How the editor carries out each command: every family keeps its executors in a file of
// its own (ui/commands/*_commands.cpp) and CommandExecutors() lists them all. A command is
// built exactly when it has an executor; what it is and when it is enabled is its row in
// app/commands/.
#pragma once

#include <string>
#include <vector>

#include "app/command_ids.h"

namespace zel {

class MainWindow;

struct CommandExecutor {
  CommandId id;
  // Runs the command in `window`; gets the command's number so that one function can serve
  // a family of numbers (the recent-file entries).
  void (*run)(MainWindow& window, CommandId id);
};

const std::vector<CommandExecutor>& FileExecutors();
const std::vector<CommandExecutor>& ColorExecutors();
const std::vector<CommandExecutor>& TransformExecutors();
const std::vector<CommandExecutor>& HistoryExecutors();
const std::vector<CommandExecutor>& PlaybackExecutors();
const std::vector<CommandExecutor>& FrameExecutors();
const std::vector<CommandExecutor>& TimeExecutors();
const std::vector<CommandExecutor>& WindowExecutors();
const std::vector<CommandExecutor>& HelpExecutors();
const std::vector<CommandExecutor>& IntegrationExecutors();
const std::vector<CommandExecutor>& GeneratorExecutors();
const std::vector<CommandExecutor>& MotionExecutors();
const std::vector<CommandExecutor>& ViewExecutors();
const std::vector<CommandExecutor>& SeveralPicturesExecutors();
const std::vector<CommandExecutor>& VideoExecutors();
// The video dialog for the clip at `path`, once the open document may go (asked before);
// a clip that cannot be read is refused with its message.
void OpenVideoFile(MainWindow& window, const std::string& path);
const std::vector<CommandExecutor>& MergeExecutors();

// Every executor, family by family.
const std::vector<CommandExecutor>& CommandExecutors();
// The executor of `id`, or nullptr when this build does not carry the command out.
const CommandExecutor* FindExecutor(CommandId id);

// The items of the delete-frames pop-up.
constexpr int kDeleteFramesBeforeItem = 132;
constexpr int kDeleteFramesAfterItem = 133;
constexpr int kDeleteCurrentFrameItem = 134;

// The save-as-GIF command: asks for the name unless the last path lies in the settings
// folder, then writes. True only when the file was written.
bool SaveGifCommand(MainWindow& window);
// Writes the document as GIF to `path` with the progress window; true when written.
bool SaveGifTo(MainWindow& window, const std::string& path);
// The save-as-bitmap command with its file dialog; true only when the file was written.
bool SaveBitmapWithDialog(MainWindow& window);
// The save of "保存する" on closing: GIF for an 8-bit document, else a bitmap. True only
// when the file was written.
bool SaveBeforeClose(MainWindow& window);

}  // namespace zel
