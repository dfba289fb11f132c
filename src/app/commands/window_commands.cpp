// The window: the options dialog and the bars shown or hidden.
#include "app/commands/command_families.h"

namespace zel {

const std::vector<CommandInfo>& WindowCommands() {
  static const std::vector<CommandInfo> rows = {
      {.id = kCmdOptions,
       .caption = "オプション(&O)",
       .prompt = "Zelの動作を設定する",
       .toolTip = "オプション",
       .iconName = "preferences-system",
       .allowedWhileBusy = true},
      {.id = kCmdStandardToolBar,
       .caption = "汎用ツール(&T)",
       .prompt = "汎用ツールバーの表示/非表示を切り替える",
       .toolTip = "汎用ツールの表示/非表示",
       .checked = [](const CommandContext& ctx) { return ctx.standardToolBarVisible; },
       .allowedWhileBusy = true},
      {.id = kCmdPictureToolBar,
       .caption = "ピクチャーツール(&P)",
       .prompt = "ピクチャーツールバーの表示/非表示を切り替える",
       .toolTip = "ピクチャーツールの表示/非表示",
       .checked = [](const CommandContext& ctx) { return ctx.pictureToolBarVisible; },
       .allowedWhileBusy = true},
      {.id = kCmdAnimationToolBar,
       .caption = "アニメツール(&A)",
       .prompt = "アニメツールバーの表示/非表示を切り替える",
       .toolTip = "アニメツールの表示/非表示",
       .checked = [](const CommandContext& ctx) { return ctx.animationToolBarVisible; },
       .allowedWhileBusy = true},
      {.id = kCmdFrameStrip,
       .caption = "コマ一覧(&F)",
       .prompt = "コマの一覧の表示/非表示を切り替える",
       .toolTip = "コマ一覧の表示/非表示",
       .checked = [](const CommandContext& ctx) { return ctx.frameStripVisible; },
       .allowedWhileBusy = true},
      {.id = kCmdStatusBar,
       .caption = "ステータスバー(&S)",
       .prompt = "ステータスバーの表示/非表示を切り替える",
       .toolTip = "ステータスバーの表示/非表示",
       .checked = [](const CommandContext& ctx) { return ctx.statusBarVisible; },
       .allowedWhileBusy = true},
  };
  return rows;
}

}  // namespace zel
