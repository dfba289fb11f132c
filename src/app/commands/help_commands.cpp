// Help: the help page and the About box.
#include "app/commands/command_families.h"

namespace zel {

const std::vector<CommandInfo>& HelpCommands() {
  static const std::vector<CommandInfo> rows = {
      {.id = kCmdHelp,
       .caption = "Zelの説明(&I)",
       .prompt = "Zelの説明をWebブラウザで表示する",
       .toolTip = "Zelの説明",
       .iconName = "help-contents",
       .allowedWhileBusy = true},
      {.id = kCmdAbout,
       .caption = "Zel のバージョン情報(&A)...",
       .prompt = "Zelのバージョン情報を表示する",
       .toolTip = "バージョン情報",
       .iconName = "help-about",
       .allowedWhileBusy = true},
  };
  return rows;
}

}  // namespace zel
