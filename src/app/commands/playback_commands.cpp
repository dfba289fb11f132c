// Playback and the view: start, stop or step, the jump dialog and the background colour.
#include "app/commands/command_families.h"

namespace zel {

const std::vector<CommandInfo>& PlaybackCommands() {
  static const std::vector<CommandInfo> rows = {
      {.id = kCmdStart,
       .caption = "開始(&S)",
       .prompt = "アニメーションを再生する",
       .toolTip = "開始",
       .iconName = "media-playback-start",
       .enabled = rules::StoppedAnimation},
      {.id = kCmdStop,
       .caption = "停止(&P)",
       .prompt = "アニメーションを停止する。停止中は1コマ進める",
       .toolTip = "停止/コマ送り",
       .iconName = "media-playback-stop",
       .enabled = rules::Animation},
      {.id = kCmdJump,
       .caption = "ジャンプ(&J)",
       .prompt = "アニメーションの位置づけをする",
       .toolTip = "アニメ位置づけ",
       .iconName = "go-jump",
       .enabled = rules::StoppedAnimation},
      {.id = kCmdBackgroundColor,
       .caption = "背景色の変更(&C)",
       .prompt = "背景色を変更する",
       .toolTip = "背景色の変更"},
      {.id = kCmdInvertBackground,
       .caption = "背景色の反転(&R)",
       .prompt = "背景色を反転する",
       .toolTip = "背景色の反転",
       .accelerator = "Ctrl+X"},
  };
  return rows;
}

}  // namespace zel
