// Undo.
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
  };
  return rows;
}

}  // namespace zel
