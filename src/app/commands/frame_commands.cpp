// The animation's frame commands. Where an operation has its own precondition the rule asks
// it, so the menu and the operation cannot disagree.
#include "app/commands/command_families.h"
#include "document/frame_operations.h"

namespace zel {

const std::vector<CommandInfo>& FrameCommands() {
  static const std::vector<CommandInfo> rows = {
      {.id = kCmdDeleteFrames,
       .caption = "コマ削除(&D)",
       .prompt = "現在のコマを削除する",
       .toolTip = "コマ削除",
       .iconName = "edit-delete",
       .enabled = rules::StoppedAnimation},
      {.id = kCmdInsertFrame,
       .caption = "コマ挿入(&I)",
       .prompt = "現在のコマの複製を挿入する",
       .toolTip = "コマ挿入",
       .enabled = rules::StoppedAnimation},
      {.id = kCmdConvertToPicture,
       .caption = "ピクチャー変換(&A)",
       .prompt = "現在のコマだけを残してピクチャーに変換する",
       .toolTip = "ピクチャー変換",
       .enabled = rules::StoppedAnimation},
      {.id = kCmdMakeFirstFrame,
       .caption = "最初のｺﾏ(&C)",
       .prompt = "現在のコマを最初のコマにする",
       .toolTip = "最初のコマ",
       .iconName = "go-first",
       .enabled =
           [](const CommandContext& ctx) {
             return rules::StoppedAnimation(ctx) && CanMakeCurrentFrameFirst(*ctx.doc);
           }},
      {.id = kCmdRepeatAnimation,
       .caption = "アニメを繰り返す(&X)",
       .prompt = "アニメーションを繰り返してコマ数を2倍にする",
       .toolTip = "アニメを繰り返す",
       .iconName = "media-playlist-repeat",
       .enabled =
           [](const CommandContext& ctx) { return ctx.doc && CanRepeatAnimation(*ctx.doc); }},
      {.id = kCmdReverse,
       .caption = "逆転(&R)",
       .prompt = "コマの順序を逆にする",
       .toolTip = "逆転",
       .enabled = rules::Animation},
  };
  return rows;
}

}  // namespace zel
