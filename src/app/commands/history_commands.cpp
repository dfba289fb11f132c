// Undo and redo.
#include "app/commands/command_families.h"

namespace zel {

const std::vector<CommandInfo>& HistoryCommands() {
  static const std::vector<CommandInfo> rows = {
      {.id = kCmdUndo,
       .caption = "元に戻す(&U)",
       .prompt = "直前の操作を取り消して元に戻す",
       .toolTip = "元に戻す",
       .accelerator = "Ctrl+Z",
       .iconName = "edit-undo",
       .enabled = [](const CommandContext& ctx) { return ctx.canUndo; }},
      {.id = kCmdRedo,
       .caption = "やり直し(&Y)",
       .prompt = "元に戻した操作をやり直す",
       .toolTip = "やり直し",
       .accelerator = "Ctrl+Y",
       .iconName = "edit-redo",
       .enabled = [](const CommandContext& ctx) { return ctx.canRedo; }},
  };
  return rows;
}

}  // namespace zel
