// Time adjustment.
#include "app/commands/command_families.h"

namespace zel {

const std::vector<CommandInfo>& TimeCommands() {
  static const std::vector<CommandInfo> rows = {
      {.id = kCmdTimeAdjust,
       .caption = "時間調節(&T)",
       .prompt = "コマの表示時間を調節する",
       .toolTip = "時間調節",
       .enabled = rules::Animation},
  };
  return rows;
}

}  // namespace zel
