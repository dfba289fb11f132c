// The one list of command families. A new family adds its rows function here; a new
// command adds a row to its family's file.
#include "app/commands/command_families.h"

namespace zel {

namespace {

std::vector<CommandInfo> BuildTable() {
  using Family = const std::vector<CommandInfo>& (*)();
  static constexpr Family kFamilies[] = {
      FileCommands,        TransformCommands, ColorCommands, HistoryCommands,
      PlaybackCommands,    FrameCommands,     TimeCommands,  GeneratorCommands,
      IntegrationCommands, WindowCommands,    HelpCommands,  ViewCommands,
  };
  std::vector<CommandInfo> table;
  for (Family family : kFamilies) {
    const std::vector<CommandInfo>& rows = family();
    table.insert(table.end(), rows.begin(), rows.end());
  }
  return table;
}

}  // namespace

const std::vector<CommandInfo>& CommandTable() {
  static const std::vector<CommandInfo> table = BuildTable();
  return table;
}

const CommandInfo* FindCommand(int id) {
  if (IsRecentFileCommand(id)) id = kCmdRecentFile1;
  for (const CommandInfo& info : CommandTable()) {
    if (info.id == id) return &info;
  }
  return nullptr;
}

const std::vector<ExtraAccelerator>& ExtraAccelerators() {
  static const std::vector<ExtraAccelerator> extras = {{kCmdUndo, "Alt+Backspace"},
                                                       {kCmdZoomIn, "Ctrl+="},
                                                       {kCmdRedo, "Ctrl+Shift+Z"}};
  return extras;
}

}  // namespace zel
